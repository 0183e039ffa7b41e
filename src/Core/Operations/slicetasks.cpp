#include "slicetasks.h"

#include <QFuture>
#include <QThreadPool>
#include <QtConcurrent>

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
    for (auto &future : futures)
        future.waitForFinished();
}

} // namespace Operations
} // namespace Core
