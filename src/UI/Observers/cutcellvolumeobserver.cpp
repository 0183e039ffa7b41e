#include "UI/Observers/cutcellvolumeobserver.h"

#include "Core/Operations/View/cutcellvolumeoperation.h"
#include "Core/workspace.h"
#include "UI/Dialogs/cutcellvolumedialog.h"

#include <memory>

namespace Ui {
namespace Observers {

CutCellVolumeObserver::CutCellVolumeObserver(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void CutCellVolumeObserver::notify()
{
    using Core::Operations::CutCellVolumeOperation;
    auto op = std::dynamic_pointer_cast<CutCellVolumeOperation>(m_workspace.currentOperation());
    CutCellVolumeOperation::Triple size{};
    CutCellVolumeOperation::Triple lower{};
    CutCellVolumeOperation::Triple upper{};
    if (!op || !op->currentLimits(size, lower, upper))
        return;
    Ui::Operations::CutCellVolumeDialog dialog(m_mainWindow);
    dialog.setVolume(size, lower, upper);
    CutCellVolumeOperation *target = op.get();
    QObject::connect(&dialog, &Ui::Operations::CutCellVolumeDialog::previewRequested,
                     [target](const CutCellVolumeOperation::Triple &previewLower,
                              const CutCellVolumeOperation::Triple &previewUpper) {
                         target->applyLimits(previewLower, previewUpper, true);
                     });
    if (dialog.exec() != QDialog::Accepted)
        return;
    op->applyLimits(dialog.lower(), dialog.upper(), true);
}

} // namespace Observers
} // namespace Ui
