#include "Core/Engines/Volume/filmextractionengine.h"

#include "Util/paralleltasks.h"
#include "Util/runstage.h"

#include <algorithm>
#include <vector>

namespace Core {
namespace Operations {

using Model::Automaton::CellLock;
using Model::Automaton::Cells;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;

FilmExtractionEngine::FilmExtractionEngine(TotalVolume &source, uint32_t material, bool invert)
    : m_source(source)
    , m_material(material)
    , m_invert(invert)
{
}

namespace {

struct QueuedCell {
    size_t index;
    uint32_t x;
    uint32_t y;
    uint32_t z;
};

/// First in, first out, in one ring of storage that doubles when full.
class Queue {
public:
    bool empty() const { return m_size == 0; }
    size_t size() const { return m_size; }
    void push(const QueuedCell &cell)
    {
        if (m_size == m_ring.size())
            grow();
        m_ring[(m_head + m_size) & (m_ring.size() - 1)] = cell;
        ++m_size;
    }
    QueuedCell pop()
    {
        const QueuedCell cell = m_ring[m_head];
        m_head = (m_head + 1) & (m_ring.size() - 1);
        --m_size;
        return cell;
    }

private:
    void grow()
    {
        std::vector<QueuedCell> larger(std::max<size_t>(1024, m_ring.size() * 2));
        for (size_t i = 0; i < m_size; ++i)
            larger[i] = m_ring[(m_head + i) & (m_ring.size() - 1)];
        m_ring.swap(larger);
        m_head = 0;
    }

    std::vector<QueuedCell> m_ring;
    size_t m_head = 0;
    size_t m_size = 0;
};

} // namespace

TotalVolumePtr FilmExtractionEngine::run()
{
    m_filmCells = 0;
    m_largestQueue = 0;
    const uint32_t nx = m_source.sizeX();
    const uint32_t ny = m_source.sizeY();
    const uint32_t nz = m_source.sizeZ();
    const size_t count = m_source.cellCount();

    Util::RunStage stage(m_control, 2);
    if (stage.stopHere())
        return nullptr;
    CellLock sourceLock(m_source);
    const Cells::State *states = sourceLock.cells().states();
    // One bit per cell, set while the cell holds the material and has not been reached: the fill
    // then reads 2 MiB of bits for a 256^3 volume instead of the cells' 32 MiB of states. The words are
    // disjoint, so their tasks never share one.
    std::vector<uint64_t> open((count + 63) / 64, 0);
    Util::runParallelRange(open.size(), 4096, [&](size_t begin, size_t end) {
        for (size_t w = begin; w < end; ++w) {
            const size_t first = w * 64;
            const size_t n = std::min<size_t>(64, count - first);
            uint64_t bits = 0;
            for (size_t b = 0; b < n; ++b)
                bits |= uint64_t(states[first + b] == m_material) << b;
            open[w] = bits;
        }
    });
    // Index order is x outermost, then y, then z: the first set bit is the seed of the scan order.
    size_t seed = count;
    for (size_t w = 0; w < open.size(); ++w) {
        if (open[w] != 0) {
            seed = w * 64 + size_t(__builtin_ctzll(open[w]));
            break;
        }
    }
    stage.advance();
    if (seed == count) {
        stage.finish();
        return nullptr;
    }
    if (stage.stopHere())
        return nullptr;

    auto film = std::make_shared<TotalVolume>(nx, ny, nz, m_source.cellSizeX(), m_source.cellSizeY(),
                                              m_source.cellSizeZ(), m_source.position(), 0u);
    CellLock filmLock(*film);
    Cells out = filmLock.cells();

    // A cell's bit is cleared when it is queued, so it is queued and copied at most once and the
    // queue holds no repeats; the body found is the same as marking it when it is taken out.
    // Queued cells carry their coordinates, which saves two divisions per cell.
    Queue queue;
    const size_t column = size_t(ny) * nz;
    uint32_t low = nz;
    uint32_t high = 0;
    auto visit = [&](size_t j, uint32_t x, uint32_t y, uint32_t z) {
        uint64_t &word = open[j >> 6];
        const uint64_t bit = uint64_t(1) << (j & 63);
        if (word & bit) {
            word &= ~bit;
            queue.push({j, x, y, z});
        }
    };
    {
        uint32_t x = 0;
        uint32_t y = 0;
        uint32_t z = 0;
        m_source.coordinates(seed, x, y, z);
        visit(seed, x, y, z);
    }
    while (!queue.empty()) {
        m_largestQueue = std::max(m_largestQueue, queue.size());
        const QueuedCell c = queue.pop();
        const size_t i = c.index;

        // Inverted, the body turns half a turn about x: y and z run backwards, x stays.
        const uint32_t wy = m_invert ? ny - 1 - c.y : c.y;
        const uint32_t wz = m_invert ? nz - 1 - c.z : c.z;
        out.setState(m_source.index(c.x, wy, wz), m_material);
        low = std::min(low, wz);
        high = std::max(high, wz);
        ++m_filmCells;

        if (c.x > 0)
            visit(i - column, c.x - 1, c.y, c.z);
        if (c.x + 1 < nx)
            visit(i + column, c.x + 1, c.y, c.z);
        if (c.y > 0)
            visit(i - nz, c.x, c.y - 1, c.z);
        if (c.y + 1 < ny)
            visit(i + nz, c.x, c.y + 1, c.z);
        if (c.z > 0)
            visit(i - 1, c.x, c.y, c.z - 1);
        if (c.z + 1 < nz)
            visit(i + 1, c.x, c.y, c.z + 1);
    }
    if (low > 0)
        lower(*film, out, low, high);
    stage.finish();
    return film;
}

void FilmExtractionEngine::lower(TotalVolume &film, Cells cells, uint32_t low, uint32_t high)
{
    const uint32_t nz = film.sizeZ();
    const size_t columns = size_t(film.sizeX()) * film.sizeY();
    for (size_t c = 0; c < columns; ++c) {
        Cells col = cells.from(c * nz);
        // Upwards: the place a cell moves to was read (and emptied) before, or lies below the body.
        for (uint32_t z = low; z <= high; ++z) {
            const uint32_t state = col.state(z);
            col.setState(z, 0);
            col.setState(z - low, state);
        }
    }
}

} // namespace Operations
} // namespace Core
