#include "Core/Operations/View/removecutsfromvolumeoperation.h"

#include "Core/Engines/Volume/cutcellvolume.h"
#include "Core/workspace.h"

namespace Core {
namespace Operations {

RemoveCutsFromVolumeOperation::RemoveCutsFromVolumeOperation(Workspace &workspace)
    : UndoableProcessOperation(workspace, QStringLiteral("Remove Cuts"), 35, QStringLiteral("RemoveCuts"))
{
}

void RemoveCutsFromVolumeOperation::cancel()
{
    workspace().console().writeMessage(name() + QStringLiteral(": Operation Canceled!"));
    workspace().console().reset();
    workspace().operationCanceled();
}

ProcessSnapshot::Scope RemoveCutsFromVolumeOperation::snapshotScope() const
{
    ProcessSnapshot::Scope scope;
    scope.cutCounts = true;
    return scope;
}

void RemoveCutsFromVolumeOperation::run(Model::Automaton::TotalVolume &volume)
{
    // An empty mask covers no column, so every cell is reached.
    CutCellVolume cut(volume, QBitArray(), 0, 0);
    cut.setRunControl(runControl());
    cut.removeAllCuts();
}

void RemoveCutsFromVolumeOperation::afterRun(Model::Automaton::TotalVolume &volume)
{
    volume.setUpperMask(QBitArray(), 0, 0);
    UndoableProcessOperation::afterRun(volume);
}

} // namespace Operations
} // namespace Core
