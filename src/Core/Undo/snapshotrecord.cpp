#include "Core/Undo/snapshotrecord.h"

#include <algorithm>
#include <limits>

namespace Core {
namespace Operations {

namespace {

constexpr char magic[4] = {'C', 'F', 'S', 'R'};
constexpr uint8_t formatVersion = 2;
constexpr int maxKeyBytes = 1024;
// Fast packing: the streams are small already and a step should not wait for the disk's sake.
constexpr int packLevel = 1;
// The largest raw block: the run count, per cell at most one run (gap and length, 10 bytes each)
// and one state (5 bytes).
constexpr uint64_t maxRawBlock = 10 + SnapshotRecord::blockCells * 25;

void putVarint(QByteArray &out, uint64_t value)
{
    while (value >= 0x80) {
        out.append(static_cast<char>((value & 0x7F) | 0x80));
        value >>= 7;
    }
    out.append(static_cast<char>(value));
}

template <typename T> void putFixed(QByteArray &out, T value)
{
    for (size_t i = 0; i < sizeof(T); ++i)
        out.append(static_cast<char>((static_cast<uint64_t>(value) >> (8 * i)) & 0xFF));
}

/// Reads from a byte range and never past its end.
class Reader {
public:
    Reader(const char *begin, const char *end)
        : m_pos(begin)
        , m_end(end)
    {
    }

    bool atEnd() const { return m_pos == m_end; }
    uint64_t remaining() const { return static_cast<uint64_t>(m_end - m_pos); }
    const char *position() const { return m_pos; }
    void skip(uint64_t count) { m_pos += count; }

    template <typename T> bool fixed(T &value)
    {
        if (remaining() < sizeof(T))
            return false;
        uint64_t result = 0;
        for (size_t i = 0; i < sizeof(T); ++i)
            result |= static_cast<uint64_t>(static_cast<uint8_t>(m_pos[i])) << (8 * i);
        m_pos += sizeof(T);
        value = static_cast<T>(result);
        return true;
    }

