#pragma once

#include "maskimage.h"
#include "processoperation.h"

namespace Core {
namespace Operations {

/// Develops a resist film through a top and a bottom mask. The masks are shown on the volume while
/// the dialog is open (a preview) and taken off once the step has run, or put back as they were
/// when it is canceled; undo puts back the cells and the masks from before the preview.
class PhotolithographyOperation : public UndoableProcessOperation {
public:
    explicit PhotolithographyOperation(Workspace &workspace);

    void setMaterial(uint32_t material);
    /// Stores the mask and shows it under (bottom) or over (top) the selected volume.
    void setBottomMask(const QBitArray &bits, uint32_t width, uint32_t height);
    void setTopMask(const QBitArray &bits, uint32_t width, uint32_t height);

    uint32_t material() const { return m_material; }
    const MaskBits &bottomMask() const { return m_bottomMask; }
    const MaskBits &topMask() const { return m_topMask; }

    void cancel() override;

protected:
    bool hasOptions() const override { return m_materialSet; }
    void run(Model::Automaton::TotalVolume &volume) override;
    void afterRun(Model::Automaton::TotalVolume &volume) override;
    bool marksLatticeOutOfDate() const override { return true; }

private:
    uint32_t m_material = 0;
    bool m_materialSet = false;
    MaskBits m_bottomMask;
    MaskBits m_topMask;
};

} // namespace Operations
} // namespace Core
