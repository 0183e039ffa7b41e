#pragma once

#include "Core/Operations/operation.h"
#include "Core/Undo/processsnapshot.h"
#include "Model/Volume/totalvolume.h"

#include <QList>

namespace Core {
namespace BatchRun {

/// A process list run in a window, as one step of the window's undo history: what the list did
/// to the volume it ran on (recorded like a process step: cells, atom counts, lattice, counters
/// and masks) and the volumes it added. Undo takes the volumes away and puts the target back;
/// redo does the run's work again from the records.
class ListRunStep : public Operations::ObjectOperation {
public:
    explicit ListRunStep(Workspace &workspace);

    /// Before the run: keeps the target (may be null) and notes the document's objects. False,
    /// with the reason, when the target could not be kept (the run then cannot be undone).
    bool begin(const Model::Automaton::TotalVolumePtr &target, QString *error);
    /// After the run: records what changed. False, with the reason, when it cannot be undone.
    bool end(QString *error);

    // Started by the Batch Run dialog, never by the window's command table.
    void start() override {}
    void cancel() override {}
    void execute() override {}
    bool undo() override;
    bool redo() override;
    bool undoable() const override { return m_recorded; }

private:
    bool restore(bool before);

    Model::Automaton::TotalVolumePtr m_target;
    Operations::ProcessSnapshot m_snapshot;
    QList<Model::ObjectPtr> m_objectsBefore;
    QList<Model::ObjectPtr> m_added;
    bool m_kept = false;
    bool m_recorded = false;
    bool m_latticeOutOfDateBefore = true;
    bool m_latticeOutOfDateAfter = true;
};

} // namespace BatchRun
} // namespace Core
