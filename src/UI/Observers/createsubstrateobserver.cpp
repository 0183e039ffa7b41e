#include "createsubstrateobserver.h"

#include "Core/Operations/createsubstrateoperation.h"
#include "Core/workspace.h"
#include "UI/Operations/createsubstratedialog.h"

namespace Ui {
namespace Observers {

CreateSubstrateObserver::CreateSubstrateObserver(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void CreateSubstrateObserver::notify()
{
    auto operation =
        std::dynamic_pointer_cast<Core::Operations::CreateSubstrateOperation>(m_workspace.currentOperation());
    if (!operation)
        return;
    Operations::CreateSubstrateDialog dialog(m_mainWindow);
    if (dialog.exec() == QDialog::Accepted)
        applyDialog(dialog, *operation);
}

void CreateSubstrateObserver::applyDialog(const Operations::CreateSubstrateDialog &dialog,
                                          Core::Operations::CreateSubstrateOperation &operation)
{
    if (dialog.isSpherical()) {
        operation.setSphericalSubstrate(dialog.material(), dialog.totalWidth(), dialog.totalLength(),
                                        dialog.totalHeight(), dialog.position(), dialog.centreX(), dialog.centreY(),
                                        dialog.centreZ(), dialog.radius());
    } else {
        operation.setBoxSubstrate(dialog.material(), dialog.totalWidth(), dialog.totalLength(), dialog.totalHeight(),
                                  dialog.position(), dialog.offsetX(), dialog.offsetY(), dialog.offsetZ(),
                                  dialog.substrateWidth(), dialog.substrateLength(), dialog.substrateHeight());
    }
}

} // namespace Observers
} // namespace Ui
