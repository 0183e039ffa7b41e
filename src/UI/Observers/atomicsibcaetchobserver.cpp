#include "atomicsibcaetchobserver.h"

#include "Core/Operations/atomisticsiwetetchingoperation.h"
#include "Core/workspace.h"
#include "UI/Operations/bcaetchingdialog.h"

namespace Ui {
namespace Observers {

AtomicSiBCAEtchObserver::AtomicSiBCAEtchObserver(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void AtomicSiBCAEtchObserver::notify()
{
    auto operation =
        std::dynamic_pointer_cast<Core::Operations::AtomisticSiWetEtchingOperation>(m_workspace.currentOperation());
    if (!operation)
        return;
    Ui::Operations::BCAEtchingDialog dialog(m_mainWindow);
    if (dialog.exec() == QDialog::Accepted)
        operation->setDepth(dialog.depth());
}

} // namespace Observers
} // namespace Ui
