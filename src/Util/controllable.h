#pragma once

#include "Util/runcontrol.h"

namespace Util {

/// Base of the long jobs (engines, surface generators) that report progress to an optional
/// RunControl and stop at its request. Without a control they run to their end as always.
class Controllable {
public:
    /// The control lives at least as long as the job's run; null takes it away.
    void setRunControl(RunControl *control) { m_control = control; }
    RunControl *runControl() const { return m_control; }

protected:
    ~Controllable() = default;

    RunControl *m_control = nullptr;
};

} // namespace Util
