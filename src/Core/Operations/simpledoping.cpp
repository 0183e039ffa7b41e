#include "simpledoping.h"

#include "distancecountingiterations.h"

namespace Core {
namespace Operations {

SimpleDoping::SimpleDoping(Model::Automaton::TotalVolume &volume, uint32_t dopedMaterial, float depth)
    : AbstractDistanceCountingAutomatonNoFinalize(volume)
    , m_material(dopedMaterial)
    , m_depth(depth)
    , m_depthSquared(depth * depth)
    , m_dopable(MaterialSet::compatibleWith(dopableProcess))
{
    // A front moves only into dopable cells, whatever they have become.
    m_passableStates = m_dopable.materials();
}

uint32_t SimpleDoping::iterationCount() const
{
    return DistanceCountingIterations::forDeposition(m_depth, minCellSize());
}

void SimpleDoping::run()
{
    if (m_dopable.isEmpty())
        return;
    run(iterationCount());
}

void SimpleDoping::initializeCell(uint32_t index, uint32_t slice)
{
    Model::Automaton::Voxel &cell = m_cells[index];
    if (cell.state() == 0) {
        cell.setSettled(true);
        cell.setDistance(0.0f, 0.0f, 0.0f);
        return;
    }
    const bool dopable = m_dopable.contains(cell.state());
    cell.setSettled(!dopable);
    cell.setDistance(m_depth, m_depth, m_depth);
    if (dopable && anyNeighbour(index, [](const Model::Automaton::Voxel &n) { return n.state() == 0; }))
        joinFront(index, slice);
}

void SimpleDoping::updateCell(uint32_t index, uint32_t begin, uint32_t end, FrontSet &nextFront, uint32_t slice)
{
    const Model::Automaton::Voxel &cell = m_cells[index];
    if (cell.isSettled() || !m_dopable.contains(cell.state()))
        return;
    updateDistance(index, m_material, m_depthSquared, begin, end, nextFront, slice);
}

} // namespace Operations
} // namespace Core
