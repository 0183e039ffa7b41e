#include "Core/Operations/View/maskedcutcellvolumeoperation.h"

#include "Core/Engines/Volume/cutcellvolume.h"
#include "Core/workspace.h"

namespace Core {
namespace Operations {

MaskedCutCellVolumeOperation::MaskedCutCellVolumeOperation(Workspace &workspace)
    : UndoableProcessOperation(workspace, QStringLiteral("Masked Cut"), 34, QStringLiteral("MaskedCut"))
{
}

void MaskedCutCellVolumeOperation::setMask(const QBitArray &bits, uint32_t width, uint32_t height)
{
    m_mask = MaskBits{bits, width, height};
    m_maskSet = width != 0 && height != 0;
    keepMasksBeforePreview();
    if (auto v = volume()) {
        // Only the part over the volume's columns can hide a cell; the rest is not kept.
        m_mask = m_mask.cropped(v->sizeX(), v->sizeY());
        v->setUpperMask(m_mask.bits, m_mask.width, m_mask.height);
        workspace().notifyUpdate();
    }
}

void MaskedCutCellVolumeOperation::cancel()
{
    putBackPreviewedMasks();
    workspace().console().writeMessage(name() + QStringLiteral(": Operation Canceled!"));
    workspace().console().reset();
    workspace().operationCanceled();
}

ProcessSnapshot::Scope MaskedCutCellVolumeOperation::snapshotScope() const
{
    ProcessSnapshot::Scope scope;
    scope.cutCounts = true;
    return scope;
}

void MaskedCutCellVolumeOperation::run(Model::Automaton::TotalVolume &volume)
{
    CutCellVolume cut(volume, m_mask.bits, m_mask.width, m_mask.height);
    cut.setRunControl(runControl());
    cut.cut();
}

void MaskedCutCellVolumeOperation::afterRun(Model::Automaton::TotalVolume &volume)
{
    // The mask was a preview of the cut, which now shows.
    volume.setUpperMask(QBitArray(), 0, 0);
    UndoableProcessOperation::afterRun(volume);
}

} // namespace Operations
} // namespace Core
