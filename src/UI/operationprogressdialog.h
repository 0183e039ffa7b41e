#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace Util {
class RunControl;
}

namespace Ui {

/// Shows how far a running operation is: its name, a bar (a busy bar while the total is not
/// known) and Cancel, which asks the run to stop at its next boundary. It stays up, saying that it
/// is canceling, until the run has ended, so the window takes no command meanwhile.
class OperationProgressDialog : public QDialog {
    Q_OBJECT
public:
    OperationProgressDialog(const QString &operationName, Util::RunControl &control, QWidget *parent = nullptr);

    /// Reads the control's counters and whether it can be stopped now.
    void refresh();
    QPushButton *cancelButton() const { return m_btnCancel; }
    QProgressBar *progressBar() const { return m_progressBar; }

public slots:
    /// Escape and the window's close button cancel too; the dialog closes only when the run ends.
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
};

} // namespace Ui
