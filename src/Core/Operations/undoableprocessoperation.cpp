#include "Core/Operations/undoableprocessoperation.h"

#include "Core/ibusyindicator.h"
#include "Core/workspace.h"
#include "Model/Volume/totalvolume.h"

namespace Core {
namespace Operations {

UndoableProcessOperation::UndoableProcessOperation(Workspace &workspace, const QString &name, uint32_t typeCode,
                                                   const QString &snapshotKey)
    : CellVolumeOperation<ObjectOperation>(workspace, name, typeCode)
    , m_snapshot(workspace.sharedUndoFiles(), snapshotKey)
{
}

ProcessSnapshot::Scope UndoableProcessOperation::snapshotScope() const
{
    ProcessSnapshot::Scope scope;
    scope.atomCounts = changesAtomCounts();
    return scope;
}

bool UndoableProcessOperation::beforeRun(Model::Automaton::TotalVolume &volume)
{
    m_snapshotError.clear();
    m_latticeOutOfDateBefore = workspace().isLatticeOutOfDate(volume.id());
    return m_snapshot.takeBefore(volume, snapshotScope(), &m_snapshotError);
}

bool UndoableProcessOperation::putBackCells(Model::Automaton::TotalVolume &volume)
{
    if (!m_snapshot.revertRun(volume))
        return false;
    workspace().setLatticeOutOfDate(volume.id(), m_latticeOutOfDateBefore || !volume.siLattice());
    return true;
}

void UndoableProcessOperation::keepMasksBeforePreview()
{
    if (const auto v = volume())
        m_snapshot.keepMasks(*v);
}

void UndoableProcessOperation::putBackPreviewedMasks()
{
    if (const auto v = volume())
        m_snapshot.restoreMasks(*v);
}

void UndoableProcessOperation::afterRun(Model::Automaton::TotalVolume &volume)
{
    // A reason from before the run explains the failure better than "nothing was kept".
    QString error = m_snapshotError;
    if (error.isEmpty() && m_snapshot.takeAfter(volume, &error))
        return;
    workspace().console().writeMessage(name() + QStringLiteral(": This step cannot be undone: ") + error +
                                       QStringLiteral(". The undo history was cleared."));
}

void UndoableProcessOperation::afterFailedRun(Model::Automaton::TotalVolume &volume)
{
    if (putBackCells(volume))
        workspace().regenerateSurface(this->volume());
    else
        workspace().console().writeMessage(name() + QStringLiteral(": The cells from before the step were not kept (") +
                                           m_snapshotError + QStringLiteral("); the volume may be partly changed."));
}

bool UndoableProcessOperation::restore(bool before)
{
    auto v = volume();
    if (!v)
        return true;
    QString error;
    bool restored = false;
    {
        BusyScope busy(workspace().busyIndicator(), name());
        // The mark as the step left it is the one found now: undo and redo walk the history exactly.
        if (before)
            m_latticeOutOfDateAfter = workspace().isLatticeOutOfDate(v->id());
        auto lattice = ProcessSnapshot::LatticeRestore::Untouched;
        restored =
            before ? m_snapshot.restoreBefore(*v, &error, &lattice) : m_snapshot.restoreAfter(*v, &error, &lattice);
        if (restored) {
            const bool outOfDate = before ? m_latticeOutOfDateBefore : m_latticeOutOfDateAfter;
            workspace().setLatticeOutOfDate(v->id(), outOfDate || lattice == ProcessSnapshot::LatticeRestore::Lost);
            workspace().regenerateSurface(v);
        }
    }
    if (!restored) {
        workspace().console().writeMessage(
            name() + (before ? QStringLiteral(": Undo failed: ") : QStringLiteral(": Redo failed: ")) + error +
            QStringLiteral(". The cells were left unchanged."));
        return false;
    }
    workspace().notifyUpdate();
    return true;
}

bool UndoableProcessOperation::undo() { return restore(true); }

bool UndoableProcessOperation::redo() { return restore(false); }

} // namespace Operations
} // namespace Core
