#include "anisotropicfilmdeposition.h"

#include "distancecountingiterations.h"

namespace Core {
namespace Operations {

AnisotropicFilmDeposition::AnisotropicFilmDeposition(Model::Automaton::TotalVolume &volume, uint32_t material,
                                                     float thickness, float ratio)
    : AbstractDistanceCountingAutomatonNoFinalize(volume)
    , m_material(material)
    , m_thickness(thickness)
    , m_thicknessSquared(thickness * thickness)
{
    m_passableStates = {0, material};
    applyHorizontalRatio(ratio, thickness);
}

uint32_t AnisotropicFilmDeposition::iterationCount() const
{
    return DistanceCountingIterations::forDeposition(m_thickness, minCellSize());
}

void AnisotropicFilmDeposition::initializeCell(uint32_t index, uint32_t slice)
{
    Model::Automaton::Voxel &cell = m_cells[index];
    if (cell.state() != 0) {
        cell.setSettled(true);
        cell.setDistance(0.0f, 0.0f, 0.0f);
        return;
    }
    cell.setSettled(false);
    cell.setDistance(m_thickness, m_thickness, m_thickness);
    if (anyNeighbour(index, [](const Model::Automaton::Voxel &n) { return n.state() != 0; }))
        joinFront(index, slice);
}

void AnisotropicFilmDeposition::updateCell(uint32_t index, uint32_t begin, uint32_t end, FrontSet &nextFront,
                                           uint32_t slice)
{
    if (m_cells[index].isSettled())
        return;
    updateDistance(index, m_material, m_thicknessSquared, begin, end, nextFront, slice);
}

} // namespace Operations
} // namespace Core
