#pragma once

#include <QString>

#include <functional>

namespace Util {

/// The developers' lines (timings such as "Time to simulate...", a long run's "At step 200"): written
/// to standard output only in a debug build or when the program was started with --verbose.
class DebugOutput {
public:
    /// On in a debug build, off otherwise, until set.
    static bool isEnabled();
    static void setEnabled(bool enabled);
    /// Writes `text` and a line end when enabled.
    static void line(const QString &text);
    /// Where enabled lines go instead of standard output (tests); an empty function restores it.
    static void setSink(const std::function<void(const QString &)> &sink);
};

} // namespace Util
