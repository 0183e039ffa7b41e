#include "UI/Observers/selectionmodeobserver.h"

#include "Core/selection.h"

#include <QAction>

namespace Ui {
namespace Observers {

SelectionModeObserver::SelectionModeObserver(Core::Selection &selection, QAction *selectAction)
    : m_selection(selection)
    , m_action(selectAction)
{
}

void SelectionModeObserver::notify()
{
    if (m_action)
        m_action->setChecked(m_selection.isSelectionMode());
}

} // namespace Observers
} // namespace Ui
