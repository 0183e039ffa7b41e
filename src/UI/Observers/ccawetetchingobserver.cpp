#include "ccawetetchingobserver.h"

#include "Core/Operations/continouswetetchoperation.h"
#include "Core/workspace.h"
#include "UI/Operations/bcaetchingdialog.h"

namespace Ui {
namespace Observers {

CCAWetEtchingObserver::CCAWetEtchingObserver(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void CCAWetEtchingObserver::notify()
{
    auto operation =
        std::dynamic_pointer_cast<Core::Operations::ContinousWetEtchOperation>(m_workspace.currentOperation());
    if (!operation)
        return;
    Ui::Operations::BCAEtchingDialog dialog(m_mainWindow);
    if (dialog.exec() == QDialog::Accepted)
        operation->setDepth(dialog.depth());
}

} // namespace Observers
} // namespace Ui
