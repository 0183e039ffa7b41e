#pragma once
// Runs a program as a child process and keeps what it wrote, for the tests of the executables.

#include <QProcess>
#include <QString>
#include <QStringList>

struct ChildResult {
    int exitCode = -1; ///< -1: it did not start or did not end in time; -2: it crashed
    QString out;
    QString err;
};

/// The test's own environment without a display: no window system is reachable from it.
inline QProcessEnvironment environmentWithoutDisplay()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    return env;
}

inline ChildResult runChild(const QString &program, const QStringList &arguments,
                            const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment(),
                            const QString &workingDir = QString())
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(workingDir); // empty: the test's own
    process.start(program, arguments);
    ChildResult result;
    if (!process.waitForFinished(280000)) {
        process.kill();
        process.waitForFinished();
        result.err = process.errorString();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}
