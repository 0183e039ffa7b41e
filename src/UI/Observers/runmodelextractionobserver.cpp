#include "UI/Observers/runmodelextractionobserver.h"

#include "Core/Operations/Document/runmodelextraction.h"
#include "Core/workspace.h"
#include "UI/Dialogs/extractmodeldialog.h"

namespace Ui {
namespace Observers {

RunModelExtractionObserver::RunModelExtractionObserver(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void RunModelExtractionObserver::notify()
{
    auto operation = std::dynamic_pointer_cast<Core::Operations::RunModelExtraction>(m_workspace.currentOperation());
    if (!operation)
        return;
    if (m_dialog)
        m_dialog->dismiss();
    m_dialog = new Operations::ExtractModelDialog(operation, m_mainWindow);
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
}

} // namespace Observers
} // namespace Ui
