#pragma once

namespace Util {
class RunControl;
}

namespace Core {
namespace BatchRun {

/// SIGINT and SIGTERM for the command line: the first asks the run control to stop (the run
/// ends at the next boundary and writes nothing), a second ends the process at once with 130.
class StopSignals {
public:
    /// The control must live until the process ends or `uninstall` is called.
    static void install(Util::RunControl &control);
    static void uninstall();
};

} // namespace BatchRun
} // namespace Core
