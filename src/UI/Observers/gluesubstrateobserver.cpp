#include "UI/Observers/gluesubstrateobserver.h"

#include "Core/Operations/Objects/gluesubstrateoperation.h"
#include "Core/workspace.h"
#include "UI/Dialogs/gluesubstratedialog.h"

#include <memory>

namespace Ui {
namespace Observers {

GlueSubstrateObserver::GlueSubstrateObserver(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void GlueSubstrateObserver::notify()
{
    auto op = std::dynamic_pointer_cast<Core::Operations::GlueSubstrateOperation>(m_workspace.currentOperation());
    if (!op)
        return;
    Ui::Operations::GlueSubstrateDialog dialog(m_mainWindow);
    dialog.setLimits(op->wideX(), op->wideY(), op->stackedHeight(), op->roomX(), op->roomY());
    if (dialog.exec() != QDialog::Accepted)
        return;
    op->setFinalSize(dialog.finalSizeX(), dialog.finalSizeY(), dialog.finalSizeZ());
    op->setShift(dialog.displacementX(), dialog.displacementY());
    op->setInvert(dialog.invert());
}

} // namespace Observers
} // namespace Ui
