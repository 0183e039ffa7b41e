#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace Model {
namespace Automaton {
class Voxel;
}
} // namespace Model

namespace Core {
namespace Operations {

/// One step's record in the undo or the redo file: which cells the step changed, as ascending
/// runs of cell indices, and their states before the step (undo file) or after it (redo file).
///
/// Binary, little-endian: the magic "CFSR", a format version byte, the key (16-bit length and
/// UTF-8 bytes), the snapshot number, the volume's cell count, the number of changed cells and
/// the number of blocks. Each block covers at most `blockCells` changed cells and is stored as
/// its raw length, its packed length and the zlib-packed bytes (qCompress) of a varint stream:
/// the count of runs, each run's gap from the end of the one before and its length, then one
/// state per cell. Blocks bound the memory that writing and reading need.
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

    /// The record of these runs with the states that `states` gives. May throw std::bad_alloc.
    static QByteArray encode(const QString &key, uint64_t number, uint64_t cellCount, const Runs &runs,
                             const StateSource &states);

    /// Reads a record; false with a reason when the bytes are not one complete, consistent record.
    bool decode(const QByteArray &data, QString *error);

    /// Writes the recorded states into the cells (an array of `cellCount` cells).
    void apply(Model::Automaton::Voxel *cells) const;

    QString key;
    uint64_t number = 0;
    uint64_t cellCount = 0;
    Runs runs;
    std::vector<uint32_t> states;
};

} // namespace Operations
} // namespace Core
