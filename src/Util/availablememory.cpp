#include "Util/availablememory.h"

#include <QFile>
#include <QStringList>

#include <algorithm>
#include <limits>

#include <sys/resource.h>
#include <unistd.h>

namespace Util {

namespace {

constexpr double unlimited = std::numeric_limits<double>::infinity();

// A limit file holds a number of bytes, or "max" (v2); v1 writes a page-rounded 2^63 - 1 for none.
double limitIn(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return unlimited;
    bool ok = false;
    const double value = QString::fromLatin1(file.readAll()).trimmed().toDouble(&ok);
    if (!ok || !(value > 0.0) || value >= 0x1p62)
        return unlimited;
    return value;
}

double resourceLimit(int resource)
{
    rlimit limit{};
    if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return unlimited;
    return static_cast<double>(limit.rlim_cur);
}

} // namespace

double AvailableMemory::controlGroupLimit(const QString &cgroupFile, const QString &root)
{
    QFile file(cgroupFile);
    if (!file.open(QIODevice::ReadOnly))
        return unlimited;
    double lowest = unlimited;
    // "0::/path" for v2, "4:memory:/path" for the v1 memory controller. A limit of any ancestor
    // holds as well; without a namespace of its own the process sees the whole tree.
    for (const QString &line : QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList parts = line.split(QLatin1Char(':'));
        if (parts.size() < 3)
            continue;
        const bool v2 = parts.at(0) == QLatin1String("0") && parts.at(1).isEmpty();
        const bool v1 = parts.at(1).split(QLatin1Char(',')).contains(QStringLiteral("memory"));
        if (!v1 && !v2)
            continue;
        const QStringList folders =
            v2 ? QStringList{root, root + QStringLiteral("/unified")} : QStringList{root + QStringLiteral("/memory")};
        const QString limitName = v2 ? QStringLiteral("/memory.max") : QStringLiteral("/memory.limit_in_bytes");
        QString path = parts.mid(2).join(QLatin1Char(':'));
        for (;;) {
            for (const QString &folder : folders)
                lowest = std::min(lowest, limitIn(folder + path + limitName));
            if (path.isEmpty() || path == QLatin1String("/"))
                break;
            path.truncate(path.lastIndexOf(QLatin1Char('/')));
        }
    }
    return lowest;
}

AvailableMemory::Limits AvailableMemory::readLimits()
{
    Limits limits{unlimited, unlimited, unlimited, 0.0, unlimited, 0.0};
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0)
        limits.physical = static_cast<double>(pages) * static_cast<double>(pageSize);
    limits.controlGroup = controlGroupLimit(QStringLiteral("/proc/self/cgroup"), QStringLiteral("/sys/fs/cgroup"));
    limits.addressSpace = resourceLimit(RLIMIT_AS);
    limits.data = resourceLimit(RLIMIT_DATA);
    // Pages of the whole address space first, of data and stack sixth (proc(5)).
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (pageSize > 0 && statm.open(QIODevice::ReadOnly)) {
        const QStringList fields = QString::fromLatin1(statm.readAll()).split(QLatin1Char(' '));
        if (fields.size() >= 6) {
            limits.addressSpaceUsed = fields.at(0).toDouble() * static_cast<double>(pageSize);
            limits.dataUsed = fields.at(5).toDouble() * static_cast<double>(pageSize);
        }
    }
    return limits;
}

AvailableMemory AvailableMemory::from(const Limits &limits)
{
    AvailableMemory available;
    available.m_bytes = unlimited;
    auto lower = [&available](double bytes, Source source) {
        if (bytes < available.m_bytes) {
            available.m_bytes = std::max(bytes, 0.0);
            available.m_source = source;
        }
    };
    lower(limits.physical, Source::PhysicalMemory);
    lower(limits.controlGroup, Source::ControlGroup);
    lower(limits.addressSpace - limits.addressSpaceUsed, Source::AddressSpace);
    lower(limits.data - limits.dataUsed, Source::Data);
    return available;
}

AvailableMemory AvailableMemory::ofThisProcess() { return from(readLimits()); }

QString AvailableMemory::sourceText() const
{
    switch (m_source) {
    case Source::PhysicalMemory:
        return QStringLiteral("this machine's physical memory");
    case Source::ControlGroup:
        return QStringLiteral("the memory limit of the program's control group");
    case Source::AddressSpace:
        return QStringLiteral("what is left under the program's address-space limit, ulimit -v");
    case Source::Data:
        return QStringLiteral("what is left under the program's data limit, ulimit -d");
    case Source::Unknown:
        break;
    }
    return QStringLiteral("no known limit");
}

QString AvailableMemory::bytesText(double bytes)
{
    const QString count =
        bytes < 0x1p53 ? QString::number(static_cast<qulonglong>(bytes)) : QString::number(bytes, 'g', 6);
    return QStringLiteral("%1 bytes (%2 GiB)").arg(count).arg(bytes / double(1 << 30), 0, 'f', 1);
}

} // namespace Util
