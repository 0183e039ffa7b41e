#include "Core/Undo/processsnapshot.h"

#include "Core/Undo/snapshotrecord.h"
#include "Model/Volume/particlecounts.h"
#include "Model/Volume/silattice.h"
#include "Model/Volume/surfaceflux.h"
#include "Model/Volume/totalvolume.h"

#include <algorithm>
#include <atomic>
#include <new>

namespace Core {
namespace Operations {

namespace {

using Model::Automaton::Cells;
using Model::Automaton::ParticleCounts;
using Model::Automaton::SiLattice;
using Model::Automaton::TotalVolume;

std::atomic<uint64_t> nextSnapshotNumber{0};

const QString atomsLayer = QStringLiteral("atoms");
const QString cutsLayer = QStringLiteral("cuts");
const QString latticeLayer = QStringLiteral("lattice");

QString fieldLayer(const QString &name) { return QStringLiteral("field:") + name; }

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

/// Appends the records of one layer: the runs of indices whose values differ, with the values
/// before to `undo` and those after to `redo`. A layer without changes is left out, unless `always`.
/// May throw std::bad_alloc.
template <class Before, class After>
void addLayer(QByteArray &undo, QByteArray &redo, const QString &key, uint64_t number, const QString &layer,
              uint64_t count, Before before, After after, bool always = false)
{
    SnapshotRecord::Runs runs;
    for (uint64_t i = 0; i < count; ++i) {
        if (before(i) == after(i))
            continue;
        if (!runs.empty() && runs.back().first + runs.back().length == i)
            ++runs.back().length;
        else
            runs.push_back({i, 1});
    }
    if (runs.empty() && !always)
        return;
    undo += SnapshotRecord::encode(
        key, number, count, runs,
        [&](uint64_t first, uint64_t length, uint32_t *out) {
            for (uint64_t i = 0; i < length; ++i)
                out[i] = before(first + i);
        },
        layer);
    redo += SnapshotRecord::encode(
        key, number, count, runs,
        [&](uint64_t first, uint64_t length, uint32_t *out) {
            for (uint64_t i = 0; i < length; ++i)
                out[i] = after(first + i);
        },
        layer);
}

} // namespace

ProcessSnapshot::ProcessSnapshot(const std::shared_ptr<UndoFiles> &files, const QString &key)
    : m_files(files)
    , m_key(key)
    , m_number(nextSnapshotNumber.fetch_add(1))
{
}

ProcessSnapshot::~ProcessSnapshot()
{
    // The files (and their workspace) may be gone already when an operation outlives them.
    if (auto files = m_files.lock())
        files->release(m_number);
}

void ProcessSnapshot::keepMasks(const TotalVolume &volume)
{
    if (m_masksKept)
        return;
    m_masksBefore = VolumeMasks::of(volume);
    m_masksAfter = m_masksBefore;
    m_masksKept = true;
}

void ProcessSnapshot::restoreMasks(TotalVolume &volume) const
{
    if (m_masksKept)
        m_masksBefore.applyTo(volume);
}

void ProcessSnapshot::dropCopies()
{
    std::vector<Cells::State>().swap(m_states);
    std::vector<uint8_t>().swap(m_atoms);
    std::vector<uint8_t>().swap(m_cuts);
    std::vector<uint8_t>().swap(m_lattice);
    std::vector<Field>().swap(m_fields);
    m_kept = false;
}

void ProcessSnapshot::putFlux(TotalVolume &volume, const std::shared_ptr<Model::Automaton::SurfaceFlux> &flux)
{
    if (flux)
        Model::Automaton::SurfaceFlux::attach(volume, flux);
    else
        volume.removeField(Model::Automaton::SurfaceFlux::name());
}

bool ProcessSnapshot::takeBefore(TotalVolume &volume, const Scope &scope, QString *error)
{
    dropCopies();
    // The line-of-sight flux is never changed in place, only replaced: the field before and after
    // the step are kept as they are, so that undo and redo show the flux that goes with the cells.
    m_fluxBefore = Model::Automaton::SurfaceFlux::of(volume);
    m_fluxAfter = m_fluxBefore;
    m_recorded = false;
    if (auto files = m_files.lock())
        files->release(m_number);
    m_scope = scope;
    const size_t n = volume.cellCount();
    const auto lattice = scope.lattice ? volume.siLattice() : nullptr;
    m_latticeExisted = lattice != nullptr;
    m_latticeReplaced = false;
    if (lattice)
        m_orientationBefore = lattice->orientation();
    try {
        m_states.resize(n);
        if (scope.atomCounts)
            m_atoms.resize(n);
        if (scope.cutCounts)
            m_cuts.resize(n);
        if (lattice) {
            m_lattice.resize(lattice->storedByteCount());
            for (size_t i = 0; i < m_lattice.size(); ++i)
                m_lattice[i] = lattice->storedByte(i);
        }
        for (const QString &name : scope.counterFields) {
            Field field;
            field.name = name;
            if (const auto counts = ParticleCounts::of(volume, name)) {
                field.existed = true;
                field.before.assign(counts->data(), counts->data() + n * ParticleCounts::slotsPerCell);
            }
            m_fields.push_back(std::move(field));
        }
    } catch (const std::bad_alloc &) {
        dropCopies();
        return fail(error, QStringLiteral("there is not enough memory to keep the cells before the step"));
    }
    {
        Model::Automaton::CellLock lock(volume);
        const Cells cells = lock.cells();
        std::copy(cells.states(), cells.states() + n, m_states.begin());
        if (!m_atoms.empty()) {
            const auto counted = volume.siLattice();
            for (size_t i = 0; i < m_atoms.size(); ++i)
                m_atoms[i] = counted ? uint8_t(counted->atomCount(i)) : 0;
        }
        if (!m_cuts.empty())
            std::copy(cells.cutCounts(), cells.cutCounts() + n, m_cuts.begin());
    }
    if (scope.masks)
        keepMasks(volume);
    m_kept = true;
    return true;
}

bool ProcessSnapshot::takeAfter(TotalVolume &volume, QString *error)
{
    m_fluxAfter = Model::Automaton::SurfaceFlux::of(volume);
    const size_t n = volume.cellCount();
    if (!m_kept || m_states.size() != n) {
        dropCopies();
        return fail(error, QStringLiteral("the cells before the step were not kept"));
    }
    auto files = m_files.lock();
    if (!files || !files->hasFiles()) {
        dropCopies();
        return fail(error, QStringLiteral("there are no undo files"));
    }
    const auto lattice = m_scope.lattice ? volume.siLattice() : nullptr;
    // A lattice laid for another wafer is recorded as a lattice the step laid.
    m_latticeReplaced = m_latticeExisted && lattice && lattice->orientation() != m_orientationBefore;
    if (lattice)
        m_orientationAfter = lattice->orientation();
    if (m_latticeExisted && !m_latticeReplaced && (!lattice || lattice->storedByteCount() != m_lattice.size())) {
        dropCopies();
        return fail(error, QStringLiteral("the silicon lattice changed its size"));
    }
    QByteArray undo;
    QByteArray redo;
    try {
        {
            Model::Automaton::CellLock lock(volume);
            const Cells cells = lock.cells();
            addLayer(
                undo, redo, m_key, m_number, SnapshotRecord::statesLayer(), n,
                [this](uint64_t i) { return uint32_t(m_states[i]); },
                [&cells](uint64_t i) { return cells.state(size_t(i)); }, true);
            if (m_scope.atomCounts) {
                const auto counted = volume.siLattice();
                addLayer(
                    undo, redo, m_key, m_number, atomsLayer, n, [this](uint64_t i) { return uint32_t(m_atoms[i]); },
                    [&counted](uint64_t i) { return counted ? counted->atomCount(size_t(i)) : 0u; });
            }
            if (m_scope.cutCounts)
                addLayer(
                    undo, redo, m_key, m_number, cutsLayer, n, [this](uint64_t i) { return uint32_t(m_cuts[i]); },
                    [&cells](uint64_t i) { return cells.cutCount(size_t(i)); });
        }
        // A lattice laid by the step counts as laid over nothing: every atom absent.
        if (lattice)
            addLayer(
                undo, redo, m_key, m_number, latticeLayer, lattice->storedByteCount(),
                [this](uint64_t i) { return m_latticeExisted && !m_latticeReplaced ? uint32_t(m_lattice[i]) : 0u; },
                [&lattice](uint64_t i) { return uint32_t(lattice->storedByte(i)); });
        m_fieldsBefore.clear();
        m_fieldsAfter.clear();
        for (const Field &field : m_fields) {
            const auto counts = ParticleCounts::of(volume, field.name);
            if (field.existed)
                m_fieldsBefore << field.name;
            if (counts)
                m_fieldsAfter << field.name;
            if (field.existed && !counts) {
                dropCopies();
                return fail(error, QStringLiteral("the field \"%1\" went away").arg(field.name));
            }
            if (!counts)
                continue;
            const uint32_t *after = counts->data();
            addLayer(
                undo, redo, m_key, m_number, fieldLayer(field.name), uint64_t(n) * ParticleCounts::slotsPerCell,
                [&field](uint64_t i) { return field.existed ? field.before[i] : 0u; },
                [after](uint64_t i) { return after[i]; });
        }
        if (m_masksKept)
            m_masksAfter = VolumeMasks::of(volume);
    } catch (const std::bad_alloc &) {
        dropCopies();
        return fail(error, QStringLiteral("there is not enough memory to record the changed cells"));
    }
    dropCopies();
    m_recorded = files->append(m_number, undo, redo, error);
    return m_recorded;
}

bool ProcessSnapshot::revertRun(TotalVolume &volume)
{
    const size_t n = volume.cellCount();
    if (!m_kept || m_states.size() != n) {
        dropCopies();
        return false;
    }
    putFlux(volume, m_fluxBefore);
    {
        Model::Automaton::CellLock lock(volume);
        Cells cells = lock.cells();
        std::copy(m_states.begin(), m_states.end(), cells.states());
        if (!m_cuts.empty())
            std::copy(m_cuts.begin(), m_cuts.end(), cells.cutCounts());
        const auto counted = volume.siLattice();
        if (counted && !m_atoms.empty()) {
            for (size_t i = 0; i < m_atoms.size(); ++i)
                counted->setAtomCount(i, m_atoms[i]);
        }
    }
    if (m_scope.lattice) {
        const auto lattice = volume.siLattice();
        if (m_latticeExisted && lattice && lattice->orientation() == m_orientationBefore &&
            lattice->storedByteCount() == m_lattice.size()) {
            for (size_t i = 0; i < m_lattice.size(); ++i)
                lattice->setStoredByte(i, m_lattice[i]);
        } else {
            // A lattice laid by the stopped step goes with it; the next wet etch lays one again.
            volume.setSiLattice(nullptr);
        }
    }
    for (const Field &field : m_fields) {
        const auto counts = ParticleCounts::of(volume, field.name);
        if (field.existed && counts)
            std::copy(field.before.begin(), field.before.end(), counts->data());
        else if (!field.existed)
            volume.removeField(field.name);
    }
    dropCopies();
    return true;
}

bool ProcessSnapshot::restoreBefore(TotalVolume &volume, QString *error, LatticeRestore *lattice)
{
    return restore(UndoFiles::Side::Undo, volume, error, lattice);
}

bool ProcessSnapshot::restoreAfter(TotalVolume &volume, QString *error, LatticeRestore *lattice)
{
    return restore(UndoFiles::Side::Redo, volume, error, lattice);
}

bool ProcessSnapshot::restore(UndoFiles::Side side, TotalVolume &volume, QString *error, LatticeRestore *latticeResult)
{
    auto files = m_files.lock();
    if (!files || !m_recorded)
        return fail(error, QStringLiteral("the step has no record"));
    QByteArray data;
    if (!files->read(m_number, side, data, error))
        return false;
    const bool undo = side == UndoFiles::Side::Undo;
    const uint64_t n = volume.cellCount();
    const QString fieldPrefix = fieldLayer(QString());

    // Everything is read, checked and made ready before a single value changes.
    struct FieldPlan {
        QString name;
        Model::Automaton::ParticleCountsPtr counts;
        const SnapshotRecord *record;
    };
    std::vector<SnapshotRecord> records;
    std::vector<FieldPlan> fields;
    QStringList goneFields;
    const SnapshotRecord *latticeRecord = nullptr;
    std::shared_ptr<SiLattice> lattice = m_scope.lattice ? volume.siLattice() : nullptr;
    std::shared_ptr<SiLattice> laid;
    bool wantLattice = false;
    LatticeRestore latticeRestore = m_scope.lattice ? LatticeRestore::Restored : LatticeRestore::Untouched;
    try {
        QString reason;
        if (!SnapshotRecord::decodeAll(data, records, &reason))
            return fail(error, QStringLiteral("the record is damaged: %1").arg(reason));
        for (const SnapshotRecord &record : records) {
            if (record.key != m_key || record.number != m_number)
                return fail(error, QStringLiteral("the record belongs to another step"));
            const bool cellLayer = record.layer == SnapshotRecord::statesLayer() || record.layer == atomsLayer ||
                                   record.layer == cutsLayer;
            const bool fieldOfStep = record.layer.startsWith(fieldPrefix) &&
                                     m_scope.counterFields.contains(record.layer.mid(fieldPrefix.size()));
            if (record.layer == latticeLayer && m_scope.lattice)
                latticeRecord = &record;
            else if (!cellLayer && !fieldOfStep)
                return fail(error, QStringLiteral("the record holds an unknown layer \"%1\"").arg(record.layer));
            if ((cellLayer && record.cellCount != n) ||
                (fieldOfStep && record.cellCount != n * ParticleCounts::slotsPerCell))
                return fail(error, QStringLiteral("the record is for a volume of another size"));
            if (record.layer == SnapshotRecord::statesLayer() && record.largestValue() > Cells::maximumState)
                return fail(error, QStringLiteral("the record is damaged: it holds the cell state %1, and states go "
                                                  "up to %2")
                                       .arg(record.largestValue())
                                       .arg(Cells::maximumState));
        }
        for (const QString &name : m_scope.counterFields) {
            if (!(undo ? m_fieldsBefore : m_fieldsAfter).contains(name)) {
                goneFields << name;
                continue;
            }
            FieldPlan plan{name, ParticleCounts::of(volume, name), nullptr};
            if (!plan.counts)
                plan.counts = std::make_shared<ParticleCounts>(n);
            for (const SnapshotRecord &record : records) {
                if (record.layer == fieldLayer(name))
                    plan.record = &record;
            }
            fields.push_back(plan);
        }
        if (m_scope.lattice) {
            wantLattice = undo ? m_latticeExisted : (m_latticeExisted || latticeRecord);
            const bool laidByStep = !m_latticeExisted || m_latticeReplaced;
            const auto &orientation = undo ? m_orientationBefore : m_orientationAfter;
            if (wantLattice && !undo && laidByStep && (!lattice || lattice->orientation() != orientation)) {
                // Redo of the step that laid the lattice: its record holds every atom the step left.
                laid = std::make_shared<SiLattice>(volume, orientation);
                laid->clear();
                lattice = laid;
            }
            // The atoms of a lattice the step replaced are not recorded: it is laid anew.
            if (wantLattice && undo && m_latticeReplaced)
                latticeRestore = LatticeRestore::Lost;
            if (wantLattice && (!lattice || lattice->orientation() != orientation ||
                                (latticeRecord && lattice->storedByteCount() != latticeRecord->cellCount)))
                latticeRestore = LatticeRestore::Lost;
        }
    } catch (const std::bad_alloc &) {
        return fail(error, QStringLiteral("there is not enough memory to read the record"));
    }

    {
        Model::Automaton::CellLock lock(volume);
        Cells cells = lock.cells();
        for (const SnapshotRecord &record : records) {
            if (record.layer == SnapshotRecord::statesLayer())
                record.apply(cells);
            else if (record.layer == cutsLayer)
                record.forEachValue([&cells](uint64_t i, uint32_t v) { cells.setCutCount(size_t(i), v); });
        }
    }
    if (m_scope.lattice) {
        if (!wantLattice || latticeRestore == LatticeRestore::Lost) {
            // A lost lattice goes: the next wet etch lays one over the cells again.
            volume.setSiLattice(nullptr);
        } else {
            if (latticeRecord)
                latticeRecord->forEachValue(
                    [&lattice](uint64_t i, uint32_t v) { lattice->setStoredByte(size_t(i), static_cast<uint8_t>(v)); });
            if (laid)
                volume.setSiLattice(laid);
        }
    }
    // Atom counts belong to the lattice the volume has now; without one there is nothing to count
    // (a lattice laid later counts its atoms afresh).
    if (const auto counted = volume.siLattice()) {
        Model::Automaton::CellLock lock(volume);
        for (const SnapshotRecord &record : records) {
            if (record.layer == atomsLayer)
                record.forEachValue([&counted](uint64_t i, uint32_t v) { counted->setAtomCount(size_t(i), v); });
        }
    }
    for (const QString &name : goneFields)
        volume.removeField(name);
    for (const FieldPlan &plan : fields) {
        if (plan.record) {
            uint32_t *counts = plan.counts->data();
            plan.record->forEachValue([counts](uint64_t i, uint32_t v) { counts[i] = v; });
        }
        if (ParticleCounts::of(volume, plan.name) != plan.counts)
            ParticleCounts::attach(volume, plan.name, plan.counts);
    }
    if (m_masksKept)
        (undo ? m_masksBefore : m_masksAfter).applyTo(volume);
    putFlux(volume, undo ? m_fluxBefore : m_fluxAfter);
    if (latticeResult)
        *latticeResult = latticeRestore;
    return true;
}

} // namespace Operations
} // namespace Core
