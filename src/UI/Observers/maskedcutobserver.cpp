#include "UI/Observers/maskedcutobserver.h"

#include "Core/Operations/View/maskedcutcellvolumeoperation.h"
#include "Core/workspace.h"
#include "UI/Dialogs/maskedcutoptionsdialog.h"
#include "UI/Dialogs/maskfilegroup.h"

#include <memory>

namespace Ui {
namespace Observers {

MaskedCutObserver::MaskedCutObserver(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void MaskedCutObserver::notify()
{
    auto op = std::dynamic_pointer_cast<Core::Operations::MaskedCutCellVolumeOperation>(m_workspace.currentOperation());
    if (!op)
        return;
    Ui::Operations::MaskedCutOptionsDialog dialog(m_mainWindow);
    if (const auto volume = op->volume())
        dialog.maskGroup()->setColumns(volume->sizeX(), volume->sizeY());
    Core::Operations::MaskedCutCellVolumeOperation *target = op.get();
    QObject::connect(
        &dialog, &Ui::Operations::MaskedCutOptionsDialog::maskChanged,
        [target](const QBitArray &bits, uint width, uint height) { target->setMask(bits, width, height); });
    if (dialog.exec() != QDialog::Accepted)
        return;
    const auto &mask = dialog.mask();
    op->setMask(mask.bits, mask.width, mask.height);
}

} // namespace Observers
} // namespace Ui
