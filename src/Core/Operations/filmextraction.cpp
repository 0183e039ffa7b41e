#include "filmextraction.h"

#include <algorithm>
#include <deque>
#include <vector>

namespace Core {
namespace Operations {

using Model::Automaton::CellLock;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using Model::Automaton::Voxel;

FilmExtraction::FilmExtraction(TotalVolume &source, uint32_t material, bool invert)
    : m_source(source)
    , m_material(material)
    , m_invert(invert)
{
}

TotalVolumePtr FilmExtraction::run()
{
    m_filmCells = 0;
    m_largestQueue = 0;
    const uint32_t nx = m_source.sizeX();
    const uint32_t ny = m_source.sizeY();
    const uint32_t nz = m_source.sizeZ();
    const size_t count = m_source.cellCount();

    CellLock sourceLock(m_source);
    const Voxel *cells = sourceLock.cells();
    // Index order is x outermost, then y, then z: the first match is the seed of the scan order.
    size_t seed = 0;
    while (seed < count && cells[seed].state() != m_material)
        ++seed;
    if (seed == count)
        return nullptr;

    auto film = std::make_shared<TotalVolume>(nx, ny, nz, m_source.cellSizeX(), m_source.cellSizeY(),
                                              m_source.cellSizeZ(), m_source.position(), 0u);
    CellLock filmLock(*film);
    Voxel *out = filmLock.cells();

    // A cell is marked when it is queued, so it is queued and copied at most once and the queue
    // holds no repeats; the body found is the same as marking it when it is taken out.
    std::vector<bool> visited(count, false);
    std::deque<size_t> queue;
    visited[seed] = true;
    queue.push_back(seed);
    const size_t column = size_t(ny) * nz;
    uint32_t low = nz;
    uint32_t high = 0;
    auto visit = [&](size_t j) {
        if (!visited[j] && cells[j].state() == m_material) {
            visited[j] = true;
            queue.push_back(j);
        }
    };
    while (!queue.empty()) {
        m_largestQueue = std::max(m_largestQueue, queue.size());
        const size_t i = queue.front();
        queue.pop_front();
        uint32_t x = 0;
        uint32_t y = 0;
        uint32_t z = 0;
        m_source.coordinates(i, x, y, z);

        // Inverted, the body turns half a turn about x: y and z run backwards, x stays.
        const uint32_t wy = m_invert ? ny - 1 - y : y;
        const uint32_t wz = m_invert ? nz - 1 - z : z;
        out[m_source.index(x, wy, wz)].setState(m_material);
        low = std::min(low, wz);
        high = std::max(high, wz);
        ++m_filmCells;

        if (x > 0)
            visit(i - column);
        if (x + 1 < nx)
            visit(i + column);
        if (y > 0)
            visit(i - nz);
        if (y + 1 < ny)
            visit(i + nz);
        if (z > 0)
            visit(i - 1);
        if (z + 1 < nz)
            visit(i + 1);
    }
    if (low > 0)
        lower(*film, out, low, high);
    return film;
}

void FilmExtraction::lower(TotalVolume &film, Voxel *cells, uint32_t low, uint32_t high)
{
    const uint32_t nz = film.sizeZ();
    const size_t columns = size_t(film.sizeX()) * film.sizeY();
    for (size_t c = 0; c < columns; ++c) {
        Voxel *col = cells + c * nz;
        // Upwards: the place a cell moves to was read (and emptied) before, or lies below the body.
        for (uint32_t z = low; z <= high; ++z) {
            const uint32_t state = col[z].state();
            col[z].setState(0);
            col[z - low].setState(state);
        }
    }
}

} // namespace Operations
} // namespace Core
