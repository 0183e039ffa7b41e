#include "simplerieobserver.h"

#include "Core/Operations/simplereactiveionetchingoperation.h"
#include "Core/workspace.h"
#include "UI/Operations/simpleriedialog.h"

namespace Ui {
namespace Observers {

SimpleRIEObserver::SimpleRIEObserver(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void SimpleRIEObserver::notify()
{
    auto operation =
        std::dynamic_pointer_cast<Core::Operations::SimpleReactiveIonEtchingOperation>(m_workspace.currentOperation());
    if (!operation)
        return;
    Ui::Operations::SimpleRIEDialog dialog(m_mainWindow);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // Below first, then top: each setter owns one direction bit.
    operation->setEtchFromBelow(dialog.etchFromBelow());
    operation->setEtchFromTop(dialog.etchFromTop());
    operation->setDepth(dialog.depth());
    operation->setMaterial(dialog.material());
}

} // namespace Observers
} // namespace Ui
