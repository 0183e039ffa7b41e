#include "Core/Engines/DistanceCounting/filmetchingengine.h"

#include "Core/Engines/DistanceCounting/distancecountingiterations.h"

#include <utility>

namespace Core {
namespace Operations {

FilmEtchingEngine::FilmEtchingEngine(Model::Automaton::TotalVolume &volume, uint32_t material, float depth, float ratio)
    : FilmEtchingEngine(volume, MaterialSet({material}), 0, {0, material}, depth)
{
    // Dividing by 1 is exact: a ratio of 1 leaves the cell sizes as they are, to the last bit.
    applyHorizontalRatio(ratio, depth);
}

FilmEtchingEngine::FilmEtchingEngine(Model::Automaton::TotalVolume &volume, const MaterialSet &converted,
                                     uint32_t newState, std::vector<uint32_t> passable, float depth)
    : AbstractDistanceCountingAutomatonNoFinalize(volume)
    , m_converted(converted)
    , m_newState(newState)
    , m_depth(depth)
    , m_depthSquared(depth * depth)
{
    m_passableStates = std::move(passable);
    // Empty cells are the sources.
    setUnreachedDistances(depth, {0.0f, 0.0f, 0.0f});
}

uint32_t FilmEtchingEngine::iterationCount() const
{
    return DistanceCountingIterations::forEtching(m_depth, minCellSize());
}

void FilmEtchingEngine::run()
{
    if (m_converted.isEmpty())
        return;
    run(iterationCount());
}

void FilmEtchingEngine::initializeCell(uint32_t index, uint32_t slice)
{
    const uint32_t state = m_cells.state(index);
    if (state == 0) {
        mark(index, true, true);
        return;
    }
    const bool converted = m_converted.contains(state);
    mark(index, !converted);
    // Other materials would only be skipped in the first iteration, so they stay out of the front.
    if (converted && anyNeighbour(index, [](uint32_t neighbour) { return neighbour == 0; }))
        joinFront(index, slice);
}

void FilmEtchingEngine::updateCell(uint32_t index, uint32_t begin, uint32_t end, FrontSet &nextFront, uint32_t slice)
{
    // A converted cell whose new state is not passable keeps the distance it was converted with.
    if (isSettled(index) || !isPassable(m_cells.state(index)))
        return;
    updateDistance(index, m_newState, m_depthSquared, begin, end, nextFront, slice);
}

} // namespace Operations
} // namespace Core
