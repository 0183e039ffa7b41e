#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

namespace Util {

/// What a long job and whoever watches it share: how far the job is (steps done out of a total,
/// in relaxed atomics that cost next to nothing to write) and whether it should stop. The job
/// asks `stopHere()` only at its natural boundaries (between iterations, steps or slabs, never
/// while cells are half-written); when that answers true the job leaves at once and
/// `wasStopped()` tells its owner that the cells hold a partial result to be put back.
///
/// One thread runs the job and calls the job-side functions; any thread may watch or ask to stop.
class RunControl {
public:
    RunControl() = default;
    RunControl(const RunControl &) = delete;
    RunControl &operator=(const RunControl &) = delete;

    // ---- the watcher's side (any thread) ----

    /// Asks the job to stop at its next boundary. Has no effect while stopping is not allowed.
    void requestStop() { m_stopRequested.store(true, std::memory_order_relaxed); }
    bool stopRequested() const { return m_stopRequested.load(std::memory_order_relaxed); }
    /// True once the job left at a boundary because it was asked to stop.
    bool wasStopped() const { return m_stopped.load(std::memory_order_relaxed); }
    /// Steps done in the current stage and its total (0 when the total is not known).
    uint64_t done() const { return m_done.load(std::memory_order_relaxed); }
    uint64_t total() const { return m_total.load(std::memory_order_relaxed); }
    /// Whether a stop request is honoured now (false, for example, while a surface is built
    /// for cells that are already final).
    bool canStop() const { return m_stoppable.load(std::memory_order_relaxed); }

    // ---- the owner's side ----

    /// Ready for another job: no stop requested, nothing done, stopping allowed. Only while no job runs.
    void reset();
    /// Allows or forbids stopping; forbidden, `stopHere` answers false whatever was requested.
    void setStoppable(bool stoppable) { m_stoppable.store(stoppable, std::memory_order_relaxed); }

    // ---- the job's side (the thread that runs the job) ----

    /// Starts a stage of `total` steps (0: unknown) with none done.
    void beginStage(uint64_t total)
    {
        m_total.store(total, std::memory_order_relaxed);
        m_done.store(0, std::memory_order_relaxed);
    }
    void advance(uint64_t steps = 1) { m_done.fetch_add(steps, std::memory_order_relaxed); }
    void setDone(uint64_t done) { m_done.store(done, std::memory_order_relaxed); }
    /// The stage ended early but complete (a front ran dry): done becomes the total.
    void finishStage() { m_done.store(m_total.load(std::memory_order_relaxed), std::memory_order_relaxed); }

    /// A boundary: true when the job must leave now (and from then on). Calls the boundary
    /// callback first, so a test can ask for the stop at an exact point of the run.
    bool stopHere();

    /// Called at every boundary, in the job's thread, before the stop flag is read.
    using BoundaryCallback = std::function<void(RunControl &)>;
    void setBoundaryCallback(const BoundaryCallback &callback);
    /// Boundaries the job has passed so far (all stages).
    uint64_t boundaries() const { return m_boundaries.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_stopped{false};
    std::atomic<bool> m_stoppable{true};
    std::atomic<uint64_t> m_done{0};
    std::atomic<uint64_t> m_total{0};
    std::atomic<uint64_t> m_boundaries{0};
    std::mutex m_callbackMutex;
    BoundaryCallback m_callback;
    std::atomic<bool> m_hasCallback{false};
};

} // namespace Util
