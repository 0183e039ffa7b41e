#pragma once

#include <QMutex>
#include <QPlainTextEdit>
#include <QStringList>

namespace Ui {

/// The read-only log of the Batch Run dialog: the result of every step and the warnings of a
/// run. The worker thread posts lines; the user-interface thread shows them when it looks.
class RunLog : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit RunLog(QWidget *parent = nullptr);

    /// Any thread: keeps a line until `showPosted` is called.
    void post(const QString &line);
    /// User-interface thread: appends the lines posted so far, in the order they came.
    void showPosted();

private:
    QMutex m_mutex;
    QStringList m_posted;
};

} // namespace Ui
