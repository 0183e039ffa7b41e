#include "Core/Engines/Lattice/maskerosion.h"

#include <algorithm>

namespace Core {
namespace Operations {

MaskErosion::MaskErosion(uint32_t material, double stepsPerCell)
    : m_material(material)
    , m_stepsPerCell(stepsPerCell)
{
}

void MaskErosion::start(const Model::Automaton::Cells &cells, uint32_t nx, uint32_t ny, uint32_t nz)
{
    m_nx = nx;
    m_ny = ny;
    m_nz = nz;
    m_exposed.assign(size_t(nx) * ny * nz, 0);
    m_queue = decltype(m_queue)();
    const int64_t column = int64_t(ny) * nz;
    for (int64_t cell = 0; cell < int64_t(m_exposed.size()); ++cell) {
        if (cells.state(size_t(cell)) != m_material)
            continue;
        const int64_t x = cell / column;
        const int64_t y = (cell / nz) % ny;
        const int64_t z = cell % nz;
        auto empty = [&cells](int64_t c) { return cells.state(size_t(c)) == 0; };
        if ((x > 0 && empty(cell - column)) || (x + 1 < int64_t(nx) && empty(cell + column)) ||
            (y > 0 && empty(cell - nz)) || (y + 1 < int64_t(ny) && empty(cell + nz)) || (z > 0 && empty(cell - 1)) ||
            (z + 1 < int64_t(nz) && empty(cell + 1)))
            expose(cells, cell, 0.0);
    }
}

void MaskErosion::expose(const Model::Automaton::Cells &cells, int64_t cell, double time)
{
    if (m_exposed[size_t(cell)] || cells.state(size_t(cell)) != m_material)
        return;
    m_exposed[size_t(cell)] = 1;
    m_queue.push(Event(time + m_stepsPerCell, cell));
}

void MaskErosion::exposeNeighbours(const Model::Automaton::Cells &cells, int64_t cell, double time)
{
    const int64_t column = int64_t(m_ny) * m_nz;
    const int64_t x = cell / column;
    const int64_t y = (cell / m_nz) % m_ny;
    const int64_t z = cell % m_nz;
    // The six cells that share a face with it; the volume's faces are cuts, not the bath.
    if (x > 0)
        expose(cells, cell - column, time);
    if (x + 1 < int64_t(m_nx))
        expose(cells, cell + column, time);
    if (y > 0)
        expose(cells, cell - m_nz, time);
    if (y + 1 < int64_t(m_ny))
        expose(cells, cell + m_nz, time);
    if (z > 0)
        expose(cells, cell - 1, time);
    if (z + 1 < int64_t(m_nz))
        expose(cells, cell + 1, time);
}

void MaskErosion::exposeAround(const Model::Automaton::Cells &cells, const std::vector<int64_t> &emptied, double time)
{
    for (int64_t cell : emptied)
        exposeNeighbours(cells, cell, time);
}

std::vector<int64_t> MaskErosion::takeDue(Model::Automaton::Cells &cells, double time)
{
    std::vector<int64_t> gone;
    while (hasDue(time)) {
        const Event event = m_queue.top();
        m_queue.pop();
        cells.setState(size_t(event.second), 0);
        gone.push_back(event.second);
        // The faces it bared recede from the moment it went.
        exposeNeighbours(cells, event.second, event.first);
    }
    std::sort(gone.begin(), gone.end());
    return gone;
}

} // namespace Operations
} // namespace Core
