#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace Util {
class RunControl;
}

namespace Core {

/// Runs the long part of an operation (engine and surface) for the core without knowing any
/// widget. The window's runner moves the job off the GUI thread and keeps the window painted
/// meanwhile, showing the operation's progress with a Cancel that asks the control to stop;
/// without a runner (headless use) the job runs in the calling thread.
class IJobRunner {
public:
    virtual ~IJobRunner() = default;
    /// Returns when the job has ended; an exception the job threw is thrown here again.
    virtual void run(const QString &operationName, Util::RunControl &control, const std::function<void()> &job) = 0;
};

using JobRunnerPtr = std::shared_ptr<IJobRunner>;

} // namespace Core
