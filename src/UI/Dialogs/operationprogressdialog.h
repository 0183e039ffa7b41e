#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>

class QLabel;
class QMessageBox;
class QProgressBar;
class QPushButton;

namespace Util {
class RunControl;
}

namespace Ui {

/// Shows how far a running operation is: its name, a bar (a busy bar while the total is not
/// known) and Cancel, which asks the run to stop at its next boundary. It stays up, saying that it
/// is canceling, until the run has ended, so the window takes no command meanwhile. Escape cancels
/// at once early in a run; once the run has gone on for a while (3 s) it asks first, since a slip
/// of the key would throw the wait away.
class OperationProgressDialog : public QDialog {
    Q_OBJECT
public:
    OperationProgressDialog(const QString &operationName, Util::RunControl &control, QWidget *parent = nullptr);

    /// Reads the control's counters and whether it can be stopped now.
    void refresh();
    QPushButton *cancelButton() const { return m_btnCancel; }
    QProgressBar *progressBar() const { return m_progressBar; }

    /// From how long a run on Escape asks "Cancel the running step?" (milliseconds).
    static constexpr int defaultAskAfter = 3000;
    void setAskAfter(int milliseconds) { m_askAfter = milliseconds; }
    /// When the run began (the dialog shows a little later); by default, when the dialog was made.
    void setRunStarted(const QElapsedTimer &started) { m_started = started; }
    /// The run has ended: a question still open is closed unanswered, and cancels nothing.
    void runEnded();

public slots:
    /// Escape and the window's close button cancel too (asking first in a long run); the dialog
    /// closes only when the run ends.
    void reject() override;
    /// Nothing accepts the dialog: it closes when the run ends.
    void accept() override {}
    void on_btnCancel_clicked();

private:
    QString m_operationName;
    Util::RunControl &m_control;
    QLabel *m_label;
    QProgressBar *m_progressBar;
    QPushButton *m_btnCancel;
    QElapsedTimer m_started;
    int m_askAfter = defaultAskAfter;
    QPointer<QMessageBox> m_question;
    bool m_runEnded = false;
};

} // namespace Ui
