#include "UI/busyindicator.h"

#include <QApplication>
#include <QMainWindow>
#include <QStatusBar>

namespace Ui {

BusyIndicator::BusyIndicator(QMainWindow *window)
    : m_window(window)
{
}

QString BusyIndicator::message(const QString &operationName) { return operationName + QStringLiteral(": running..."); }

void BusyIndicator::begin(const QString &operationName)
{
    // Nested scopes (a run inside an undo, say) keep one cursor on the stack.
    if (m_depth++ == 0)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    if (m_window) {
        m_window->statusBar()->showMessage(message(operationName));
        // The engine blocks the event loop: paint the text now, not after the run.
        m_window->statusBar()->repaint();
    }
}

void BusyIndicator::end()
{
    if (m_depth == 0)
        return;
    if (--m_depth == 0) {
        QApplication::restoreOverrideCursor();
        if (m_window)
            m_window->statusBar()->clearMessage();
    }
}

} // namespace Ui
