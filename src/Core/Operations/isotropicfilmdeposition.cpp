#include "isotropicfilmdeposition.h"

#include "distancecountingiterations.h"

namespace Core {
namespace Operations {

IsotropicFilmDeposition::IsotropicFilmDeposition(Model::Automaton::TotalVolume &volume, uint32_t material,
                                                 float thickness)
    : AbstractDistanceCountingAutomatonNoFinalize(volume)
    , m_material(material)
    , m_thickness(thickness)
    , m_thicknessSquared(thickness * thickness)
{
    m_passableStates = {0, material};
}

uint32_t IsotropicFilmDeposition::iterationCount() const
{
    return DistanceCountingIterations::forDeposition(m_thickness, minCellSize());
}

void IsotropicFilmDeposition::initializeCell(uint32_t index, uint32_t slice)
{
    Model::Automaton::Voxel &cell = m_cells[index];
    if (cell.state() != 0) {
        cell.setSettled(true);
        cell.setDistance(0.0f, 0.0f, 0.0f);
        return;
    }
    cell.setSettled(false);
    // (t, t, t) is longer than t: an unreached cell never passes a distance on.
    cell.setDistance(m_thickness, m_thickness, m_thickness);
    if (anyNeighbour(index, [](const Model::Automaton::Voxel &n) { return n.state() != 0; }))
        joinFront(index, slice);
}

void IsotropicFilmDeposition::updateCell(uint32_t index, uint32_t begin, uint32_t end, FrontSet &nextFront,
                                         uint32_t slice)
{
    const Model::Automaton::Voxel &cell = m_cells[index];
    if (cell.isSettled())
        return;
    const uint32_t newState = cell.state() != 0 ? cell.state() : m_material;
    updateDistance(index, newState, m_thicknessSquared, begin, end, nextFront, slice);
}

} // namespace Operations
} // namespace Core
