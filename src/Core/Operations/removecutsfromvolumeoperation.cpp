#include "removecutsfromvolumeoperation.h"

#include "Core/workspace.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "cutcellvolume.h"

namespace Core {
namespace Operations {

RemoveCutsFromVolumeOperation::RemoveCutsFromVolumeOperation(Workspace &workspace)
    : ProcessOperation(workspace, QStringLiteral("Remove Cuts"), 35)
{
}

void RemoveCutsFromVolumeOperation::cancel()
{
    workspace().console().writeMessage(name() + QStringLiteral(": Operation Canceled!"));
    workspace().console().reset();
    workspace().operationCanceled();
}

void RemoveCutsFromVolumeOperation::run(Model::Automaton::TotalVolume &volume)
{
    // An empty mask covers no column, so every cell is reached.
    CutCellVolume(volume, QBitArray(), 0, 0).removeAllCuts();
}

void RemoveCutsFromVolumeOperation::execute()
{
    auto v = volume();
    if (!v) {
        cancel();
        return;
    }
    run(*v);
    v->setUpperMask(QBitArray(), 0, 0);
    v->painter().regenerateSurface();
    Workspace &ws = workspace();
    ws.notifyUpdate();
    ws.console().writeMessage(name() + QStringLiteral(": Cut planes changed."));
    ws.console().reset();
    ws.operationFinished();
}

} // namespace Operations
} // namespace Core
