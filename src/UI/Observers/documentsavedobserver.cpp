#include "UI/Observers/documentsavedobserver.h"

#include "Core/workspace.h"
#include "UI/documentcommands.h"

namespace Ui {
namespace Observers {

void DocumentSavedObserver::notify()
{
    if (m_mainWindow)
        m_mainWindow->setWindowTitle(documentWindowTitle(m_workspace.document().fileName()));
}

} // namespace Observers
} // namespace Ui
