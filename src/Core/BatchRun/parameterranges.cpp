#include "parameterranges.h"

#include "Core/Operations/randomwalkdopinginput.h"
#include "Core/Processes/processdescriptor.h"
#include "Core/Processes/processregistry.h"

namespace Core {
namespace BatchRun {

namespace {

using Util::ValueRange;
using Walk = Core::Operations::RandomWalkDopingInput;

// Lengths and ratios that the engines take as float.
constexpr ValueRange length = Processes::floatLength;

struct Entry {
    int processType;
    const char *name;
    ValueRange range;
};

// The processes that have no descriptor yet; parameters not named here take the range of their kind.
const Entry entries[] = {
    {Doping, "Doping Depth", length},
    {IonImplantation, "Annealing Distance", length},
    {IonImplantation, "Implantation Depth", length},
    {IonImplantation, "Vertical Spread", length},
    // Deal-Grove divides by the temperature and, through the rate constants, by the pressure.
    {SiOxidation, "Micron Conversion", ValueRange::aboveZero(DBL_MAX, "cell units per micron")},
    {SiOxidation, "Oxidation Pressure", ValueRange::aboveZero(DBL_MAX, "atm")},
    {SiOxidation, "Oxidation Temperature", ValueRange::aboveZero(DBL_MAX, "K")},
    {SiOxidation, "Oxidation Time", ValueRange::notNegative(DBL_MAX, "hours")},
    {SiOxidation, "Oxidation Thickness", ValueRange::notNegative(DBL_MAX, "microns")},
    {RandomWalkDoping, "Doping Time", Walk::dopingTimeRange},
    {RandomWalkDoping, "Diffusion Coefficient", Walk::diffusionCoefficientRange},
    {RandomWalkDoping, "Cell Size", Walk::cellSizeRange},
    {RandomWalkDoping, "Time Step Duration", Walk::timeStepRange},
    {RandomWalkDoping, "Surface Concentration", Walk::surfaceConcentrationRange},
    {RandomWalkDoping, "Doping Threshold", Walk::thresholdRange},
};

} // namespace

std::optional<ValueRange> parameterRange(int processType, const QString &name)
{
    if (const auto *descriptor = Processes::ProcessRegistry::descriptor(processType)) {
        const auto *definition = descriptor->parameter(name);
        return definition ? definition->range : std::nullopt;
    }
    for (const Entry &entry : entries) {
        if (entry.processType == processType && name == QLatin1String(entry.name))
            return entry.range;
    }
    return std::nullopt;
}

} // namespace BatchRun
} // namespace Core
