#include "UI/Observers/extractfilmobserver.h"

#include "Core/Operations/Objects/extractfilm.h"
#include "Core/workspace.h"
#include "UI/Dialogs/extractfilmdialog.h"

#include <memory>

namespace Ui {
namespace Observers {

ExtractFilmObserver::ExtractFilmObserver(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void ExtractFilmObserver::notify()
{
    auto op = std::dynamic_pointer_cast<Core::Operations::ExtractFilm>(m_workspace.currentOperation());
    if (!op)
        return;
    Ui::Operations::ExtractFilmDialog dialog(m_mainWindow);
    if (dialog.exec() != QDialog::Accepted)
        return;
    op->setMaterial(dialog.material());
    op->setInvert(dialog.invert());
}

} // namespace Observers
} // namespace Ui
