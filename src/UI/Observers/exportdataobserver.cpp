#include "UI/Observers/exportdataobserver.h"

#include "Core/Operations/Document/exportdataoperation.h"
#include "Core/workspace.h"
#include "UI/Dialogs/exportdatadialog.h"

namespace Ui {
namespace Observers {

ExportDataObserver::ExportDataObserver(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void ExportDataObserver::notify()
{
    auto operation = std::dynamic_pointer_cast<Core::Operations::ExportDataOperation>(m_workspace.currentOperation());
    if (!operation || !operation->volume())
        return;
    const QStringList names = operation->volume()->fieldNames();
    if (names.isEmpty()) {
        m_workspace.console().writeMessage(operation->name() +
                                           QStringLiteral(": This cell volume holds no data to export. Random Walk "
                                                          "Doping gives it particle counts."));
        return;
    }
    Ui::Operations::ExportDataDialog dialog(names, m_mainWindow);
    if (dialog.exec() != QDialog::Accepted)
        return;
    operation->setDataName(dialog.dataName());
    operation->setFileName(dialog.fileName());
}

} // namespace Observers
} // namespace Ui
