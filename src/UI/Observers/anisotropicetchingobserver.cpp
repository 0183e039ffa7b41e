#include "anisotropicetchingobserver.h"

#include "Core/Operations/anisotropicfilmetchingoperation.h"
#include "Core/workspace.h"
#include "UI/Operations/anisotropicetchingdialog.h"
#include "UI/Operations/lengthunits.h"

namespace Ui {
namespace Observers {

AnisotropicEtchingObserver::AnisotropicEtchingObserver(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void AnisotropicEtchingObserver::notify()
{
    auto operation =
        std::dynamic_pointer_cast<Core::Operations::AnisotropicFilmEtchingOperation>(m_workspace.currentOperation());
    if (!operation)
        return;
    Ui::Operations::AnisotropicEtchingDialog dialog(m_mainWindow);
    dialog.setVolumeHeight(Ui::Operations::LengthUnits::heightOf(operation->volume().get()));
    if (dialog.exec() != QDialog::Accepted)
        return;
    operation->setMaterial(dialog.material());
    operation->setDepth(dialog.depth());
    operation->setRatio(dialog.ratio());
}

} // namespace Observers
} // namespace Ui
