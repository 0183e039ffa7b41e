#include "anisotropicfilmetching.h"

#include "distancecountingiterations.h"

namespace Core {
namespace Operations {

AnisotropicFilmEtching::AnisotropicFilmEtching(Model::Automaton::TotalVolume &volume, uint32_t material, float depth,
                                               float ratio)
    : AbstractDistanceCountingAutomatonNoFinalize(volume)
    , m_material(material)
    , m_depth(depth)
    , m_depthSquared(depth * depth)
{
    m_passableStates = {material, 0};
    applyHorizontalRatio(ratio, depth);
}

uint32_t AnisotropicFilmEtching::iterationCount() const
{
    return DistanceCountingIterations::forDeposition(m_depth, minCellSize());
}

void AnisotropicFilmEtching::initializeCell(uint32_t index, uint32_t slice)
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
    if (etchable && anyNeighbour(index, [](const Model::Automaton::Voxel &n) { return n.state() == 0; }))
        joinFront(index, slice);
}

void AnisotropicFilmEtching::updateCell(uint32_t index, uint32_t begin, uint32_t end, FrontSet &nextFront,
                                        uint32_t slice)
{
    if (m_cells[index].isSettled())
        return;
    updateDistance(index, 0, m_depthSquared, begin, end, nextFront, slice);
}

} // namespace Operations
} // namespace Core
