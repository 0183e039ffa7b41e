#include "documentopenedobserver.h"

#include "Core/Operations/opendocumentoperation.h"
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
    loadDocumentIntoWindow(opened.window, *opened.workspace, OpenDocumentOperation::chosenFileName(),
                           OpenDocumentOperation::observerResolver(), *m_dialogs);
    opened.window->showMaximized();
}

} // namespace Observers
} // namespace Ui
