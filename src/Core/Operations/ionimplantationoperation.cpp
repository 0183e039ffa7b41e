#include "ionimplantationoperation.h"

#include "Core/workspace.h"
#include "ionimplantation.h"

namespace Core {
namespace Operations {

IonImplantationOperation::IonImplantationOperation(Workspace &workspace)
    : UndoableProcessOperation(workspace, QStringLiteral("Ion Implantation"), 3, QStringLiteral("IonImplantation"))
{
}

void IonImplantationOperation::execute()
{
    if (volume() && hasOptions() && MaterialSet::compatibleWith(IonImplantation::dopableProcess).isEmpty()) {
        workspace().console().writeMessage(
            name() + QStringLiteral(": ") +
            noCompatibleMaterialsText(IonImplantation::dopableProcess, QStringLiteral("implanted")));
        cancel();
        return;
    }
    UndoableProcessOperation::execute();
}

void IonImplantationOperation::cancel()
{
    workspace().console().writeMessage(name() + QStringLiteral(": Operation Canceled!"));
    workspace().console().reset();
    workspace().operationCanceled();
}

void IonImplantationOperation::run(Model::Automaton::TotalVolume &volume)
{
    IonImplantation engine(volume, material(), depth(), spread(), annealingDistance());
    engine.setRunControl(runControl());
    engine.run();
}

} // namespace Operations
} // namespace Core
