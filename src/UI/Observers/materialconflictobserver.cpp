#include "UI/Observers/materialconflictobserver.h"

#include "Core/Operations/Document/opendocumentoperation.h"
#include "Core/workspace.h"
#include "UI/Dialogs/materialconflictdialog.h"

namespace Ui {
namespace Observers {

void MaterialConflictObserver::notify()
{
    const auto operation =
        std::dynamic_pointer_cast<Core::Operations::OpenDocumentOperation>(m_workspace.currentOperation());
    if (!operation)
        return;
    if (const auto decision =
            MaterialConflictDialog::ask(operation->existingMaterial(), operation->loadedMaterial(), m_parent))
        operation->resolveConflict(*decision);
}

} // namespace Observers
} // namespace Ui
