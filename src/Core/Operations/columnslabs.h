#pragma once

#include "slicetasks.h"

#include <cstdint>
#include <functional>

namespace Core {
namespace Operations {

/// Runs `range(begin, end)` over [0, nx) in one slab per worker, the last slab taking the rest;
/// with fewer than three columns per worker the whole range runs in the calling thread.
inline void runColumnSlabs(uint32_t nx, uint32_t workers, const std::function<void(uint32_t, uint32_t)> &range)
{
    const uint32_t chunk = workers > 0 ? nx / workers : nx;
    if (chunk < 3) {
        range(0, nx);
        return;
    }
    Util::runParallelTasks(workers, [&](uint32_t i) { range(chunk * i, i + 1 == workers ? nx : chunk * (i + 1)); });
}

} // namespace Operations
} // namespace Core
