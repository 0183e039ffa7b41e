#include "anisotropicdepositionobserver.h"

#include "Core/Operations/anisotropicfilmdepositionoperation.h"
#include "Core/workspace.h"
#include "UI/Operations/anisotropicdepositiondialog.h"
#include "UI/Operations/lengthunits.h"

namespace Ui {
namespace Observers {

AnisotropicDepositionObserver::AnisotropicDepositionObserver(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void AnisotropicDepositionObserver::notify()
{
    auto operation =
        std::dynamic_pointer_cast<Core::Operations::AnisotropicFilmDepositionOperation>(m_workspace.currentOperation());
    if (!operation)
        return;
    Ui::Operations::AnisotropicDepositionDialog dialog(m_mainWindow);
    dialog.setVolumeHeight(Ui::Operations::LengthUnits::heightOf(operation->volume().get()));
    if (dialog.exec() != QDialog::Accepted)
        return;
    operation->setMaterial(dialog.material());
    operation->setThickness(dialog.thickness());
    operation->setRatio(dialog.ratio());
}

} // namespace Observers
} // namespace Ui
