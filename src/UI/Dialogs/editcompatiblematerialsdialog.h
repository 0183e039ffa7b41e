#pragma once

#include "Model/Process/process.h"

#include <QDialog>
#include <QList>

class QComboBox;
class QListWidget;

namespace Ui {

/// "Edit Compatible Materials": which catalogue materials each process may act on. Works on a
/// copy of the process catalogue that the presenter stores when the dialog is accepted.
class EditCompatibleMaterialsDialog : public QDialog {
    Q_OBJECT
public:
    /// Copies the process catalogue.
    explicit EditCompatibleMaterialsDialog(QWidget *parent = nullptr);

    QList<Model::Process::Process> processes() const { return m_processes; }

    /// Stores the processes in the catalogue and writes the catalogue file; why the file could not
    /// be written (for a message), or an empty text.
    static QString storeProcesses(const QList<Model::Process::Process> &processes);

private slots:
    void on_cbxProcess_currentIndexChanged(int index);
    void on_btnInsert_clicked();
    void on_btnRemove_clicked();

private:
    Model::Process::Process *currentProcess();
    void refresh();

    QList<Model::Process::Process> m_processes;
    QComboBox *m_cbxProcess;
    QListWidget *m_available;
    QListWidget *m_compatible;
};

} // namespace Ui
