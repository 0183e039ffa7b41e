#pragma once

#include "Core/undofiles.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
class Workspace;

namespace Operations {

/// What one undoable process step did to the cells of its volume. Before the run it keeps the
/// states in memory; after the run it writes only the cells that changed, with their old states
/// to the workspace's undo file and their new states to the redo file (a `SnapshotRecord` each),
/// and lets go of the copy. The records are released when the snapshot is destroyed, that is
/// when its operation has left the undo and redo stacks.
///
/// Every snapshot gets its own number, so a key shared by two operation classes never makes a
/// restore pick the wrong record.
class ProcessSnapshot {
public:
    ProcessSnapshot(Workspace &workspace, const QString &key);
    ~ProcessSnapshot();
    ProcessSnapshot(const ProcessSnapshot &) = delete;
    ProcessSnapshot &operator=(const ProcessSnapshot &) = delete;

    const QString &key() const { return m_key; }
    uint64_t number() const { return m_number; }
    /// True once `takeAfter` has written both records.
    bool isRecorded() const { return m_recorded; }

    /// Keeps the volume's states before the run; false with a reason when there is no memory for them.
    bool takeBefore(Model::Automaton::TotalVolume &volume, QString *error);
    /// Records the cells that differ from the kept states and lets go of the copy; false with a
    /// reason when nothing was kept or the records could not be written.
    bool takeAfter(Model::Automaton::TotalVolume &volume, QString *error);
    /// Puts the kept states back after a failed run and lets go of the copy; false when none were kept.
    bool revertRun(Model::Automaton::TotalVolume &volume);

    /// Puts back the states before the step (undo) or after it (redo). A missing or damaged record
    /// leaves the cells unchanged and gives false with a reason.
    bool restoreBefore(Model::Automaton::TotalVolume &volume, QString *error) const;
    bool restoreAfter(Model::Automaton::TotalVolume &volume, QString *error) const;

private:
    bool restore(UndoFiles::Side side, Model::Automaton::TotalVolume &volume, QString *error) const;

    std::weak_ptr<UndoFiles> m_files;
    QString m_key;
    uint64_t m_number;
    std::vector<uint32_t> m_before;
    bool m_kept = false;
    bool m_recorded = false;
};

} // namespace Operations
} // namespace Core
