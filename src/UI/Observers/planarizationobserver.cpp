#include "planarizationobserver.h"

#include "Core/Operations/planarizationoperation.h"
#include "Core/workspace.h"
#include "UI/Operations/planarizationoptionsdialog.h"

#include <memory>

namespace Ui {
namespace Observers {

PlanarizationObserver::PlanarizationObserver(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void PlanarizationObserver::notify()
{
    auto op = std::dynamic_pointer_cast<Core::Operations::PlanarizationOperation>(m_workspace.currentOperation());
    if (!op)
        return;
    Ui::Operations::PlanarizationOptionsDialog dialog(m_mainWindow);
    dialog.setHeightLimit(op->volumeSizeZ());
    if (dialog.exec() != QDialog::Accepted)
        return;
    op->setMaximumHeight(dialog.maximumHeight());
    op->setMinimumHeight(dialog.minimumHeight());
}

} // namespace Observers
} // namespace Ui
