#include "parameterranges.h"

#include "Core/Processes/processdescriptor.h"
#include "Core/Processes/processregistry.h"

namespace Core {
namespace BatchRun {

namespace {

using Util::ValueRange;

// Lengths and ratios that the engines take as float.
constexpr ValueRange length = Processes::floatLength;
constexpr ValueRange ratio = Processes::floatRatio;

struct Entry {
    int processType;
    const char *name;
    ValueRange range;
};

// The processes that have no descriptor yet; parameters not named here take the range of their kind.
const Entry entries[] = {
    {IsotropicEtching, "Depth", length},
    {Electroplating, "Film Thickness", length},
    {Pvd, "Thickness", length},
    {Pvd, "Horizontal to Vertical Ratio", ratio},
    {Pvd, "DepositOn", ValueRange(1, 3)},
    {AnisotropicDeposition, "Film Thickness", length},
    {AnisotropicDeposition, "Horizontal to Vertical Ratio", ratio},
    {AnisotropicEtching, "Etch Depth", length},
    {AnisotropicEtching, "Horizontal to Vertical Ratio", ratio},
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
