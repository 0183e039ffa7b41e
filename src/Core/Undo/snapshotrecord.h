#pragma once

#include "Model/Volume/cells.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace Core {
namespace Operations {

/// One layer of a step's record in the undo or the redo file: which values of the layer the step
/// changed, as ascending runs of indices, and the values before the step (undo file) or after it
/// (redo file). The layer "states" holds the cells' states; the others hold what else a step
/// may change (atom and cut counts, the silicon lattice's atoms, counter fields), one value each.
/// A step's record is one or more of these, one after the other.
///
/// Binary, little-endian: the magic "CFSR", a format version byte, the key and the layer name
/// (each a 16-bit length and UTF-8 bytes), the snapshot number, the layer's value count (for cell
/// layers the volume's cell count), the number of changed values and the number of blocks. Each
/// block covers at most `blockCells` changed values and is stored as its raw length, its packed
/// length and the zlib-packed bytes (qCompress) of a varint stream: the count of runs, each run's
/// gap from the end of the one before and its length, then one value per index. Blocks bound the
/// memory that writing and reading need.
class SnapshotRecord {
public:
    struct Run {
        uint64_t first;
        uint64_t length;
        bool operator==(const Run &other) const { return first == other.first && length == other.length; }
    };
    using Runs = std::vector<Run>;
    /// Writes the states of the cells first .. first + length - 1 to `out`.
    using StateSource = std::function<void(uint64_t first, uint64_t length, uint32_t *out)>;

    static constexpr uint64_t blockCells = uint64_t(1) << 20;

    /// The name of the layer of cell states.
    static QString statesLayer() { return QStringLiteral("states"); }

    /// The record of these runs with the values that `states` gives. May throw std::bad_alloc.
    static QByteArray encode(const QString &key, uint64_t number, uint64_t cellCount, const Runs &runs,
                             const StateSource &states, const QString &layer = statesLayer());

    /// Reads a record; false with a reason when the bytes are not one complete, consistent record.
    bool decode(const QByteArray &data, QString *error);
    /// Reads the records of one step, one after the other; false with a reason when the bytes are
    /// not a sequence of complete, consistent records.
    static bool decodeAll(const QByteArray &data, std::vector<SnapshotRecord> &records, QString *error);

    /// Writes the recorded states into the cells (`cellCount` of them). The states must be cell
    /// states (see `largestValue`).
    void apply(Model::Automaton::Cells cells) const;
    /// The largest recorded value, 0 when there is none.
    uint32_t largestValue() const;
    /// Calls set(index, value) for every recorded value, in ascending order of the indices.
    template <class Set> void forEachValue(Set &&set) const
    {
        const uint32_t *value = states.data();
        for (const Run &run : runs) {
            for (uint64_t i = 0; i < run.length; ++i)
                set(run.first + i, *value++);
        }
    }

    QString key;
    QString layer;
    uint64_t number = 0;
    uint64_t cellCount = 0;
    Runs runs;
    std::vector<uint32_t> states;

private:
    /// Reads one record from `data` starting at `offset` and moves `offset` past it.
    bool decodeAt(const QByteArray &data, int &offset, QString *error);
};

} // namespace Operations
} // namespace Core
