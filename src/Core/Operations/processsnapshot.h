#pragma once

#include <QString>

#include <cstdint>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
class Workspace;

namespace Operations {

/// The cell states of one volume before and after an undoable process step, kept as one record
/// per snapshot in the workspace's undo and redo files: "key number state state ... state\n".
/// Every snapshot of a run gets its own number, so a key shared by two operation classes never
/// makes a restore pick the wrong record.
class ProcessSnapshot {
public:
    ProcessSnapshot(Workspace &workspace, const QString &key);

    const QString &key() const { return m_key; }
    uint64_t number() const { return m_number; }

    /// Appends the volume's states to the undo file (before the step) or the redo file (after it).
    bool writeBefore(Model::Automaton::TotalVolume &volume) const;
    bool writeAfter(Model::Automaton::TotalVolume &volume) const;
    /// Puts the recorded states back into the volume; false when no complete record was found.
    bool restoreBefore(Model::Automaton::TotalVolume &volume) const;
    bool restoreAfter(Model::Automaton::TotalVolume &volume) const;

    static bool writeRecord(const QString &fileName, const QString &key, uint64_t number,
                            Model::Automaton::TotalVolume &volume);
    static bool readRecord(const QString &fileName, const QString &key, uint64_t number,
                           Model::Automaton::TotalVolume &volume);

private:
    Workspace &m_workspace;
    QString m_key;
    uint64_t m_number;
};

} // namespace Operations
} // namespace Core
