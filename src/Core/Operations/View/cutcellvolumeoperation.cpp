#include "Core/Operations/View/cutcellvolumeoperation.h"

#include "Core/workspace.h"
#include "Model/Volume/totalvolume.h"

namespace Core {
namespace Operations {

CutCellVolumeOperation::CutCellVolumeOperation(Workspace &workspace)
    : CellVolumeOperation<Operation>(workspace, QStringLiteral("Change Cut Planes"), 2)
{
}

bool CutCellVolumeOperation::currentLimits(Triple &size, Triple &lower, Triple &upper) const
{
    const auto v = volume();
    if (!v)
        return false;
    size = {v->sizeX(), v->sizeY(), v->sizeZ()};
    v->view().cutLimits(lower, upper);
    return true;
}

void CutCellVolumeOperation::applyLimits(const Triple &lower, const Triple &upper, bool preview)
{
    if (const auto v = volume()) {
        v->view().setCutLimits(lower, upper);
        m_previewed = preview;
        if (preview)
            redraw(v);
    }
    m_limitsSet = true;
}

void CutCellVolumeOperation::redraw(const Model::Automaton::TotalVolumePtr &volume)
{
    BusyScope busy(workspace().busyIndicator(), name());
    workspace().regenerateSurface(volume);
    workspace().notifyUpdate();
}

void CutCellVolumeOperation::cancel()
{
    Workspace &ws = workspace();
    ws.console().writeMessage(name() + QStringLiteral(": Operation Canceled!"));
    ws.console().reset();
    ws.operationCanceled();
}

void CutCellVolumeOperation::execute()
{
    const auto v = volume();
    if (!v || !m_limitsSet) {
        cancel();
        return;
    }
    if (!m_previewed)
        redraw(v);
    Workspace &ws = workspace();
    ws.console().writeMessage(name() + QStringLiteral(": Cut planes changed."));
    ws.console().reset();
    ws.operationFinished();
}

} // namespace Operations
} // namespace Core