    bool varint(uint64_t &value)
    {
        value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (m_pos == m_end)
                return false;
            const uint8_t byte = static_cast<uint8_t>(*m_pos++);
            if (shift == 63 && byte > 1)
                return false; // more than 64 bits
            value |= static_cast<uint64_t>(byte & 0x7F) << shift;
            if (!(byte & 0x80))
                return true;
        }
        return false;
    }

private:
    const char *m_pos;
    const char *m_end;
};

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

} // namespace

QByteArray SnapshotRecord::encode(const QString &key, uint64_t number, uint64_t cellCount, const Runs &runs,
                                  const StateSource &states, const QString &layer)
{
    uint64_t changed = 0;
    for (const Run &run : runs)
        changed += run.length;
    const uint64_t blockCount = (changed + blockCells - 1) / blockCells;

    QByteArray out;
    out.append(magic, sizeof magic);
    putFixed<uint8_t>(out, formatVersion);
    for (const QString &name : {key, layer}) {
        const QByteArray bytes = name.toUtf8().left(maxKeyBytes);
        putFixed<uint16_t>(out, static_cast<uint16_t>(bytes.size()));
        out.append(bytes);
    }
    putFixed<uint64_t>(out, number);
    putFixed<uint64_t>(out, cellCount);
    putFixed<uint64_t>(out, changed);
    putFixed<uint32_t>(out, static_cast<uint32_t>(blockCount));

    struct Segment {
        uint64_t first;
        uint64_t length;
    };
    std::vector<Segment> segments;
    std::vector<uint32_t> blockStates;
    QByteArray raw;
    size_t runIndex = 0;
    uint64_t runOffset = 0;
    uint64_t previousEnd = 0;
    for (uint64_t block = 0; block < blockCount; ++block) {
        // Cut the runs into this block's segments; a run may go on in the next block.
        segments.clear();
        uint64_t cells = 0;
        while (cells < blockCells && runIndex < runs.size()) {
            const Run &run = runs[runIndex];
            const uint64_t length = std::min(run.length - runOffset, blockCells - cells);
            segments.push_back({run.first + runOffset, length});
            cells += length;
            runOffset += length;
            if (runOffset == run.length) {
                ++runIndex;
                runOffset = 0;
            }
        }
        raw.clear();
        putVarint(raw, segments.size());
        for (const Segment &segment : segments) {
            putVarint(raw, segment.first - previousEnd);
            putVarint(raw, segment.length);
            previousEnd = segment.first + segment.length;
        }
        blockStates.resize(cells);
        uint32_t *target = blockStates.data();
        for (const Segment &segment : segments) {
            states(segment.first, segment.length, target);
            target += segment.length;
        }
        for (uint32_t state : blockStates)
            putVarint(raw, state);

        const QByteArray packed =
            qCompress(reinterpret_cast<const uchar *>(raw.constData()), static_cast<int>(raw.size()), packLevel);
        putFixed<uint32_t>(out, static_cast<uint32_t>(raw.size()));
        putFixed<uint32_t>(out, static_cast<uint32_t>(packed.size()));
        out.append(packed);
    }
    return out;
}

bool SnapshotRecord::decode(const QByteArray &data, QString *error)
{
    int offset = 0;
    if (!decodeAt(data, offset, error))
        return false;
    if (offset != data.size())
        return fail(error, QStringLiteral("its length does not match its header"));
    return true;
}

bool SnapshotRecord::decodeAll(const QByteArray &data, std::vector<SnapshotRecord> &records, QString *error)
{
    records.clear();
    int offset = 0;
    do {
        records.emplace_back();
        if (!records.back().decodeAt(data, offset, error))
            return false;
    } while (offset < data.size());
    return true;
}

bool SnapshotRecord::decodeAt(const QByteArray &data, int &offset, QString *error)
{
    key.clear();
    layer.clear();
    runs.clear();
    states.clear();
    Reader in(data.constData() + offset, data.constData() + data.size());

    uint8_t version = 0;
    if (in.remaining() < sizeof magic || !std::equal(magic, magic + sizeof magic, in.position()))
        return fail(error, QStringLiteral("it does not start like a cell record"));
    in.skip(sizeof magic);
    if (!in.fixed(version) || version != formatVersion)
        return fail(error, QStringLiteral("its format version is unknown"));
    for (QString *name : {&key, &layer}) {
        uint16_t length = 0;
        if (!in.fixed(length) || length > maxKeyBytes || in.remaining() < length)
            return fail(error, QStringLiteral("its header is cut short"));
        *name = QString::fromUtf8(in.position(), length);
        in.skip(length);
    }
    uint64_t changed = 0;
    uint32_t blockCount = 0;
    if (!in.fixed(number) || !in.fixed(cellCount) || !in.fixed(changed) || !in.fixed(blockCount))
        return fail(error, QStringLiteral("its header is cut short"));
    if (changed > cellCount || blockCount != (changed + blockCells - 1) / blockCells)
        return fail(error, QStringLiteral("its header is inconsistent"));

    uint64_t previousEnd = 0;
    uint64_t total = 0;
    for (uint32_t block = 0; block < blockCount; ++block) {
        uint32_t rawLength = 0;
        uint32_t packedLength = 0;
        if (!in.fixed(rawLength) || !in.fixed(packedLength) || packedLength < 4 || in.remaining() < packedLength)
            return fail(error, QStringLiteral("block %1 is cut short").arg(block + 1));
        if (rawLength > maxRawBlock)
            return fail(error, QStringLiteral("block %1 claims an impossible size").arg(block + 1));
        // qCompress puts the raw length in front, big-endian; check it before qUncompress trusts it.
        const auto *packed = reinterpret_cast<const uchar *>(in.position());
        const uint32_t prefix = (uint32_t(packed[0]) << 24) | (uint32_t(packed[1]) << 16) | (uint32_t(packed[2]) << 8) |
                                uint32_t(packed[3]);
        if (prefix != rawLength)
            return fail(error, QStringLiteral("block %1 is damaged").arg(block + 1));
        const QByteArray raw = qUncompress(packed, static_cast<int>(packedLength));
        in.skip(packedLength);
        if (raw.size() != static_cast<int>(rawLength))
            return fail(error, QStringLiteral("block %1 is damaged").arg(block + 1));

        Reader blockIn(raw.constData(), raw.constData() + raw.size());
        uint64_t segmentCount = 0;
        if (!blockIn.varint(segmentCount) || segmentCount == 0 || segmentCount > blockCells)
            return fail(error, QStringLiteral("block %1 is damaged").arg(block + 1));
        uint64_t cells = 0;
        for (uint64_t s = 0; s < segmentCount; ++s) {
            uint64_t gap = 0;
            uint64_t length = 0;
            if (!blockIn.varint(gap) || !blockIn.varint(length) || length == 0)
                return fail(error, QStringLiteral("block %1 is damaged").arg(block + 1));
            if (gap > cellCount || length > cellCount || previousEnd + gap > cellCount - length)
                return fail(error, QStringLiteral("block %1 names cells outside the volume").arg(block + 1));
            const uint64_t first = previousEnd + gap;
            // A run cut by a block boundary goes on with a gap of 0: join it up again.
            if (gap == 0 && !runs.empty() && runs.back().first + runs.back().length == first)
                runs.back().length += length;
            else
                runs.push_back({first, length});
            previousEnd = first + length;
            cells += length;
        }
        if (cells > blockCells || (block + 1 < blockCount && cells != blockCells))
            return fail(error, QStringLiteral("block %1 is damaged").arg(block + 1));
        const size_t stateStart = states.size();
        states.resize(stateStart + cells);
        for (uint64_t i = 0; i < cells; ++i) {
            uint64_t state = 0;
            if (!blockIn.varint(state) || state > std::numeric_limits<uint32_t>::max())
                return fail(error, QStringLiteral("block %1 is damaged").arg(block + 1));
            states[stateStart + i] = static_cast<uint32_t>(state);
        }
        if (!blockIn.atEnd())
            return fail(error, QStringLiteral("block %1 is damaged").arg(block + 1));
        total += cells;
    }
    if (total != changed)
        return fail(error, QStringLiteral("its length does not match its header"));
    offset = static_cast<int>(in.position() - data.constData());
    return true;
}

void SnapshotRecord::apply(Model::Automaton::Cells cells) const
{
    forEachValue([&cells](uint64_t i, uint32_t state) { cells.setState(size_t(i), state); });
}

uint32_t SnapshotRecord::largestValue() const
{
    return states.empty() ? 0u : *std::max_element(states.begin(), states.end());
}

} // namespace Operations
} // namespace Core
