#include "UI/Observers/filmextractionobserver.h"

#include "Core/Operations/Objects/filmextractionoperation.h"
#include "Core/workspace.h"
#include "UI/Dialogs/filmextractiondialog.h"

#include <memory>

namespace Ui {
namespace Observers {

FilmExtractionObserver::FilmExtractionObserver(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void FilmExtractionObserver::notify()
{
    auto op = std::dynamic_pointer_cast<Core::Operations::FilmExtractionOperation>(m_workspace.currentOperation());
    if (!op)
        return;
    Ui::Operations::FilmExtractionDialog dialog(m_mainWindow);
    if (dialog.exec() != QDialog::Accepted)
        return;
    op->setMaterial(dialog.material());
    op->setInvert(dialog.invert());
}

} // namespace Observers
} // namespace Ui
