#include "parameterranges.h"

#include "Core/Operations/randomwalkdopinginput.h"

#include <cstdint>
#include <limits>

namespace Core {
namespace BatchRun {

namespace {

using Util::ValueRange;
using Walk = Core::Operations::RandomWalkDopingInput;

// Lengths and ratios that the engines take as float.
constexpr ValueRange length = ValueRange::notNegative(FLT_MAX, "units");
constexpr ValueRange ratio = ValueRange::notNegative(FLT_MAX, "");

struct Entry {
    int processType;
    const char *name;
    ValueRange range;
};

// Parameters not named here take the range of their kind.
const Entry entries[] = {
    {SiWetEtching, "Depth", ValueRange::notNegative(DBL_MAX, "units")},
    {Cvd, "Thickness", length},
    {IsotropicEtching, "Depth", length},
    {Electroplating, "Film Thickness", length},
    {Doping, "Doping Depth", length},
    {Pvd, "Thickness", length},
    {Pvd, "Horizontal to Vertical Ratio", ratio},
    {Pvd, "DepositOn", ValueRange(1, 3)},
    {SimpleRie, "EtchDirectionValue", ValueRange(0, 3)},
    {IonImplantation, "Annealing Distance", length},
    {IonImplantation, "Implantation Depth", length},
    {IonImplantation, "Vertical Spread", length},
    // Deal-Grove divides by the temperature and, through the rate constants, by the pressure.
    {SiOxidation, "Micron Conversion", ValueRange::aboveZero(DBL_MAX, "cell units per micron")},
    {SiOxidation, "Oxidation Pressure", ValueRange::aboveZero(DBL_MAX, "atm")},
    {SiOxidation, "Oxidation Temperature", ValueRange::aboveZero(DBL_MAX, "K")},
    {SiOxidation, "Oxidation Time", ValueRange::notNegative(DBL_MAX, "hours")},
    {SiOxidation, "Oxidation Thickness", ValueRange::notNegative(DBL_MAX, "microns")},
    {IsotropicDeposition, "Film Thickness", length},
    {AnisotropicDeposition, "Film Thickness", length},
    {AnisotropicDeposition, "Horizontal to Vertical Ratio", ratio},
    {AnisotropicEtching, "Etch Depth", length},
    {AnisotropicEtching, "Horizontal to Vertical Ratio", ratio},
    {RandomWalkDoping, "Doping Time", Walk::dopingTimeRange},
    {RandomWalkDoping, "Diffusion Coefficient", Walk::diffusionCoefficientRange},
    {RandomWalkDoping, "Cell Size", Walk::cellSizeRange},
    {RandomWalkDoping, "Time Step Duration", Walk::timeStepRange},
    {RandomWalkDoping, "Surface Concentration", Walk::surfaceConcentrationRange},
    {RandomWalkDoping, "Doping Threshold", Walk::thresholdRange},
};

} // namespace

std::optional<ValueRange> kindRange(ParameterKind kind)
{
    switch (kind) {
    case ParameterKind::UInt:
        return ValueRange(0, std::numeric_limits<uint32_t>::max());
    case ParameterKind::Int:
        return ValueRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    case ParameterKind::Float:
        return ValueRange(-FLT_MAX, FLT_MAX);
    case ParameterKind::Double:
        return ValueRange(-DBL_MAX, DBL_MAX);
    default:
        return std::nullopt;
    }
}

std::optional<ValueRange> parameterRange(int processType, const QString &name)
{
    for (const Entry &entry : entries) {
        if (entry.processType == processType && name == QLatin1String(entry.name))
            return entry.range;
    }
    return std::nullopt;
}

} // namespace BatchRun
} // namespace Core
