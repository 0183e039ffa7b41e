#include "photolithographyobserver.h"

#include "Core/Operations/photolithographyoperation.h"
#include "Core/workspace.h"
#include "UI/Operations/maskfilegroup.h"
#include "UI/Operations/photolithographydialog.h"

#include <memory>

namespace Ui {
namespace Observers {

PhotolithographyObserver::PhotolithographyObserver(Core::Workspace &workspace, QWidget *mainWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void PhotolithographyObserver::notify()
{
    auto op = std::dynamic_pointer_cast<Core::Operations::PhotolithographyOperation>(m_workspace.currentOperation());
    if (!op)
        return;
    Ui::Operations::PhotolithographyDialog dialog(m_mainWindow);
    if (const auto volume = op->volume()) {
        dialog.topGroup()->setColumns(volume->sizeX(), volume->sizeY());
        dialog.bottomGroup()->setColumns(volume->sizeX(), volume->sizeY());
    }
    Core::Operations::PhotolithographyOperation *target = op.get();
    QObject::connect(
        &dialog, &Ui::Operations::PhotolithographyDialog::topMaskChanged,
        [target](const QBitArray &bits, uint width, uint height) { target->setTopMask(bits, width, height); });
    QObject::connect(
        &dialog, &Ui::Operations::PhotolithographyDialog::bottomMaskChanged,
        [target](const QBitArray &bits, uint width, uint height) { target->setBottomMask(bits, width, height); });
    if (dialog.exec() != QDialog::Accepted)
        return;
    op->setMaterial(dialog.material());
    const auto &bottom = dialog.bottomMask();
    const auto &top = dialog.topMask();
    op->setBottomMask(bottom.bits, bottom.width, bottom.height);
    op->setTopMask(top.bits, top.width, top.height);
}

} // namespace Observers
} // namespace Ui
