#include "UI/ProcessDialogs/processdialogobserver.h"

#include "Core/Processes/processoperation.h"
#include "Core/workspace.h"
#include "UI/ProcessDialogs/processdialogregistry.h"

#include <QDialog>

namespace Ui {

ProcessDialogObserver::ProcessDialogObserver(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void ProcessDialogObserver::notify()
{
    auto operation = std::dynamic_pointer_cast<Core::Processes::ProcessOperation>(m_workspace.currentOperation());
    if (!operation)
        return;
    const std::unique_ptr<IProcessDialog> dialog = ProcessDialogRegistry::make(operation->descriptor(), m_mainWindow);
    if (!dialog)
        return;
    ProcessDialogContext context;
    if (const auto volume = operation->volume()) {
        context.volume = volume.get();
        context.columnsX = volume->sizeX();
        context.columnsY = volume->sizeY();
    }
    dialog->setContext(context);
    dialog->setParameters(operation->step().getParameters());
    Core::Processes::ProcessOperation *target = operation.get();
    dialog->setPreview([target](const QVariantMap &values) { target->preview(values); });
    if (dialog->dialog().exec() != QDialog::Accepted)
        return;
    operation->setParameters(dialog->parameters());
    operation->setSeed(dialog->seed());
}

} // namespace Ui
