#pragma once

#include "Core/Undo/undofiles.h"
#include "Core/Undo/volumemasks.h"
#include "Model/Volume/cells.h"
#include "Model/Volume/siorientation.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
class SurfaceFlux;
} // namespace Automaton
} // namespace Model

namespace Core {
namespace Operations {

/// What one undoable process step did to its volume. Before the run it keeps in memory the cell
/// states and whatever else the step may change (its scope: atom counts, cut counts, the silicon
/// lattice, counter fields); after the run it writes only the values that changed, the old ones
/// to the undo file and the new ones to the redo file (a `SnapshotRecord` per layer),
/// and lets go of the copies. The volume's masks, which a step may preview before the run and
/// take off after it, are small and kept in memory. The records are released when the snapshot
/// is destroyed, that is when its operation has left the undo and redo stacks.
///
/// Every snapshot gets its own number, so a key shared by two operation classes never makes a
/// restore pick the wrong record.
class ProcessSnapshot {
public:
    /// What a step changes besides the cell states and the masks.
    struct Scope {
        bool atomCounts = false;
        bool cutCounts = false;
        /// The volume's silicon lattice: a step may lay it, or replace it, and change its atoms.
        bool lattice = false;
        /// Names of counter fields (ParticleCounts) that the step may create or change.
        QStringList counterFields;
        /// The volume's masks, unless kept already by `keepMasks`.
        bool masks = true;
    };

    /// How a restore left the silicon lattice.
    enum class LatticeRestore {
        Untouched, ///< the step does not change the lattice
        Restored,  ///< put back as it was
        Lost       ///< could not be put back: it must be laid anew before it is used
    };

    /// The records go to `files` (a workspace's undo files); the snapshot lets them go when it ends,
    /// unless the files are gone already.
    ProcessSnapshot(const std::shared_ptr<UndoFiles> &files, const QString &key);
    ~ProcessSnapshot();
    ProcessSnapshot(const ProcessSnapshot &) = delete;
    ProcessSnapshot &operator=(const ProcessSnapshot &) = delete;

    const QString &key() const { return m_key; }
    uint64_t number() const { return m_number; }
    /// True once `takeAfter` has written the records.
    bool isRecorded() const { return m_recorded; }

    /// Keeps the volume's masks as they are now, unless this step kept them already (a preview
    /// changes them before the run; what undo puts back is what was there before the preview).
    void keepMasks(const Model::Automaton::TotalVolume &volume);
    /// Puts the kept masks back (a preview given up); nothing when none were kept.
    void restoreMasks(Model::Automaton::TotalVolume &volume) const;

    /// Keeps what the run may change; false with a reason when there is no memory for it.
    bool takeBefore(Model::Automaton::TotalVolume &volume, const Scope &scope, QString *error);
    /// Records what differs from the kept copies and lets go of them; false with a reason when
    /// nothing was kept or the records could not be written.
    bool takeAfter(Model::Automaton::TotalVolume &volume, QString *error);
    /// Puts the kept copies back after a stopped or failed run and lets go of them; false when
    /// none were kept.
    bool revertRun(Model::Automaton::TotalVolume &volume);

    /// Puts back the volume as it was before the step (undo) or after it (redo). A missing or
    /// damaged record leaves the volume unchanged and gives false with a reason.
    bool restoreBefore(Model::Automaton::TotalVolume &volume, QString *error, LatticeRestore *lattice = nullptr);
    bool restoreAfter(Model::Automaton::TotalVolume &volume, QString *error, LatticeRestore *lattice = nullptr);

private:
    static void putFlux(Model::Automaton::TotalVolume &volume,
                        const std::shared_ptr<Model::Automaton::SurfaceFlux> &flux);
    struct Field {
        QString name;
        bool existed = false;
        std::vector<uint32_t> before;
    };

    bool restore(UndoFiles::Side side, Model::Automaton::TotalVolume &volume, QString *error, LatticeRestore *lattice);
    void dropCopies();

    std::weak_ptr<UndoFiles> m_files;
    QString m_key;
    uint64_t m_number;
    Scope m_scope;
    std::vector<Model::Automaton::Cells::State> m_states;
    /// The atom counts of the volume's silicon lattice (0 without one).
    std::vector<uint8_t> m_atoms;
    std::vector<uint8_t> m_cuts;
    std::vector<uint8_t> m_lattice;
    std::vector<Field> m_fields;
    /// Whether the lattice existed before the run, and the counter fields before and after it.
    bool m_latticeExisted = false;
    /// The wafer the lattice was laid for before and after the run; a step that laid it for another
    /// wafer replaced it, and its undo cannot bring the old atoms back.
    Model::Automaton::SiOrientation m_orientationBefore;
    Model::Automaton::SiOrientation m_orientationAfter;
    bool m_latticeReplaced = false;
    QStringList m_fieldsBefore;
    QStringList m_fieldsAfter;
    bool m_masksKept = false;
    VolumeMasks m_masksBefore;
    VolumeMasks m_masksAfter;
    std::shared_ptr<Model::Automaton::SurfaceFlux> m_fluxBefore;
    std::shared_ptr<Model::Automaton::SurfaceFlux> m_fluxAfter;
    bool m_kept = false;
    bool m_recorded = false;
};

} // namespace Operations
} // namespace Core
