#pragma once

#include "Core/Formats/maskimage.h"
#include "Core/Operations/undoableprocessoperation.h"

namespace Core {
namespace Operations {

/// Hides, for viewing, every cell column that a top-down mask leaves uncovered. Undoable: undo
/// puts back the cut counts (and the masks) exactly as they were, so cuts of several masks are
/// undone one by one.
class MaskedCutCellVolumeOperation : public UndoableProcessOperation {
public:
    explicit MaskedCutCellVolumeOperation(Workspace &workspace);

    /// Stores the mask and previews it over the selected volume; an empty mask leaves nothing to cut.
    void setMask(const QBitArray &bits, uint32_t width, uint32_t height);
    const MaskBits &mask() const { return m_mask; }

    void cancel() override;

protected:
    bool hasOptions() const override { return m_maskSet; }
    void run(Model::Automaton::TotalVolume &volume) override;
    void afterRun(Model::Automaton::TotalVolume &volume) override;
    ProcessSnapshot::Scope snapshotScope() const override;
    QString finishedText() const override { return QStringLiteral("Cut planes changed."); }

private:
    MaskBits m_mask;
    bool m_maskSet = false;
};

} // namespace Operations
} // namespace Core
