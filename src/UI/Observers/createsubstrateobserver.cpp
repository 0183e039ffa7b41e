#include "UI/Observers/createsubstrateobserver.h"

#include "Core/Operations/Objects/createsubstrateoperation.h"
#include "Core/Processes/createsubstrateprocess.h"
#include "Core/Processes/processregistry.h"
#include "Core/workspace.h"
#include "UI/ProcessDialogs/processdialogregistry.h"

#include <QDialog>

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
    const auto &process = Core::Processes::ProcessRegistry::get<Core::Processes::CreateSubstrateProcess>();
    const std::unique_ptr<IProcessDialog> dialog = ProcessDialogRegistry::make(process, m_mainWindow);
    if (dialog->dialog().exec() != QDialog::Accepted)
        return;
    if (const auto builder = process.builder(dialog->parameters()))
        operation->setSubstrate(*builder);
}

} // namespace Observers
} // namespace Ui
