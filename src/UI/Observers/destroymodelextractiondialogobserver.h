#pragma once

#include "Util/iobserver.h"

#include <memory>

namespace Ui {
namespace Observers {

class RunModelExtractionObserver;

/// Closes the Extract Model dialog that its opener showed, when the extraction has ended (finished
/// or cancelled), so that the dialog never outlives its operation.
class DestroyModelExtractionDialogObserver : public Util::IObserver {
public:
    explicit DestroyModelExtractionDialogObserver(const std::shared_ptr<RunModelExtractionObserver> &opener);
    void notify() override;

private:
    std::weak_ptr<RunModelExtractionObserver> m_opener;
};

} // namespace Observers
} // namespace Ui
