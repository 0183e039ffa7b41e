#include "mooredepositionobserver.h"

#include "Core/Operations/mooreneighborhooddepositionoperation.h"
#include "Core/workspace.h"
#include "UI/Operations/mooreoptionsdialog.h"

#include <memory>

namespace Ui {
namespace Observers {

MooreDepositionObserver::MooreDepositionObserver(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void MooreDepositionObserver::notify()
{
    auto op = std::dynamic_pointer_cast<Core::Operations::MooreNeighborhoodDepositionOperation>(
        m_workspace.currentOperation());
    if (!op)
        return;
    Ui::Operations::MooreOptionsDialog dialog(m_mainWindow);
    dialog.setValueLabel(QStringLiteral("Film Thickness"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    op->setMaterial(dialog.material());
    op->setLayerCount(dialog.value());
}

} // namespace Observers
} // namespace Ui
