#include "UI/operationrunner.h"

#include "UI/Dialogs/operationprogressdialog.h"
#include "Util/runcontrol.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <exception>
#include <memory>

namespace Ui {

OperationRunner::OperationRunner(QWidget *window)
    : m_window(window)
{
}

void OperationRunner::run(const QString &operationName, Util::RunControl &control, const std::function<void()> &job)
{
    // A job started from inside another one's event loop (which takes no command) runs here.
    if (m_running) {
        job();
        return;
    }
    m_running = true;
    if (m_controlCallback)
        m_controlCallback(control);
    QElapsedTimer started;
    started.start();
    std::exception_ptr failure;
    // Not a pool thread: the engines spread their work over the whole pool.
    std::unique_ptr<QThread> thread(QThread::create([&job, &failure] {
        try {
            job();
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QEventLoop loop;
    connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();

    if (!thread->isFinished()) {
        QTimer delay;
        delay.setSingleShot(true);
        connect(&delay, &QTimer::timeout, &loop, &QEventLoop::quit);
        delay.start(m_dialogDelay);
        // Paint and timers go on; clicks and keys wait, so the window takes no other command.
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (!thread->isFinished()) {
        OperationProgressDialog dialog(operationName, control, m_window);
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.setRunStarted(started);
        // A question the dialog asks (Escape) goes when the run ends.
        connect(thread.get(), &QThread::finished, &dialog, &OperationProgressDialog::runEnded);
        QTimer refresh;
        refresh.setInterval(100);
        connect(&refresh, &QTimer::timeout, &dialog, &OperationProgressDialog::refresh);
        // The window shows the wait cursor for the whole run; the dialog's Cancel is a button.
        QApplication::setOverrideCursor(Qt::ArrowCursor);
        dialog.show();
        refresh.start();
        emit progressShown(&dialog);
        if (!thread->isFinished())
            loop.exec();
        refresh.stop();
        QApplication::restoreOverrideCursor();
    }
    thread->wait();
    m_running = false;
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace Ui
