#include "Core/BatchRun/parameterranges.h"

#include "Core/Processes/processdescriptor.h"
#include "Core/Processes/processregistry.h"

namespace Core {
namespace BatchRun {

std::optional<Util::ValueRange> parameterRange(int processType, const QString &name)
{
    const auto *descriptor = Processes::ProcessRegistry::descriptor(processType);
    const auto *definition = descriptor ? descriptor->parameter(name) : nullptr;
    return definition ? definition->range : std::nullopt;
}

} // namespace BatchRun
} // namespace Core
