#include "destroymodelextractiondialogobserver.h"

#include "UI/Operations/extractmodeldialog.h"
#include "runmodelextractionobserver.h"

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
