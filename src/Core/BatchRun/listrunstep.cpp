#include "Core/BatchRun/listrunstep.h"

#include "Core/workspace.h"
#include "Model/Volume/particlecounts.h"

namespace Core {
namespace BatchRun {

using Model::Automaton::ParticleCounts;

ListRunStep::ListRunStep(Workspace &workspace)
    : ObjectOperation(workspace, QStringLiteral("Batch Run"), 24)
    , m_snapshot(workspace.sharedUndoFiles(), QStringLiteral("BatchRun"))
{
}

bool ListRunStep::begin(const Model::Automaton::TotalVolumePtr &target, QString *error)
{
    m_target = target;
    m_objectsBefore = workspace().document().allObjects();
    m_kept = true;
    if (!m_target)
        return true;
    m_latticeOutOfDateBefore = workspace().isLatticeOutOfDate(m_target->id());
    // A list may run any step: every part of the volume a step can change is kept.
    Operations::ProcessSnapshot::Scope scope;
    scope.atomCounts = true;
    scope.cutCounts = true;
    scope.lattice = true;
    scope.counterFields << ParticleCounts::nTypeName() << ParticleCounts::pTypeName();
    // Masks on the volume are previews of the steps being edited, not part of the run.
    scope.masks = false;
    m_kept = m_snapshot.takeBefore(*m_target, scope, error);
    return m_kept;
}

bool ListRunStep::end(QString *error)
{
    const QList<Model::ObjectPtr> objects = workspace().document().allObjects();
    m_added.clear();
    for (const auto &object : objects) {
        if (!m_objectsBefore.contains(object))
            m_added << object;
    }
    m_objectsBefore.clear();
    if (!m_kept) {
        if (error)
            *error = QStringLiteral("the cells before the run were not kept");
        return false;
    }
    if (!m_target) {
        m_recorded = true;
        return true;
    }
    m_recorded = m_snapshot.takeAfter(*m_target, error);
    return m_recorded;
}

bool ListRunStep::restore(bool before)
{
    Workspace &ws = workspace();
    if (m_target) {
        QString error;
        auto lattice = Operations::ProcessSnapshot::LatticeRestore::Untouched;
        if (before)
            m_latticeOutOfDateAfter = ws.isLatticeOutOfDate(m_target->id());
        BusyScope busy(ws.busyIndicator(), name());
        const bool restored = before ? m_snapshot.restoreBefore(*m_target, &error, &lattice)
                                     : m_snapshot.restoreAfter(*m_target, &error, &lattice);
        if (!restored) {
            ws.console().writeMessage(name() +
                                      (before ? QStringLiteral(": Undo failed: ") : QStringLiteral(": Redo failed: ")) +
                                      error + QStringLiteral(". The cells were left unchanged."));
            return false;
        }
        ws.setLatticeOutOfDate(m_target->id(), (before ? m_latticeOutOfDateBefore : m_latticeOutOfDateAfter) ||
                                                   lattice == Operations::ProcessSnapshot::LatticeRestore::Lost);
        ws.regenerateSurface(m_target);
    }
    for (const auto &object : m_added) {
        if (before)
            ws.document().removeObject(object);
        else
            ws.document().addObject(object);
    }
    ws.notifyUpdate();
    return true;
}

bool ListRunStep::undo() { return restore(true); }

bool ListRunStep::redo() { return restore(false); }

} // namespace BatchRun
} // namespace Core
