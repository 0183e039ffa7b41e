#pragma once

#include "UI/Dialogs/operationprogressdialog.h"

#include <QApplication>
#include <QDialog>
#include <QStringList>
#include <QTimer>
#include <QVariant>

#include <functional>
#include <vector>

/// Answers the modal windows that open while it lives: one handler per window in order, then `others` (when
/// given) for every later one. A long run's progress dialog is no question: it goes when the run ends.
class ModalAnswerer : public QObject {
public:
    using Handler = std::function<void(QWidget *)>;

    explicit ModalAnswerer(std::vector<Handler> handlers, Handler others = {})
        : m_handlers(std::move(handlers))
        , m_others(std::move(others))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || qobject_cast<Ui::OperationProgressDialog *>(modal) || modal->property("answered").toBool())
                return;
            const Handler handler = m_next < m_handlers.size() ? m_handlers[m_next] : m_others;
            if (!handler)
                return;
            // Marked on the window itself: a later window at the same address is a new question.
            modal->setProperty("answered", true);
            ++m_next;
            titles << modal->windowTitle();
            handler(modal);
        });
        m_timer.start(0);
    }
    size_t answered() const { return m_next; }

    QStringList titles; ///< the titles of the windows answered, in order

private:
    QTimer m_timer;
    std::vector<Handler> m_handlers;
    Handler m_others;
    size_t m_next = 0;
};

/// Accepts a dialog with what it shows.
inline void acceptDialog(QWidget *modal) { qobject_cast<QDialog *>(modal)->accept(); }

/// Runs `handle` on the modal window active when the event loop next runs (the one a call about to be made opens).
inline void whenModal(std::function<void(QWidget *)> handle)
{
    QTimer::singleShot(0, [handle] { handle(QApplication::activeModalWidget()); });
}
