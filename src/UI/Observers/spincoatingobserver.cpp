#include "spincoatingobserver.h"

#include "Core/Operations/spincoatingoperation.h"
#include "Core/workspace.h"
#include "UI/Operations/spincoatingoptionsdialog.h"

#include <memory>

namespace Ui {
namespace Observers {

SpinCoatingObserver::SpinCoatingObserver(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void SpinCoatingObserver::notify()
{
    auto op = std::dynamic_pointer_cast<Core::Operations::SpinCoatingOperation>(m_workspace.currentOperation());
    if (!op)
        return;
    Ui::Operations::SpinCoatingOptionsDialog dialog(m_mainWindow);
    dialog.setHeightLimit(op->volumeSizeZ());
    if (dialog.exec() != QDialog::Accepted)
        return;
    op->setMaterial(dialog.material());
    op->setDepositionHeight(dialog.depositionHeight());
}

} // namespace Observers
} // namespace Ui
