#include "dopingoptionsobserver.h"

#include "Core/Operations/dopingoperation.h"
#include "Core/workspace.h"
#include "UI/Operations/dopingoptionsdialog.h"
#include "UI/Operations/lengthunits.h"

namespace Ui {
namespace Observers {

DopingOptionsObserver::DopingOptionsObserver(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void DopingOptionsObserver::notify()
{
    auto operation = std::dynamic_pointer_cast<Core::Operations::DopingOperation>(m_workspace.currentOperation());
    if (!operation)
        return;
    Ui::Operations::DopingOptionsDialog dialog(m_mainWindow);
    dialog.setVolumeHeight(Ui::Operations::LengthUnits::heightOf(operation->volume().get()));
    if (dialog.exec() != QDialog::Accepted)
        return;
    operation->setMaterial(dialog.material());
    operation->setDepth(dialog.depth());
}

} // namespace Observers
} // namespace Ui
