#pragma once
// Runs the cellforge-batch executable (CELLFORGE_BATCH, defined by each test's CMake target) as a child
// process without a display, the way scripts run it.

#include <QProcess>
#include <QString>
#include <QStringList>

struct BatchResult {
    int exitCode = -1; ///< -1: it did not end in time (a hang); -2: it crashed
    QString out;
    QString err;
};

inline BatchResult runBatch(const QStringList &arguments, const QString &workingDir = QString(),
                            const QString &display = QString())
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    if (!display.isEmpty())
        env.insert(QStringLiteral("DISPLAY"), display);
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    if (!workingDir.isEmpty())
        process.setWorkingDirectory(workingDir);
    process.start(QStringLiteral(CELLFORGE_BATCH), arguments);
    BatchResult result;
    if (!process.waitForFinished(300000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}
