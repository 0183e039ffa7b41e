#include "isotropicfilmdepositionobserver.h"

#include "Core/Operations/isotropicfilmdepositionoperation.h"
#include "Core/workspace.h"
#include "UI/Operations/isotropicdepositiondialog.h"
#include "UI/Operations/lengthunits.h"

namespace Ui {
namespace Observers {

IsotropicFilmDepositionObserver::IsotropicFilmDepositionObserver(Core::Workspace &workspace, QWidget *mainWindow,
                                                                 uint32_t processId)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
    , m_processId(processId)
{
}

void IsotropicFilmDepositionObserver::notify()
{
    auto operation =
        std::dynamic_pointer_cast<Core::Operations::IsotropicFilmDepositionOperation>(m_workspace.currentOperation());
    if (!operation)
        return;
    Ui::Operations::IsotropicDepositionDialog dialog(m_processId, m_mainWindow);
    dialog.setVolumeHeight(Ui::Operations::LengthUnits::heightOf(operation->volume().get()));
    if (dialog.exec() != QDialog::Accepted)
        return;
    operation->setThickness(dialog.thickness());
    operation->setMaterial(dialog.material());
}

} // namespace Observers
} // namespace Ui
