#include "photolithographyoperation.h"

#include "Core/workspace.h"
#include "photolithography.h"

namespace Core {
namespace Operations {

PhotolithographyOperation::PhotolithographyOperation(Workspace &workspace)
    : UndoableProcessOperation(workspace, QStringLiteral("Photolithography"), 20, QStringLiteral("Photolithography"))
{
}

void PhotolithographyOperation::setMaterial(uint32_t material)
{
    m_material = material;
    m_materialSet = true;
}

void PhotolithographyOperation::setBottomMask(const QBitArray &bits, uint32_t width, uint32_t height)
{
    m_bottomMask = MaskBits{bits, width, height};
    keepMasksBeforePreview();
    if (auto v = volume()) {
        // Only the part over the volume's columns can mask a cell; the rest is not kept.
        m_bottomMask = m_bottomMask.cropped(v->sizeX(), v->sizeY());
        v->setLowerMask(m_bottomMask.bits, m_bottomMask.width, m_bottomMask.height);
        workspace().notifyUpdate();
    }
}

void PhotolithographyOperation::setTopMask(const QBitArray &bits, uint32_t width, uint32_t height)
{
    m_topMask = MaskBits{bits, width, height};
    keepMasksBeforePreview();
    if (auto v = volume()) {
        m_topMask = m_topMask.cropped(v->sizeX(), v->sizeY());
        v->setUpperMask(m_topMask.bits, m_topMask.width, m_topMask.height);
        workspace().notifyUpdate();
    }
}

void PhotolithographyOperation::cancel()
{
    putBackPreviewedMasks();
    workspace().console().writeMessage(name() + QStringLiteral(": Operation Canceled!"));
    workspace().console().reset();
    workspace().operationCanceled();
}

void PhotolithographyOperation::run(Model::Automaton::TotalVolume &volume)
{
    Photolithography engine(volume, m_material, m_bottomMask.bits, m_bottomMask.width, m_bottomMask.height,
                            m_topMask.bits, m_topMask.width, m_topMask.height);
    engine.setRunControl(runControl());
    engine.run();
}

void PhotolithographyOperation::afterRun(Model::Automaton::TotalVolume &volume)
{
    // The masks were a preview of this step; the developed resist now shows the pattern.
    volume.setLowerMask(QBitArray(), 0, 0);
    volume.setUpperMask(QBitArray(), 0, 0);
    UndoableProcessOperation::afterRun(volume);
}

} // namespace Operations
} // namespace Core
