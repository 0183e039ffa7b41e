#include "simplephysicalvapordeposition.h"

#include "distancecountingiterations.h"

namespace Core {
namespace Operations {

SimplePhysicalVaporDeposition::SimplePhysicalVaporDeposition(Model::Automaton::TotalVolume &volume, uint32_t material,
                                                             float thickness, float ratio, uint32_t side)
    : AbstractDistanceCountingAutomatonNoFinalize(volume)
    , m_material(material)
    , m_thickness(thickness)
    , m_thicknessSquared(thickness * thickness)
    , m_side(side)
{
    m_passableStates = {0, material};
    applyHorizontalRatio(ratio, thickness);
}

uint32_t SimplePhysicalVaporDeposition::iterationCount() const
{
    return DistanceCountingIterations::forDeposition(m_thickness, minCellSize());
}

void SimplePhysicalVaporDeposition::initializeCell(uint32_t index, uint32_t slice)
{
    Model::Automaton::Voxel &cell = m_cells[index];
    if (cell.state() == 0) {
        cell.setSettled(false);
        cell.setDistance(m_thickness, m_thickness, m_thickness);
        if (anyNeighbour(index, [](const Model::Automaton::Voxel &n) { return n.state() != 0; }))
            joinFront(index, slice);
        return;
    }
    cell.setSettled(true);
    const uint32_t z = index % m_nz;
    const bool fromTop = (m_side == 1 || m_side == 3) && z + 1 < m_nz && m_cells[index + 1].state() == 0;
    const bool fromBottom = (m_side == 2 || m_side == 3) && z > 0 && m_cells[index - 1].state() == 0;
    if (fromTop || fromBottom)
        cell.setDistance(0.0f, 0.0f, 0.0f);
    else
        cell.setDistance(m_thickness, m_thickness, m_thickness);
}

void SimplePhysicalVaporDeposition::updateCell(uint32_t index, uint32_t begin, uint32_t end, FrontSet &nextFront,
                                               uint32_t slice)
{
    if (m_cells[index].isSettled())
        return;
    updateDistance(index, m_material, m_thicknessSquared, begin, end, nextFront, slice);
}

} // namespace Operations
} // namespace Core
