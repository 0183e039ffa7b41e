#include "Core/BatchRun/stopsignals.h"

#include "Util/runcontrol.h"

#include <atomic>
#include <csignal>
#include <unistd.h>

namespace Core {
namespace BatchRun {

namespace {

std::atomic<Util::RunControl *> stopControl{nullptr};
std::atomic<int> signalsSeen{0};

// Only async-signal-safe work here: lock-free atomics, write(2) and _exit(2).
void onStopSignal(int)
{
    if (signalsSeen.fetch_add(1) > 0)
        _exit(130);
    if (Util::RunControl *control = stopControl.load())
        control->requestStop();
    static const char text[] = "\ncellforge-batch: stopping at the next boundary (signal again to quit at once)\n";
    const ssize_t written = write(STDERR_FILENO, text, sizeof text - 1);
    (void)written;
}

} // namespace

void StopSignals::install(Util::RunControl &control)
{
    static_assert(std::atomic<bool>::is_always_lock_free, "the stop flag is set from a signal handler");
    stopControl.store(&control);
    signalsSeen.store(0);
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void StopSignals::uninstall()
{
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    stopControl.store(nullptr);
}

} // namespace BatchRun
} // namespace Core
