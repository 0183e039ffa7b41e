#include "UI/Observers/batchrunobserver.h"

#include "Core/Operations/Objects/selectvolumesoperation.h"
#include "Core/workspace.h"
#include "UI/BatchRun/runprocessesdialog.h"
#include "UI/Observers/documentopenedobserver.h"
#include "UI/glwidget.h"

#include <QMessageBox>

namespace Ui {
namespace Observers {

namespace {

/// Saves the view of `window` as an image; false once the view is gone.
std::function<bool(const QString &)> screenshotOf(QWidget *window)
{
    auto *view = window ? window->findChild<GLWidget *>() : nullptr;
    if (!view)
        return nullptr;
    QPointer<GLWidget> guarded(view);
    return [guarded](const QString &fileName) { return guarded && guarded->saveImage(fileName); };
}

} // namespace

BatchRunObserver::BatchRunObserver(Core::Workspace &workspace, QWidget *mainWindow,
                                   DocumentOpenedObserver::WindowFactory makeWindow)
    : m_workspace(workspace)
    , m_mainWindow(mainWindow)
    , m_makeWindow(std::move(makeWindow))
{
}

void BatchRunObserver::notify()
{
    auto operation =
        std::dynamic_pointer_cast<Core::Operations::SelectVolumesOperation>(m_workspace.currentOperation());
    if (!operation)
        return;
    runDialog(m_workspace, m_mainWindow.data(), operation->volume(), m_makeWindow);
}

void BatchRunObserver::runDialog(Core::Workspace &workspace, QWidget *mainWindow,
                                 const Model::Automaton::TotalVolumePtr &target,
                                 const DocumentOpenedObserver::WindowFactory &makeWindow, const QString &listFile)
{
    {
        RunProcessesDialog dialog(mainWindow, target, workspace);
        // "Save Image" steps save the main view, as its own Save Image command does.
        dialog.setScreenshotFunction(screenshotOf(mainWindow));
        // A list run in a new window: the window comes beside this one, as an opened document's does.
        QPointer<QWidget> origin(mainWindow);
        if (makeWindow) {
            dialog.setWindowMaker([origin, makeWindow] {
                const OpenedWindow opened = makeWindow();
                DocumentOpenedObserver::showBeside(opened.window, origin.data());
                return RunProcessesDialog::RunWindow{opened.window, opened.workspace, screenshotOf(opened.window)};
            });
        }
        // A list chosen outside the dialog (File menu, command line) never leaves it empty without a word.
        if (!listFile.isEmpty() && !dialog.loadList(listFile)) {
            QMessageBox box(QMessageBox::Critical, QStringLiteral("Process List"),
                            QStringLiteral("The process list could not be opened."), QMessageBox::Ok, mainWindow);
            box.setInformativeText(dialog.loadError());
            box.exec();
        }
        dialog.exec();
    }
    // The masks shown while steps were edited or run were previews.
    for (const auto &object : workspace.document().allObjects()) {
        if (auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object)) {
            volume->clearUpperMask();
            volume->clearLowerMask();
            workspace.regenerateSurface(volume);
        }
    }
    workspace.notifyUpdate();
}

Model::Automaton::TotalVolumePtr BatchRunObserver::selectedVolume(Core::Workspace &workspace)
{
    for (const auto &object : workspace.pickState().selected()) {
        if (auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object))
            return volume;
    }
    return nullptr;
}

} // namespace Observers
} // namespace Ui
