#include "Core/BatchRun/sweeprunner.h"

#include "Util/runcontrol.h"

#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace Core {
namespace BatchRun {

namespace {

constexpr int Interrupted = 130;

struct Worker {
    int row = 0;
    std::unique_ptr<QProcess> process;
};

QString fileText(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

} // namespace

SweepRunner::SweepRunner(QTextStream &out, QTextStream &err)
    : m_out(out)
    , m_err(err)
{
}

int SweepRunner::run(const QString &program, const QStringList &arguments, int rows, int jobs)
{
    // Each row prints into files of its own, read once it ended: a row never waits for a full pipe.
    QTemporaryDir logs;
    if (!logs.isValid()) {
        m_err << "cellforge-batch: No folder for the records of the rows could be made: " << logs.errorString() << "\n";
        m_err.flush();
        return 4;
    }
    const auto log = [&logs](int row, const char *stream) {
        return logs.filePath(QStringLiteral("%1.%2").arg(row).arg(QLatin1String(stream)));
    };
    std::vector<Worker> running;
    std::map<int, int> ended; // row -> exit status, until it is reported
    int next = 0;
    int reported = 0;
    int status = 0;
    bool stopped = false;
    const auto report = [&] {
        // In the order of the rows, whatever order they ended in.
        for (auto it = ended.find(reported); it != ended.end(); it = ended.find(reported)) {
            m_out << fileText(log(reported, "out"));
            m_out.flush();
            const QString errors = fileText(log(reported, "err"));
            if (it->second != 0)
                m_err << "cellforge-batch: row " << reported << " of " << rows << " failed (exit status " << it->second
                      << ")" << (errors.isEmpty() ? "." : ":") << "\n";
            for (const QString &line : errors.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
                m_err << "  row " << reported << ": " << line << "\n";
            m_err.flush();
            if (status == 0 && it->second != 0)
                status = it->second;
            ended.erase(it);
            ++reported;
        }
    };
    // The loop wakes when any worker ends (or every 50 ms, to see a stop request): a row's successor
    // starts as soon as a core is free, however short the rows are.
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(50);
    QObject::connect(&tick, &QTimer::timeout, &loop, &QEventLoop::quit);
    tick.start();
    while (next < rows || !running.empty()) {
        if (m_control && m_control->stopRequested() && !stopped) {
            stopped = true;
            for (Worker &worker : running)
                worker.process->terminate();
        }
        while (!stopped && next < rows && int(running.size()) < jobs) {
            Worker worker{next, std::make_unique<QProcess>()};
            worker.process->setStandardOutputFile(log(next, "out"));
            worker.process->setStandardErrorFile(log(next, "err"));
            QObject::connect(worker.process.get(), QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &loop,
                             &QEventLoop::quit);
            QObject::connect(worker.process.get(), &QProcess::errorOccurred, &loop, &QEventLoop::quit);
            worker.process->start(program, arguments + QStringList{QStringLiteral("--index"), QString::number(next)});
            running.push_back(std::move(worker));
            ++next;
        }
        // A worker's state changes only while events are processed: none can end between this
        // look and the loop.
        const auto hasEnded = [](const Worker &w) { return w.process->state() == QProcess::NotRunning; };
        if (!running.empty() && std::none_of(running.begin(), running.end(), hasEnded))
            loop.exec();
        for (auto it = running.begin(); it != running.end();) {
            if (it->process->state() != QProcess::NotRunning) {
                ++it;
                continue;
            }
            const bool normal =
                it->process->exitStatus() == QProcess::NormalExit && it->process->error() != QProcess::FailedToStart;
            ended[it->row] = normal ? it->process->exitCode() : (stopped ? Interrupted : 1);
            it = running.erase(it);
        }
        report();
        if (stopped && running.empty())
            break;
    }
    if (stopped) {
        m_err << "cellforge-batch: Stopped: " << reported << " of " << rows << " rows ended, the others did not run.\n";
        m_err.flush();
        return Interrupted;
    }
    return status;
}

} // namespace BatchRun
} // namespace Core
