#include "electrodeposition.h"

#include "distancecountingiterations.h"

namespace Core {
namespace Operations {

Electrodeposition::Electrodeposition(Model::Automaton::TotalVolume &volume, uint32_t depositedMaterial,
                                     uint32_t conductingMaterial, float thickness)
    : AbstractDistanceCountingAutomatonNoFinalize(volume)
    , m_material(depositedMaterial)
    , m_conductingMaterial(conductingMaterial)
    , m_thickness(thickness)
    , m_thicknessSquared(thickness * thickness)
{
    m_passableStates = {0, depositedMaterial};
}

uint32_t Electrodeposition::iterationCount() const
{
    return DistanceCountingIterations::forDeposition(m_thickness, minCellSize());
}

void Electrodeposition::initializeCell(uint32_t index, uint32_t slice)
{
    Model::Automaton::Voxel &cell = m_cells[index];
    if (cell.state() != 0) {
        // Only the conductor seeds the film; insulators are walls.
        cell.setSettled(true);
        if (cell.state() == m_conductingMaterial)
            cell.setDistance(0.0f, 0.0f, 0.0f);
        else
            cell.setDistance(m_thickness, m_thickness, m_thickness);
        return;
    }
    cell.setSettled(false);
    cell.setDistance(m_thickness, m_thickness, m_thickness);
    const uint32_t conductor = m_conductingMaterial;
    if (anyNeighbour(index, [conductor](const Model::Automaton::Voxel &n) { return n.state() == conductor; }))
        joinFront(index, slice);
}

void Electrodeposition::updateCell(uint32_t index, uint32_t begin, uint32_t end, FrontSet &nextFront, uint32_t slice)
{
    const Model::Automaton::Voxel &cell = m_cells[index];
    if (cell.isSettled())
        return;
    const uint32_t newState = cell.state() != 0 ? cell.state() : m_material;
    updateDistance(index, newState, m_thicknessSquared, begin, end, nextFront, slice);
}

} // namespace Operations
} // namespace Core
