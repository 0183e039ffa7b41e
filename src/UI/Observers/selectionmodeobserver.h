#pragma once

#include "Util/iobserver.h"

#include <QPointer>

class QAction;

namespace Core {
class Selection;
}

namespace Ui {
namespace Observers {

/// Keeps the checked state of the "Select" action equal to the selection mode.
class SelectionModeObserver : public Util::IObserver {
public:
    SelectionModeObserver(Core::Selection &selection, QAction *selectAction);
    void notify() override;

private:
    Core::Selection &m_selection;
    QPointer<QAction> m_action;
};

} // namespace Observers
} // namespace Ui
