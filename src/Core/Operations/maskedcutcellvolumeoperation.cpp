#include "maskedcutcellvolumeoperation.h"

#include "Core/workspace.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "cutcellvolume.h"

namespace Core {
namespace Operations {

MaskedCutCellVolumeOperation::MaskedCutCellVolumeOperation(Workspace &workspace)
    : CellVolumeOperation<ObjectOperation>(workspace, QStringLiteral("Masked Cut"), 34)
{
}

void MaskedCutCellVolumeOperation::setMask(const QBitArray &bits, uint32_t width, uint32_t height)
{
    m_mask = MaskBits{bits, width, height};
    m_maskSet = width != 0 && height != 0;
    if (auto v = volume()) {
        // Only the part over the volume's columns can hide a cell; the rest is not kept.
        m_mask = m_mask.cropped(v->sizeX(), v->sizeY());
        v->setUpperMask(m_mask.bits, m_mask.width, m_mask.height);
        workspace().notifyUpdate();
    }
}

void MaskedCutCellVolumeOperation::cancel()
{
    workspace().console().writeMessage(name() + QStringLiteral(": Operation Canceled!"));
    workspace().console().reset();
    workspace().operationCanceled();
}

void MaskedCutCellVolumeOperation::run(Model::Automaton::TotalVolume &volume)
{
    CutCellVolume(volume, m_mask.bits, m_mask.width, m_mask.height).cut();
}

void MaskedCutCellVolumeOperation::refresh(Model::Automaton::TotalVolume &volume)
{
    volume.painter().regenerateSurface();
    workspace().notifyUpdate();
}

void MaskedCutCellVolumeOperation::execute()
{
    auto v = volume();
    if (!v || !hasOptions()) {
        cancel();
        return;
    }
    run(*v);
    v->setUpperMask(QBitArray(), 0, 0);
    refresh(*v);
    Workspace &ws = workspace();
    ws.console().writeMessage(name() + QStringLiteral(": Cut planes changed."));
    ws.console().reset();
    ws.operationFinished();
}

bool MaskedCutCellVolumeOperation::undo()
{
    if (auto v = volume()) {
        CutCellVolume(*v, m_mask.bits, m_mask.width, m_mask.height).uncut();
        refresh(*v);
    }
    return true;
}

bool MaskedCutCellVolumeOperation::redo()
{
    if (auto v = volume()) {
        run(*v);
        refresh(*v);
    }
    return true;
}

} // namespace Operations
} // namespace Core
