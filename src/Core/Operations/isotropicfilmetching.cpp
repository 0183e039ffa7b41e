#include "isotropicfilmetching.h"

#include "distancecountingiterations.h"

namespace Core {
namespace Operations {

IsotropicFilmEtching::IsotropicFilmEtching(Model::Automaton::TotalVolume &volume, uint32_t material, float depth)
    : AbstractDistanceCountingAutomatonNoFinalize(volume)
    , m_material(material)
    , m_depth(depth)
    , m_depthSquared(depth * depth)
{
    m_passableStates = {0, material};
}

uint32_t IsotropicFilmEtching::iterationCount() const
{
    return DistanceCountingIterations::forEtching(m_depth, minCellSize());
}

void IsotropicFilmEtching::initializeCell(uint32_t index, uint32_t slice)
{
    Model::Automaton::Voxel &cell = m_cells[index];
    if (cell.state() == 0) {
        cell.setSettled(true);
        cell.setDistance(0.0f, 0.0f, 0.0f);
        return;
    }
    const bool etchable = cell.state() == m_material;
    cell.setSettled(!etchable);
    cell.setDistance(m_depth, m_depth, m_depth);
    // Other materials would only be skipped in the first iteration, so they stay out of the front.
    if (etchable && anyNeighbour(index, [](const Model::Automaton::Voxel &n) { return n.state() == 0; }))
        joinFront(index, slice);
}

void IsotropicFilmEtching::updateCell(uint32_t index, uint32_t begin, uint32_t end, FrontSet &nextFront, uint32_t slice)
{
    const Model::Automaton::Voxel &cell = m_cells[index];
    if (cell.isSettled() || (cell.state() != m_material && cell.state() != 0))
        return;
    updateDistance(index, 0, m_depthSquared, begin, end, nextFront, slice);
}

} // namespace Operations
} // namespace Core
