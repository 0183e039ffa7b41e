#include "Core/Engines/DistanceCounting/simplesioxidation.h"

#include "Core/Engines/DistanceCounting/distancecountingiterations.h"

#include <cmath>

namespace Core {
namespace Operations {

SimpleSiOxidation::SimpleSiOxidation(Model::Automaton::TotalVolume &volume, double conversion)
    : AbstractDistanceCountingAutomatonBase(volume)
    , m_conversion(conversion)
    , m_oxidizable(MaterialSet::compatibleWith(oxidizableProcess))
    , m_surface(sliceCount())
{
    m_passableStates = m_oxidizable.materials();
    m_passableStates.push_back(0);
    // Distances only grow away from the surface, whatever the direction of a step.
    for (auto &displacement : m_displacements)
        for (float &component : displacement)
            component = std::fabs(component);
}

double SimpleSiOxidation::dealGroveThickness(double hours, double kelvin, double atmospheres)
{
    const double u = 1000.0 / kelvin;
    // Parabolic rate constant B (micron^2 / h) and A = B / (linear rate constant).
    const double b = 1297.907373 * std::exp(-14.92366568 * u) * (atmospheres * 0.999264839884312);
    const double a = b / (7973245.767 * std::exp(-23.43965534 * u));
    // The time that would have grown the initial 0.025 micron.
    const double tau = (0.000625 + 0.025 * a) / b;
    return (std::sqrt(a * a + 4.0 * b * (hours + tau)) - a) * 0.5;
}

uint32_t SimpleSiOxidation::iterationCount() const
{
    return DistanceCountingIterations::forEtching(m_outward, minCellSize());
}

void SimpleSiOxidation::runForTime(double hours, double kelvin, double atmospheres)
{
    runWithThickness(dealGroveThickness(hours, kelvin, atmospheres));
}

void SimpleSiOxidation::runWithThickness(double microns)
{
    m_thickness = microns * m_conversion;
    // With no thickness every unreached cell would carry a zero vector and pass both thresholds.
    if (!(m_thickness > 0.0) || !std::isfinite(m_thickness) || m_oxidizable.isEmpty())
        return;
    for (auto &cells : m_surface)
        cells.clear();
    m_outward = static_cast<float>(outwardShare * m_thickness);
    m_outwardThreshold = m_outward * m_outward;
    const float inward = static_cast<float>(m_thickness) - m_outward;
    m_inwardThreshold = inward * inward;
    // The oxide grows from the middle of the surface cells' height.
    setUnreachedDistances(static_cast<float>(m_thickness), {0.0f, 0.0f, 0.5f * m_cz});
    run(iterationCount());
}

void SimpleSiOxidation::initializeSlice(uint32_t begin, uint32_t end, uint32_t slice)
{
    const uint32_t last = end * m_columnSize;
    for (uint32_t index = begin * m_columnSize; index < last; ++index)
        SimpleSiOxidation::initializeCell(index, slice);
}

void SimpleSiOxidation::finalizeSlice(uint32_t begin, uint32_t end, uint32_t slice)
{
    const uint32_t last = end * m_columnSize;
    for (uint32_t index = begin * m_columnSize; index < last; ++index)
        SimpleSiOxidation::finalizeCell(index, slice);
}

bool SimpleSiOxidation::isSurface(uint32_t index) const
{
    return anyNeighbour(index, [](uint32_t state) { return state == 0; });
}

void SimpleSiOxidation::initializeCell(uint32_t index, uint32_t slice)
{
    const uint32_t state = m_cells.state(index);
    if (state != 0 && m_oxidizable.contains(state)) {
        if (isSurface(index)) {
            mark(index, true, true);
            m_surface[slice].push_back(index);
            return;
        }
        mark(index, false);
    } else {
        // Other materials never change; empty cells wait for the oxide.
        mark(index, state != 0);
    }
}

void SimpleSiOxidation::afterInitialization()
{
    // The first fronts are the empty cells next to an oxidizable cell and the oxidizable cells
    // next to a surface cell: exactly the unsettled passable neighbours of the surface cells.
    seedFrontsAround(m_surface);
    for (auto &cells : m_surface)
        std::vector<uint32_t>().swap(cells);
}

void SimpleSiOxidation::updateCell(uint32_t index, uint32_t begin, uint32_t end, FrontSet &nextFront, uint32_t slice)
{
    if (isSettled(index))
        return;
    // Each cell grows under the threshold of its own state, inward or outward.
    updateDistance(index, m_cells.state(index), Limits{m_outwardThreshold, m_inwardThreshold}, begin, end, nextFront,
                   slice);
}

void SimpleSiOxidation::finalizeCell(uint32_t index, uint32_t)
{
    const uint32_t state = m_cells.state(index);
    const bool oxidizable = state != 0 && m_oxidizable.contains(state);
    if (state != 0 && !oxidizable)
        return;
    if (lengthSquared(index) <= threshold(state))
        m_cells.setState(index, oxideMaterial);
}

} // namespace Operations
} // namespace Core
