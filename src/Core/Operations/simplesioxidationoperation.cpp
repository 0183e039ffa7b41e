#include "simplesioxidationoperation.h"

#include "Core/workspace.h"
#include "simplesioxidation.h"

namespace Core {
namespace Operations {

SimpleSiOxidationOperation::SimpleSiOxidationOperation(Workspace &workspace)
    : UndoableProcessOperation(workspace, QStringLiteral("Simple Si Oxidation"), 26, QStringLiteral("SiOxidation"))
{
}

void SimpleSiOxidationOperation::execute()
{
    if (volume() && hasOptions() && MaterialSet::compatibleWith(SimpleSiOxidation::oxidizableProcess).isEmpty()) {
        workspace().console().writeMessage(
            name() + QStringLiteral(": ") +
            noCompatibleMaterialsText(SimpleSiOxidation::oxidizableProcess, QStringLiteral("oxidized")));
        cancel();
        return;
    }
    UndoableProcessOperation::execute();
}

void SimpleSiOxidationOperation::run(Model::Automaton::TotalVolume &volume)
{
    SimpleSiOxidation engine(volume, conversion());
    engine.setRunControl(runControl());
    if (byThickness())
        engine.runWithThickness(thickness());
    else
        engine.runForTime(time(), temperature(), pressure());
    if (runControl() && runControl()->wasStopped())
        return; // the cells are put back; there is no thickness to tell
    const double microns = engine.thickness() / conversion();
    if (!(engine.thickness() > 0.0))
        workspace().console().writeMessage(name() + QStringLiteral(": The oxide thickness is %1 cell units; nothing "
                                                                   "was oxidized.")
                                                        .arg(engine.thickness()));
    else if (!byThickness())
        workspace().console().writeMessage(name() + QStringLiteral(": Oxide thickness %1 microns (%2 cell units).")
                                                        .arg(microns, 0, 'g', 4)
                                                        .arg(engine.thickness(), 0, 'g', 4));
}

} // namespace Operations
} // namespace Core
