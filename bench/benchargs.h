#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <ctime>

/// CPU time of the whole process so far (every thread), in seconds.
inline double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1.0e9;
}

/// The "--name value" pairs of a benchmark's command line, read in pairs after the program's name;
/// a name given twice keeps its last value.
class BenchArgs {
public:
    explicit BenchArgs(const QStringList &args)
    {
        for (int i = 1; i + 1 < args.size(); i += 2) {
            if (args[i].startsWith(QLatin1String("--")))
                m_values[args[i].mid(2)] = args[i + 1];
        }
    }
    bool has(const char *name) const { return m_values.contains(QLatin1String(name)); }
    QString text(const char *name, const QString &fallback = QString()) const
    {
        return m_values.value(QLatin1String(name), fallback);
    }
    int integer(const char *name, int fallback) const { return has(name) ? text(name).toInt() : fallback; }
    uint32_t count(const char *name, uint32_t fallback) const { return has(name) ? text(name).toUInt() : fallback; }
    double number(const char *name, double fallback) const { return has(name) ? text(name).toDouble() : fallback; }

private:
    QMap<QString, QString> m_values;
};
