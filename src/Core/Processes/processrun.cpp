#include "Core/Processes/processrun.h"

#include "Core/workspace.h"

namespace Core {
namespace Processes {

QString resultMessage(int code)
{
    switch (code) {
    case Success:
        return QStringLiteral("No error, process was run successfully.");
    case MissingParameter:
        return QStringLiteral("A required parameter was not found. Check input list.");
    case InvalidValue:
        return QStringLiteral("Value for a required parameter is invalid. Check input list.");
    case NotImplemented:
        return QStringLiteral("Process is not implemented. Remove process from the list.");
    case OutOfMemory:
        return QStringLiteral("Not enough memory to run this process on the cell volume.");
    case Stopped:
        return QStringLiteral("The process was stopped before its end.");
    default:
        return QStringLiteral("Unknown process. Remove process from the list.");
    }
}

void ProcessRun::recordStep(uint32_t operationCode, bool changesSilicon)
{
    if (!volume)
        return;
    workspace.setLastOperation(volume->id(), operationCode);
    if (changesSilicon)
        workspace.setLatticeOutOfDate(volume->id(), true);
}

} // namespace Processes
} // namespace Core
