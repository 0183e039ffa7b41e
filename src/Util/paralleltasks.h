#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace Util {

/// The global thread pool's maximum thread count, never below 1.
uint32_t poolThreadCount();

/// Runs task(0) ... task(count - 1), one task each on the global thread pool, and returns when all
/// of them have ended. When tasks fail, every task still runs to its end (none outlives the data it
/// writes) and then the failure of the lowest-numbered failed task is rethrown as it was thrown
/// (a std::bad_alloc stays a std::bad_alloc). A single task runs in the calling thread.
void runParallelTasks(uint32_t count, const std::function<void(uint32_t)> &task);

/// Runs work(begin, end) over [0, n) in one chunk per pool thread; small ranges run here.
void runParallelRange(size_t n, size_t minimumPerTask, const std::function<void(size_t, size_t)> &work);

} // namespace Util
