#include "ionimplantationoptionsobserver.h"

#include "Core/Operations/ionimplantationoperation.h"
#include "Core/workspace.h"
#include "UI/Operations/ionimplantationoptionsdialog.h"
#include "UI/Operations/lengthunits.h"

namespace Ui {
namespace Observers {

IonImplantationOptionsObserver::IonImplantationOptionsObserver(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void IonImplantationOptionsObserver::notify()
{
    auto operation =
        std::dynamic_pointer_cast<Core::Operations::IonImplantationOperation>(m_workspace.currentOperation());
    if (!operation)
        return;
    Ui::Operations::IonImplantationOptionsDialog dialog(m_mainWindow);
    dialog.setVolumeHeight(Ui::Operations::LengthUnits::heightOf(operation->volume().get()));
    if (dialog.exec() != QDialog::Accepted)
        return;
    operation->setMaterial(dialog.material());
    operation->setDepth(dialog.depth());
    operation->setSpread(dialog.spread());
    operation->setAnnealingDistance(dialog.annealingDistance());
}

} // namespace Observers
} // namespace Ui
