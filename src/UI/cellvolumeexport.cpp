#include "UI/cellvolumeexport.h"

#include "Core/Formats/cellvolumevtiwriter.h"
#include "Core/workspace.h"
#include "UI/Observers/batchrunobserver.h"
#include "UI/documentdialogs.h"

#include <QAction>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>

namespace Ui {

CellVolumeExport::CellVolumeExport(QMainWindow &window, Core::Workspace &workspace)
    : QObject(&window)
    , m_window(window)
    , m_workspace(workspace)
{
}

CellVolumeExport *CellVolumeExport::install(QMainWindow &window, Core::Workspace &workspace)
{
    auto *command = new CellVolumeExport(window, workspace);
    if (auto *action = window.findChild<QAction *>(QStringLiteral("actionExport_Cell_Volume"))) {
        action->setEnabled(true);
        connect(action, &QAction::triggered, command, &CellVolumeExport::exportVolume);
    }
    return command;
}

Model::Automaton::TotalVolumePtr CellVolumeExport::volumeToExport(Core::Workspace &workspace, QString *reason)
{
    if (auto selected = Observers::BatchRunObserver::selectedVolume(workspace))
        return selected;
    Model::Automaton::TotalVolumePtr only;
    int volumes = 0;
    for (const auto &object : workspace.document().allObjects()) {
        if (auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object)) {
            only = volume;
            ++volumes;
        }
    }
    if (volumes == 1)
        return only;
    if (reason)
        *reason = volumes == 0 ? QStringLiteral("The document holds no cell volume to export.")
                               : QStringLiteral("The document holds %1 cell volumes: select the one to export "
                                                "(Edit > Select) and try again.")
                                     .arg(volumes);
    return nullptr;
}

void CellVolumeExport::exportVolume()
{
    QString reason;
    if (!volumeToExport(m_workspace, &reason)) {
        QMessageBox::information(&m_window, tr("Export Cell Volume"), reason);
        return;
    }
    QString fileName = DocumentDialogs::askSaveFileName(&m_window, tr("Export Cell Volume"), QString(), fileFilter());
    if (fileName.isEmpty())
        return;
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QStringLiteral(".vti");
    exportTo(fileName);
}

bool CellVolumeExport::exportTo(const QString &fileName)
{
    QString reason;
    const auto volume = volumeToExport(m_workspace, &reason);
    if (volume) {
        Core::Operations::CellVolumeVtiWriter writer(*volume);
        if (writer.write(fileName, &reason))
            return true;
    }
    QMessageBox::warning(&m_window, tr("Export Cell Volume"), reason);
    return false;
}

} // namespace Ui
