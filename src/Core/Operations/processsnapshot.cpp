#include "processsnapshot.h"

#include "Core/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "snapshotrecord.h"

#include <algorithm>
#include <atomic>
#include <new>

namespace Core {
namespace Operations {

namespace {

std::atomic<uint64_t> nextSnapshotNumber{0};

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

} // namespace

ProcessSnapshot::ProcessSnapshot(Workspace &workspace, const QString &key)
    : m_files(workspace.sharedUndoFiles())
    , m_key(key)
    , m_number(nextSnapshotNumber.fetch_add(1))
{
}

ProcessSnapshot::~ProcessSnapshot()
{
    // The workspace (and its files) may be gone already when an operation outlives it.
    if (auto files = m_files.lock())
        files->release(m_number);
}

bool ProcessSnapshot::takeBefore(Model::Automaton::TotalVolume &volume, QString *error)
{
    m_kept = false;
    m_recorded = false;
    if (auto files = m_files.lock())
        files->release(m_number);
    try {
        m_before.resize(volume.cellCount());
    } catch (const std::bad_alloc &) {
        std::vector<uint32_t>().swap(m_before);
        return fail(error, QStringLiteral("there is not enough memory to keep the cells before the step"));
    }
    Model::Automaton::CellLock lock(volume);
    const Model::Automaton::Voxel *cells = lock.cells();
    for (size_t i = 0; i < m_before.size(); ++i)
        m_before[i] = cells[i].state();
    m_kept = true;
    return true;
}

bool ProcessSnapshot::takeAfter(Model::Automaton::TotalVolume &volume, QString *error)
{
    if (!m_kept || m_before.size() != volume.cellCount()) {
        std::vector<uint32_t>().swap(m_before);
        m_kept = false;
        return fail(error, QStringLiteral("the cells before the step were not kept"));
    }
    auto files = m_files.lock();
    if (!files || !files->hasFiles()) {
        std::vector<uint32_t>().swap(m_before);
        m_kept = false;
        return fail(error, QStringLiteral("there are no undo files"));
    }
    QByteArray undoRecord;
    QByteArray redoRecord;
    try {
        Model::Automaton::CellLock lock(volume);
        const Model::Automaton::Voxel *cells = lock.cells();
        SnapshotRecord::Runs runs;
        for (size_t i = 0; i < m_before.size(); ++i) {
            if (cells[i].state() == m_before[i])
                continue;
            if (!runs.empty() && runs.back().first + runs.back().length == i)
                ++runs.back().length;
            else
                runs.push_back({i, 1});
        }
        const uint64_t count = volume.cellCount();
        undoRecord = SnapshotRecord::encode(m_key, m_number, count, runs,
                                            [this](uint64_t first, uint64_t length, uint32_t *out) {
                                                std::copy_n(m_before.data() + first, length, out);
                                            });
        redoRecord = SnapshotRecord::encode(m_key, m_number, count, runs,
                                            [cells](uint64_t first, uint64_t length, uint32_t *out) {
                                                for (uint64_t i = 0; i < length; ++i)
                                                    out[i] = cells[first + i].state();
                                            });
    } catch (const std::bad_alloc &) {
        std::vector<uint32_t>().swap(m_before);
        m_kept = false;
        return fail(error, QStringLiteral("there is not enough memory to record the changed cells"));
    }
    std::vector<uint32_t>().swap(m_before);
    m_kept = false;
    m_recorded = files->append(m_number, undoRecord, redoRecord, error);
    return m_recorded;
}

bool ProcessSnapshot::revertRun(Model::Automaton::TotalVolume &volume)
{
    const bool kept = m_kept && m_before.size() == volume.cellCount();
    if (kept) {
        Model::Automaton::CellLock lock(volume);
        Model::Automaton::Voxel *cells = lock.cells();
        for (size_t i = 0; i < m_before.size(); ++i)
            cells[i].setState(m_before[i]);
    }
    std::vector<uint32_t>().swap(m_before);
    m_kept = false;
    return kept;
}

bool ProcessSnapshot::restoreBefore(Model::Automaton::TotalVolume &volume, QString *error) const
{
    return restore(UndoFiles::Side::Undo, volume, error);
}

bool ProcessSnapshot::restoreAfter(Model::Automaton::TotalVolume &volume, QString *error) const
{
    return restore(UndoFiles::Side::Redo, volume, error);
}

bool ProcessSnapshot::restore(UndoFiles::Side side, Model::Automaton::TotalVolume &volume, QString *error) const
{
    auto files = m_files.lock();
    if (!files || !m_recorded)
        return fail(error, QStringLiteral("the step has no record"));
    QByteArray data;
    if (!files->read(m_number, side, data, error))
        return false;
    // The whole record is read and checked before a single cell changes.
    SnapshotRecord record;
    QString reason;
    try {
        if (!record.decode(data, &reason))
            return fail(error, QStringLiteral("the record is damaged: %1").arg(reason));
    } catch (const std::bad_alloc &) {
        return fail(error, QStringLiteral("there is not enough memory to read the record"));
    }
    if (record.key != m_key || record.number != m_number)
        return fail(error, QStringLiteral("the record belongs to another step"));
    if (record.cellCount != volume.cellCount())
        return fail(error, QStringLiteral("the record is for a volume of another size"));
    Model::Automaton::CellLock lock(volume);
    record.apply(lock.cells());
    return true;
}

} // namespace Operations
} // namespace Core
