#pragma once

#include <QString>

namespace Util {

/// The memory one large allocation can count on, and what sets it: the machine's physical memory,
/// or a lower limit of the process's control group (cgroup v2 memory.max, v1
/// memory.limit_in_bytes, its ancestors' included) or what is left under its address-space or
/// data limit (RLIMIT_AS, RLIMIT_DATA). An allocation beyond physical memory or the control group
/// may succeed and get the process killed when it is first written; beyond the other two it fails.
class AvailableMemory {
public:
    /// Raw readings; infinity where there is no limit (or it could not be read).
    struct Limits {
        double physical;
        double controlGroup;
        double addressSpace;     ///< RLIMIT_AS
        double addressSpaceUsed; ///< the process's virtual size now
        double data;             ///< RLIMIT_DATA
        double dataUsed;         ///< its data segment and stack now
    };
    enum class Source { Unknown, PhysicalMemory, ControlGroup, AddressSpace, Data };

    /// The lowest of the limits, less what the process already uses of the last two.
    static AvailableMemory from(const Limits &limits);
    /// The limits of this process now.
    static AvailableMemory ofThisProcess();
    static Limits readLimits();
    /// The lowest memory limit of the control groups that `cgroupFile` (as /proc/self/cgroup) names,
    /// read under `root` (as /sys/fs/cgroup); infinity when there is none.
    static double controlGroupLimit(const QString &cgroupFile, const QString &root);

    /// Bytes; infinity when nothing limits them.
    double bytes() const { return m_bytes; }
    Source source() const { return m_source; }
    /// "this machine's physical memory", "the memory limit of its control group", ...
    QString sourceText() const;
    /// "1073741824 bytes (1.0 GiB)"; `bytes` may exceed 64 bits.
    static QString bytesText(double bytes);

private:
    double m_bytes = 0.0;
    Source m_source = Source::Unknown;
};

} // namespace Util
