#pragma once

#include "Core/ijobrunner.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

namespace Ui {

class OperationProgressDialog;

/// Runs an operation's long job for a main window. The job goes to a thread of its own while the
/// GUI thread waits in a local event loop: the window repaints but takes no other command (user
/// input waits until the progress dialog is up, which is modal). After a short delay the progress
/// dialog names the operation and offers Cancel.
class OperationRunner : public QObject, public Core::IJobRunner {
    Q_OBJECT
public:
    explicit OperationRunner(QWidget *window);

    void run(const QString &operationName, Util::RunControl &control, const std::function<void()> &job) override;

    /// How long a job runs before the progress dialog shows (300 ms).
    int dialogDelay() const { return m_dialogDelay; }
    void setDialogDelay(int milliseconds) { m_dialogDelay = milliseconds; }
    bool isRunning() const { return m_running; }
    /// Called with each job's control before the job starts (tests follow its boundaries with it).
    void setControlCallback(const std::function<void(Util::RunControl &)> &callback) { m_controlCallback = callback; }

signals:
    /// The progress dialog has just been shown; it lives until the job has ended.
    void progressShown(Ui::OperationProgressDialog *dialog);

private:
    QPointer<QWidget> m_window;
    int m_dialogDelay = 300;
    bool m_running = false;
    std::function<void(Util::RunControl &)> m_controlCallback;
};

} // namespace Ui
