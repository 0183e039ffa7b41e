#pragma once

#include <QByteArray>
#include <QElapsedTimer>

#include <vector>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char **environ;

/// What one run of a program to its end took: wall time and peak resident memory.
struct ChildRun {
    double seconds = 0;
    double peakBytes = 0;
};

/// Runs a program (arguments[0] is its path) to its end; false when it cannot start or does not exit with 0.
inline bool runChild(const std::vector<QByteArray> &arguments, ChildRun &run)
{
    std::vector<char *> argv;
    for (const QByteArray &a : arguments)
        argv.push_back(const_cast<char *>(a.constData()));
    argv.push_back(nullptr);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return false;
    run.seconds = double(timer.nsecsElapsed()) / 1e9;
    run.peakBytes = double(usage.ru_maxrss) * 1024.0;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
