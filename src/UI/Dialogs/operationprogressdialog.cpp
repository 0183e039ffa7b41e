#include "UI/Dialogs/operationprogressdialog.h"

#include "Util/runcontrol.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace Ui {

OperationProgressDialog::OperationProgressDialog(const QString &operationName, Util::RunControl &control,
                                                 QWidget *parent)
    : QDialog(parent)
    , m_operationName(operationName)
    , m_control(control)
{
    setObjectName(QStringLiteral("OperationProgressDialog"));
    setWindowTitle(operationName);
    m_label = new QLabel(operationName + QStringLiteral(": running..."));
    m_label->setObjectName(QStringLiteral("lblOperation"));
    m_progressBar = new QProgressBar;
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setMinimumWidth(320);
    m_btnCancel = new QPushButton(QStringLiteral("Cancel"));
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    m_btnCancel->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_progressBar);
    layout->addLayout(buttons);
    connect(m_btnCancel, &QPushButton::clicked, this, &OperationProgressDialog::on_btnCancel_clicked);
    m_started.start();
    refresh();
}

void OperationProgressDialog::refresh()
{
    const uint64_t total = m_control.total();
    if (total == 0) {
        m_progressBar->setRange(0, 0);
    } else {
        // In thousandths: the counters may exceed what a progress bar's int holds.
        const uint64_t done = std::min(m_control.done(), total);
        m_progressBar->setRange(0, 1000);
        m_progressBar->setValue(static_cast<int>(done * 1000 / total));
    }
    const bool canceling = m_control.stopRequested();
    m_btnCancel->setEnabled(m_control.canStop() && !canceling);
    if (canceling && m_control.canStop())
        m_label->setText(m_operationName + QStringLiteral(": canceling..."));
}

void OperationProgressDialog::reject()
{
    if (!m_control.canStop() || m_control.stopRequested() || m_question || m_runEnded)
        return;
    if (m_started.isValid() && m_started.elapsed() >= m_askAfter) {
        QMessageBox box(QMessageBox::Question, windowTitle(), QStringLiteral("Cancel the running step?"),
                        QMessageBox::Yes | QMessageBox::No, this);
        box.setObjectName(QStringLiteral("msgCancelRunningStep"));
        box.setInformativeText(QStringLiteral("It has run for %1 s.").arg(m_started.elapsed() / 1000));
        box.setDefaultButton(QMessageBox::No);
        m_question = &box;
        const int answer = box.exec();
        m_question = nullptr;
        if (answer != QMessageBox::Yes || m_runEnded)
            return;
    }
    on_btnCancel_clicked();
}

void OperationProgressDialog::runEnded()
{
    m_runEnded = true;
    if (m_question)
        m_question->done(QMessageBox::No);
}

void OperationProgressDialog::on_btnCancel_clicked()
{
    if (!m_control.canStop())
        return;
    m_control.requestStop();
    refresh();
}

} // namespace Ui
