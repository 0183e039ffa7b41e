#include "pvdobserver.h"

#include "Core/Operations/simplephysicalvapordepositionoperation.h"
#include "Core/workspace.h"
#include "UI/Operations/lengthunits.h"
#include "UI/Operations/pvdoptionsdialog.h"

namespace Ui {
namespace Observers {

PVDObserver::PVDObserver(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void PVDObserver::notify()
{
    auto operation = std::dynamic_pointer_cast<Core::Operations::SimplePhysicalVaporDepositionOperation>(
        m_workspace.currentOperation());
    if (!operation)
        return;
    Ui::Operations::PVDOptionsDialog dialog(m_mainWindow);
    dialog.setVolumeHeight(Ui::Operations::LengthUnits::heightOf(operation->volume().get()));
    if (dialog.exec() != QDialog::Accepted)
        return;
    operation->setMaterial(dialog.material());
    operation->setThickness(dialog.thickness());
    operation->setRatio(dialog.ratio());
    operation->setSide(dialog.side());
}

} // namespace Observers
} // namespace Ui
