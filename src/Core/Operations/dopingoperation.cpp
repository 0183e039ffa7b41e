#include "dopingoperation.h"

#include "Core/workspace.h"
#include "simpledoping.h"

namespace Core {
namespace Operations {

DopingOperation::DopingOperation(Workspace &workspace)
    : UndoableProcessOperation(workspace, QStringLiteral("Doping"), 17, QStringLiteral("Doping"))
{
}

void DopingOperation::execute()
{
    if (volume() && hasOptions() && MaterialSet::compatibleWith(SimpleDoping::dopableProcess).isEmpty()) {
        workspace().console().writeMessage(
            name() + QStringLiteral(": ") +
            noCompatibleMaterialsText(SimpleDoping::dopableProcess, QStringLiteral("doped")));
        cancel();
        return;
    }
    UndoableProcessOperation::execute();
}

void DopingOperation::run(Model::Automaton::TotalVolume &volume)
{
    SimpleDoping engine(volume, material(), depth());
    engine.setRunControl(runControl());
    engine.run();
}

} // namespace Operations
} // namespace Core
