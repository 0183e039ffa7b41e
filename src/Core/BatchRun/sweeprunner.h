#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

namespace Util {
class RunControl;
}

namespace Core {
namespace BatchRun {

/// Runs the rows of a sweep, each in its own process of cellforge-batch (`program` with
/// `arguments` and "--index N"), `jobs` at a time. What each row printed is passed on in the
/// order of the rows, so that the record does not depend on `jobs`; so are the outputs, which each
/// row writes under its own names. A stop request ends the running rows (SIGTERM) and starts no
/// further one.
class SweepRunner {
public:
    SweepRunner(QTextStream &out, QTextStream &err);

    void setRunControl(Util::RunControl *control) { m_control = control; }

    /// 0 when every row ran; otherwise the exit status of the first row (by index) that did not,
    /// or 130 after a stop.
    int run(const QString &program, const QStringList &arguments, int rows, int jobs);

private:
    QTextStream &m_out;
    QTextStream &m_err;
    Util::RunControl *m_control = nullptr;
};

} // namespace BatchRun
} // namespace Core
