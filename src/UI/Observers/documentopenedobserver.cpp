#include "documentopenedobserver.h"

#include "Core/Operations/opendocumentoperation.h"
#include "Core/workspace.h"
#include "UI/documentcommands.h"

#include <QWidget>

namespace Ui {
namespace Observers {

void DocumentOpenedObserver::notify()
{
    if (!m_createWindow || !m_dialogs)
        return;
    const OpenedWindow opened = m_createWindow();
    if (!opened.window || !opened.workspace)
        return;
    using Core::Operations::OpenDocumentOperation;
    const auto operation = std::dynamic_pointer_cast<OpenDocumentOperation>(m_workspace.currentOperation());
    loadDocumentIntoWindow(opened.window, *opened.workspace, OpenDocumentOperation::chosenFileName(),
                           operation ? operation->conflictResolver() : Model::Persistence::ConflictResolver(),
                           *m_dialogs);
    opened.window->showMaximized();
}

} // namespace Observers
} // namespace Ui
