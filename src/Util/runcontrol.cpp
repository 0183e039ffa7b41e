#include "Util/runcontrol.h"

namespace Util {

bool RunControl::stopHere()
{
    m_boundaries.fetch_add(1, std::memory_order_relaxed);
    if (m_hasCallback.load(std::memory_order_acquire)) {
        BoundaryCallback callback;
        {
            std::lock_guard<std::mutex> lock(m_callbackMutex);
            callback = m_callback;
        }
        if (callback)
            callback(*this);
    }
    if (m_stopped.load(std::memory_order_relaxed))
        return true;
    if (!m_stoppable.load(std::memory_order_relaxed) || !m_stopRequested.load(std::memory_order_relaxed))
        return false;
    m_stopped.store(true, std::memory_order_relaxed);
    return true;
}

void RunControl::reset()
{
    m_stopRequested.store(false);
    m_stopped.store(false);
    m_stoppable.store(true);
    m_done.store(0);
    m_total.store(0);
    m_boundaries.store(0);
}

void RunControl::setBoundaryCallback(const BoundaryCallback &callback)
{
    std::lock_guard<std::mutex> lock(m_callbackMutex);
    m_callback = callback;
    m_hasCallback.store(static_cast<bool>(callback), std::memory_order_release);
}

} // namespace Util
