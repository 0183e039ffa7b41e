#include "slicetasks.h"

#include <QFuture>
#include <QThreadPool>
#include <QtConcurrent>

#include <exception>
#include <vector>

namespace Core {
namespace Operations {

uint32_t poolThreadCount()
{
    const int count = QThreadPool::globalInstance()->maxThreadCount();
    return count > 0 ? static_cast<uint32_t>(count) : 1u;
}

void runSliceTasks(uint32_t count, const std::function<void(uint32_t)> &task)
{
    if (count == 0)
        return;
    if (count == 1) {
        task(0);
        return;
    }
    std::vector<QFuture<void>> futures;
    futures.reserve(count);
    for (uint32_t i = 0; i < count; ++i)
        futures.push_back(QtConcurrent::run(QThreadPool::globalInstance(), [&task, i] { task(i); }));
    // Waiting on a future that has not started runs it here, so a caller that is itself a pool
    // thread (the batch runner) cannot starve its own tasks.
    // Every task must have ended before `task` goes out of scope, even when one of them failed.
    std::exception_ptr failure;
    for (auto &future : futures) {
        try {
            future.waitForFinished();
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    }
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace Operations
} // namespace Core
