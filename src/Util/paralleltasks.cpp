#include "Util/paralleltasks.h"

#include <QFuture>
#include <QThreadPool>
#include <QtConcurrent>

#include <algorithm>
#include <exception>
#include <vector>

namespace Util {

uint32_t poolThreadCount()
{
    const int count = QThreadPool::globalInstance()->maxThreadCount();
    return count > 0 ? static_cast<uint32_t>(count) : 1u;
}

void runParallelTasks(uint32_t count, const std::function<void(uint32_t)> &task)
{
    if (count == 0)
        return;
    if (count == 1) {
        task(0);
        return;
    }
    // Each task keeps its own failure: QtConcurrent would turn any exception that is not a
    // QException into QUnhandledException and lose what it was.
    std::vector<std::exception_ptr> failures(count);
    std::vector<QFuture<void>> futures;
    futures.reserve(count);
    std::exception_ptr startFailure;
    try {
        for (uint32_t i = 0; i < count; ++i) {
            futures.push_back(QtConcurrent::run(QThreadPool::globalInstance(), [&task, &failures, i] {
                try {
                    task(i);
                } catch (...) {
                    failures[i] = std::current_exception();
                }
            }));
        }
    } catch (...) {
        // Starting a task can itself run out of memory; those already started must end first.
        startFailure = std::current_exception();
    }
    // Waiting on a future that has not started runs it here, so a caller that is itself a pool
    // thread (the batch runner) cannot starve its own tasks.
    for (auto &future : futures)
        future.waitForFinished();
    for (const auto &failure : failures) {
        if (failure)
            std::rethrow_exception(failure);
    }
    if (startFailure)
        std::rethrow_exception(startFailure);
}

void runParallelRange(size_t n, size_t minimumPerTask, const std::function<void(size_t, size_t)> &work)
{
    const size_t threads = poolThreadCount();
    if (threads == 1 || n < std::max<size_t>(minimumPerTask, 1) * 2) {
        work(0, n);
        return;
    }
    const size_t chunk = (n + threads - 1) / threads;
    const uint32_t tasks = static_cast<uint32_t>((n + chunk - 1) / chunk);
    runParallelTasks(tasks, [&](uint32_t i) {
        const size_t begin = size_t(i) * chunk;
        work(begin, std::min(n, begin + chunk));
    });
}

} // namespace Util
