#include "isotropicfilmetchingobserver.h"

#include "Core/Operations/isotropicfilmetchingoperation.h"
#include "Core/workspace.h"
#include "UI/Operations/isotropicetchingdialog.h"
#include "UI/Operations/lengthunits.h"

namespace Ui {
namespace Observers {

IsotropicFilmEtchingObserver::IsotropicFilmEtchingObserver(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void IsotropicFilmEtchingObserver::notify()
{
    auto operation =
        std::dynamic_pointer_cast<Core::Operations::IsotropicFilmEtchingOperation>(m_workspace.currentOperation());
    if (!operation)
        return;
    Ui::Operations::IsotropicEtchingDialog dialog(m_mainWindow);
    dialog.setVolumeHeight(Ui::Operations::LengthUnits::heightOf(operation->volume().get()));
    if (dialog.exec() != QDialog::Accepted)
        return;
    operation->setDepth(dialog.depth());
    operation->setMaterial(dialog.material());
}

} // namespace Observers
} // namespace Ui
