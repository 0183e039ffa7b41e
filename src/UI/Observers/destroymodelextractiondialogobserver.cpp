#include "UI/Observers/destroymodelextractiondialogobserver.h"

#include "UI/Dialogs/extractmodeldialog.h"
#include "UI/Observers/runmodelextractionobserver.h"

namespace Ui {
namespace Observers {

DestroyModelExtractionDialogObserver::DestroyModelExtractionDialogObserver(
    const std::shared_ptr<RunModelExtractionObserver> &opener)
    : m_opener(opener)
{
}

void DestroyModelExtractionDialogObserver::notify()
{
    if (auto opener = m_opener.lock()) {
        if (Operations::ExtractModelDialog *dialog = opener->dialog())
            dialog->dismiss();
    }
}

} // namespace Observers
} // namespace Ui
