#include "sioxidationobserver.h"

#include "Core/Operations/simplesioxidationoperation.h"
#include "Core/workspace.h"
#include "UI/Operations/lengthunits.h"
#include "UI/Operations/simpleoxidationoptionsdialog.h"

namespace Ui {
namespace Observers {

SiOxidationObserver::SiOxidationObserver(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void SiOxidationObserver::notify()
{
    auto operation =
        std::dynamic_pointer_cast<Core::Operations::SimpleSiOxidationOperation>(m_workspace.currentOperation());
    if (!operation)
        return;
    Ui::Operations::SimpleOxidationOptionsDialog dialog(m_mainWindow);
    dialog.setVolumeHeight(Ui::Operations::LengthUnits::heightOf(operation->volume().get()));
    if (dialog.exec() != QDialog::Accepted)
        return;
    operation->setConversion(dialog.conversion());
    if (dialog.byTime()) {
        operation->setTime(dialog.time());
        operation->setPressure(dialog.pressure());
        operation->setTemperature(dialog.temperature());
    } else {
        operation->setThickness(dialog.thickness());
    }
}

} // namespace Observers
} // namespace Ui
