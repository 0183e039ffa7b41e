#include "randomwalkdopingobserver.h"

#include "Core/Operations/randomwalkdopingoperation.h"
#include "Core/workspace.h"
#include "UI/Operations/randomwalkdopingdialog.h"

namespace Ui {
namespace Observers {

RandomWalkDopingObserver::RandomWalkDopingObserver(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void RandomWalkDopingObserver::notify()
{
    auto operation =
        std::dynamic_pointer_cast<Core::Operations::RandomWalkDopingOperation>(m_workspace.currentOperation());
    if (!operation)
        return;
    Ui::Operations::RandomWalkDopingDialog dialog(m_mainWindow);
    if (operation->volume())
        dialog.setCellCount(operation->volume()->cellCount());
    if (dialog.exec() != QDialog::Accepted)
        return;
    operation->setInput(dialog.input());
    operation->setSeed(dialog.seed());
}

} // namespace Observers
} // namespace Ui
