#pragma once

#include <cstdint>
#include <functional>

namespace Core {
namespace Operations {

/// The x-columns [begin, end) that one task of a parallel engine works on.
struct ColumnSlice {
    uint32_t begin = 0;
    uint32_t end = 0;
};

/// The global thread pool's maximum thread count, never below 1.
uint32_t poolThreadCount();

/// Runs task(0) ... task(count - 1), one task each on the global thread pool, and returns when all
/// have ended. A single task runs in the calling thread; starting a pool task for it buys nothing.
void runSliceTasks(uint32_t count, const std::function<void(uint32_t)> &task);

} // namespace Operations
} // namespace Core
