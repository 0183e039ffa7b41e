#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace Core {
namespace Operations {

/// Iteration bounds of the distance-counting engines: enough iterations for the fronts to reach
/// every cell within the distance t of a source, in any direction.
///
/// Why ceil(sqrt 3 * t / cmin) + 1 is enough. In each iteration a cell takes over a neighbour's
/// vector plus one face step, so the vector to a source s arrives at a cell (a, b, c) cells away
/// from s along a chain of face neighbours, one iteration per link. The shortest chain is a
/// staircase of |a| + |b| + |c| steps, each towards the cell; every cell on it lies in the box
/// between s and the cell, no farther from s than the cell itself, so the limit never stops the
/// vector on the way (for one source, and wherever the cells on the way are nearest to s as well,
/// as over a flat or convex source). With cell sizes cx, cy, cz and d the cell's distance,
/// Cauchy-Schwarz gives
///     |a| + |b| + |c| <= (|a| cx + |b| cy + |c| cz) / cmin <= sqrt 3 * d / cmin <= sqrt 3 * t / cmin,
/// with equality along the space diagonal of cubic cells: a bound of (1 + sqrt 2) / sqrt 2 * t / cmin
/// leaves the cells near the diagonals of a deep point source untouched. The one more iteration
/// covers a cell a rounding error beyond t that the single-precision test of the engines still
/// lets in. Cells that can be reached only around an obstacle may take longer, as in any front
/// method. The runs end anyway once every front is empty, so the larger bound costs nothing where
/// the fronts die out first.
namespace DistanceCountingIterations {

constexpr double diagonalFactor = 1.7320508075688772; // sqrt 3

inline uint32_t clampToCount(double value)
{
    if (!(value > 0.0)) // also NaN
        return 0;
    if (value >= double(std::numeric_limits<uint32_t>::max()))
        return std::numeric_limits<uint32_t>::max();
    return static_cast<uint32_t>(value);
}

/// The iterations that reach every cell within `distance` of a source; 0 when there is nothing to reach.
inline uint32_t forDistance(float distance, float minCellSize)
{
    if (!(distance > 0.0f) || !(minCellSize > 0.0f))
        return 0;
    return clampToCount(std::ceil(double(distance) * diagonalFactor / double(minCellSize)) + 1.0);
}

/// Depositions and everything that grows outwards from a surface (doping, annealing).
inline uint32_t forDeposition(float thickness, float minCellSize) { return forDistance(thickness, minCellSize); }

/// Isotropic etching and oxidation.
inline uint32_t forEtching(float depth, float minCellSize) { return forDistance(depth, minCellSize); }

} // namespace DistanceCountingIterations
} // namespace Operations
} // namespace Core
