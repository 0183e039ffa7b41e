#include "Util/debugoutput.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace Util {

namespace {

#ifdef NDEBUG
std::atomic<bool> enabled{false};
#else
std::atomic<bool> enabled{true};
#endif

// Engines write from worker threads: one line at a time.
std::mutex sinkMutex;
std::function<void(const QString &)> sink;

} // namespace

bool DebugOutput::isEnabled() { return enabled.load(); }

void DebugOutput::setEnabled(bool on) { enabled.store(on); }

void DebugOutput::line(const QString &text)
{
    if (!enabled.load())
        return;
    std::lock_guard<std::mutex> lock(sinkMutex);
    if (sink) {
        sink(text);
        return;
    }
    std::printf("%s\n", text.toLocal8Bit().constData());
    std::fflush(stdout);
}

void DebugOutput::setSink(const std::function<void(const QString &)> &newSink)
{
    std::lock_guard<std::mutex> lock(sinkMutex);
    sink = newSink;
}

} // namespace Util
