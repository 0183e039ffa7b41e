#include "UI/Observers/changetotalvolumeviewoptionsobserver.h"

#include "Core/Operations/View/changetotalvolumevisualizationoptions.h"
#include "Core/workspace.h"
#include "Model/Materials/materialfactory.h"
#include "UI/Dialogs/changevolumevisualizationdialog.h"
#include "UI/glwidget.h"

namespace Ui {
namespace Observers {

ChangeTotalVolumeViewOptionsObserver::ChangeTotalVolumeViewOptionsObserver(Core::Workspace &workspace,
                                                                           QWidget *mainWindow)
    : runDialog([](Operations::ChangeVolumeVisualizationDialog &dialog) { return dialog.exec() == QDialog::Accepted; })
    , m_workspace(workspace)
    , m_mainWindow(mainWindow)
{
}

void ChangeTotalVolumeViewOptionsObserver::notify()
{
    auto operation = std::dynamic_pointer_cast<Core::Operations::ChangeTotalVolumeVisualizationOptions>(
        m_workspace.currentOperation());
    if (!operation || !operation->volume())
        return;

    Operations::ChangeVolumeVisualizationDialog dialog(
        Core::Operations::VisualizationOptions::of(operation->volume()->view()), m_mainWindow);
    // A rejected dialog leaves the operation without options, and it cancels itself.
    if (!runDialog(dialog))
        return;

    auto catalogue = Model::Materials::MaterialFactory::instance();
    const auto colors = dialog.pendingColors();
    for (auto it = colors.cbegin(); it != colors.cend(); ++it) {
        auto material = catalogue->getMaterial(it.key());
        if (material.id() == 0)
            continue;
        material.setColor(float(it.value().redF()), float(it.value().greenF()), float(it.value().blueF()),
                          float(it.value().alphaF()));
        catalogue->setMaterial(material);
    }
    const auto options = dialog.options();
    operation->setOptions(options);
    if (m_mainWindow) {
        if (auto *view = m_mainWindow->findChild<GLWidget *>())
            view->setLegendScaleType(options.colorScaleType);
    }
}

} // namespace Observers
} // namespace Ui
