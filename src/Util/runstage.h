#pragma once

#include "Util/runcontrol.h"

#include <cstdint>

namespace Util {

/// An engine's view of an optional RunControl for one stage of its work: reports progress and
/// answers stop requests when there is a control, does nothing when there is none.
class RunStage {
public:
    RunStage(RunControl *control, uint64_t total)
        : m_control(control)
    {
        if (m_control)
            m_control->beginStage(total);
    }
    /// A boundary: true when the engine must leave now, cells whole.
    bool stopHere() { return m_control && m_control->stopHere(); }
    void advance(uint64_t steps = 1)
    {
        if (m_control)
            m_control->advance(steps);
    }
    /// Every step of the stage counts as done (also when the work ended early, complete).
    void finish()
    {
        if (m_control)
            m_control->finishStage();
    }
    bool stopped() const { return m_control && m_control->wasStopped(); }

private:
    RunControl *m_control;
};

} // namespace Util
