#include "mooreetchingobserver.h"

#include "Core/Operations/mooreneighborhoodetchingoperation.h"
#include "Core/workspace.h"
#include "UI/Operations/mooreoptionsdialog.h"

#include <memory>

namespace Ui {
namespace Observers {

MooreEtchingObserver::MooreEtchingObserver(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void MooreEtchingObserver::notify()
{
    auto op =
        std::dynamic_pointer_cast<Core::Operations::MooreNeighborhoodEtchingOperation>(m_workspace.currentOperation());
    if (!op)
        return;
    Ui::Operations::MooreOptionsDialog dialog(m_mainWindow);
    dialog.setValueLabel(QStringLiteral("Etch Depth"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    op->setMaterial(dialog.material());
    op->setLayerCount(dialog.value());
}

} // namespace Observers
} // namespace Ui
