#include "materialconflictobserver.h"

#include "Core/Operations/opendocumentoperation.h"
#include "Core/workspace.h"
#include "UI/materialconflictdialog.h"

namespace Ui {
namespace Observers {

void MaterialConflictObserver::notify()
{
    using Core::Operations::OpenDocumentOperation;
    if (!std::dynamic_pointer_cast<OpenDocumentOperation>(m_workspace.currentOperation()))
        return;
    if (const auto decision = MaterialConflictDialog::ask(OpenDocumentOperation::existingMaterial(),
                                                          OpenDocumentOperation::loadedMaterial(), m_parent))
        OpenDocumentOperation::resolveConflict(*decision);
}

} // namespace Observers
} // namespace Ui
