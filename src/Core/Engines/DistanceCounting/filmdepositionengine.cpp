#include "Core/Engines/DistanceCounting/filmdepositionengine.h"

#include "Core/Engines/DistanceCounting/distancecountingiterations.h"

namespace Core {
namespace Operations {

FilmDepositionEngine::FilmDepositionEngine(Model::Automaton::TotalVolume &volume, uint32_t material, float thickness,
                                           float ratio)
    : FilmDepositionEngine(volume, material, thickness, ratio, false)
{
}

FilmDepositionEngine::FilmDepositionEngine(Model::Automaton::TotalVolume &volume, uint32_t material, float thickness,
                                           float ratio, bool narrowedSources)
    : AbstractDistanceCountingAutomatonNoFinalize(volume)
    , m_narrowed(narrowedSources)
    , m_material(material)
    , m_thickness(thickness)
    , m_thicknessSquared(thickness * thickness)
{
    m_passableStates = {0, material};
    // (t, t, t) is longer than t: an unreached cell never passes a distance on.
    setUnreachedDistances(thickness, {0.0f, 0.0f, 0.0f});
    // Dividing by 1 is exact: a ratio of 1 leaves the cell sizes as they are, to the last bit.
    applyHorizontalRatio(ratio, thickness);
}

uint32_t FilmDepositionEngine::iterationCount() const
{
    return DistanceCountingIterations::forDeposition(m_thickness, minCellSize());
}

bool FilmDepositionEngine::isSource(uint32_t index) const { return m_cells.state(index) != 0; }

void FilmDepositionEngine::initializeCell(uint32_t index, uint32_t slice)
{
    if (m_cells.state(index) != 0) {
        mark(index, true, !m_narrowed || isSource(index));
        return;
    }
    mark(index, false);
    // Only an empty cell next to a source can change in the first iteration. Sources are found from states only,
    // which initialization leaves as they are, so neighbours in other slices are safe to read.
    const bool nextToSource =
        m_narrowed ? nextToNarrowedSource(index) : anyNeighbour(index, [](uint32_t state) { return state != 0; });
    if (nextToSource)
        joinFront(index, slice);
}

bool FilmDepositionEngine::nextToNarrowedSource(uint32_t index) const
{
    const unsigned inside = insideNeighbours(index);
    for (unsigned k = 0; k < 6; ++k) {
        const uint32_t neighbour = neighbourIndex(index, k);
        if ((inside >> k & 1) && m_cells.state(neighbour) != 0 && isSource(neighbour))
            return true;
    }
    return false;
}

void FilmDepositionEngine::updateCell(uint32_t index, uint32_t begin, uint32_t end, FrontSet &nextFront, uint32_t slice)
{
    // Unsettled cells are empty or already hold the film: either way they become the material.
    if (isSettled(index))
        return;
    updateDistance(index, m_material, m_thicknessSquared, begin, end, nextFront, slice);
}

} // namespace Operations
} // namespace Core
