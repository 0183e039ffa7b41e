#pragma once

#include "Core/Operations/cellvolumeoperation.h"
#include "Core/Undo/processsnapshot.h"

#include <QString>

#include <cstdint>

namespace Core {
namespace Operations {

/// A process step whose changes are recorded (the cells' states and whatever else its snapshot
/// scope names, before and after the run, and the volume's masks), so that undo and redo put the
/// volume back exactly, with the lattice's up-to-date mark as it was. When the record cannot be
/// made the step still runs, the console says that it cannot be undone and the workspace drops
/// the history.
class UndoableProcessOperation : public CellVolumeOperation<ObjectOperation> {
public:
    UndoableProcessOperation(Workspace &workspace, const QString &name, uint32_t typeCode, const QString &snapshotKey);

    bool undo() override;
    bool redo() override;
    bool undoable() const override { return m_snapshot.isRecorded(); }

    const ProcessSnapshot &snapshot() const { return m_snapshot; }

protected:
    /// What the step changes besides the cell states and the masks; by default the atom counts
    /// when `changesAtomCounts`.
    virtual ProcessSnapshot::Scope snapshotScope() const;

    bool beforeRun(Model::Automaton::TotalVolume &volume) override;
    void afterRun(Model::Automaton::TotalVolume &volume) override;
    /// Puts everything back from the snapshot's copies, the lattice's mark too.
    bool putBackCells(Model::Automaton::TotalVolume &volume) override;
    /// Puts the cells from before the run back, so a failed step leaves no half-changed cells.
    void afterFailedRun(Model::Automaton::TotalVolume &volume) override;

    /// For steps that preview masks on the volume before they run: keeps the masks as they are
    /// before the first preview, so that undo (and `putBackPreviewedMasks`) restore them.
    void keepMasksBeforePreview();
    /// Takes a preview off again (the step was canceled).
    void putBackPreviewedMasks();

private:
    /// Puts the recorded state back; a missing or damaged record is reported and changes nothing.
    bool restore(bool before);

    ProcessSnapshot m_snapshot;
    QString m_snapshotError;
    bool m_latticeOutOfDateBefore = true;
    bool m_latticeOutOfDateAfter = true;
};

} // namespace Operations
} // namespace Core
