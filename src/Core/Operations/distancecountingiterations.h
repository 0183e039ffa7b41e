#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace Core {
namespace Operations {

/// Iteration bounds of the distance-counting engines. A front step moves one cell along an
/// axis, so reaching a distance t along a diagonal takes up to (1 + sqrt 2) / sqrt 2 times
/// t / cmin steps.
namespace DistanceCountingIterations {

constexpr double diagonalFactor = 1.7071067811865475; // (1 + sqrt 2) / sqrt 2

inline uint32_t clampToCount(double value)
{
    if (!(value > 0.0)) // also NaN
        return 0;
    if (value >= double(std::numeric_limits<uint32_t>::max()))
        return std::numeric_limits<uint32_t>::max();
    return static_cast<uint32_t>(value);
}

/// Deposition: the division and the ceiling in single precision, the factor in double.
inline uint32_t forDeposition(float thickness, float minCellSize)
{
    if (!(thickness > 0.0f) || !(minCellSize > 0.0f))
        return 0;
    const float cells = std::ceil(thickness / minCellSize);
    return clampToCount(std::trunc(double(cells) * diagonalFactor));
}

/// Isotropic etching: all in double precision.
inline uint32_t forEtching(float depth, float minCellSize)
{
    if (!(depth > 0.0f) || !(minCellSize > 0.0f))
        return 0;
    return clampToCount(std::ceil(double(depth) * diagonalFactor / double(minCellSize)));
}

} // namespace DistanceCountingIterations
} // namespace Operations
} // namespace Core
