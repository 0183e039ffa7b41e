#include "Core/Processes/compatiblematerials.h"

#include "Core/Engines/materialset.h"

namespace Core {
namespace Processes {

int requireCompatibleMaterials(ProcessRun &run, uint32_t processId, const char *verb)
{
    if (!Operations::MaterialSet::compatibleWith(processId).isEmpty())
        return Success;
    run.detail = Operations::noCompatibleMaterialsText(processId, QLatin1String(verb));
    if (run.road == ProcessRun::Road::Window)
        return InvalidValue;
    run.changedNothing = true;
    return Success;
}

} // namespace Processes
} // namespace Core
