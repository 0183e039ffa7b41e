#include "electrodepositionobserver.h"

#include "Core/Operations/electrodepositionoperation.h"
#include "Core/workspace.h"
#include "UI/Operations/electrodepositiondialog.h"
#include "UI/Operations/lengthunits.h"

namespace Ui {
namespace Observers {

ElectrodepositionObserver::ElectrodepositionObserver(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void ElectrodepositionObserver::notify()
{
    auto operation =
        std::dynamic_pointer_cast<Core::Operations::ElectrodepositionOperation>(m_workspace.currentOperation());
    if (!operation)
        return;
    Ui::Operations::ElectrodepositionDialog dialog(m_mainWindow);
    dialog.setVolumeHeight(Ui::Operations::LengthUnits::heightOf(operation->volume().get()));
    if (dialog.exec() != QDialog::Accepted)
        return;
    operation->setThickness(dialog.thickness());
    operation->setDepositedMaterial(dialog.depositedMaterial());
    operation->setConductingMaterial(dialog.conductingMaterial());
}

} // namespace Observers
} // namespace Ui
