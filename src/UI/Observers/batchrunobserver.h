#pragma once

#include "Model/Volume/totalvolume.h"
#include "UI/Observers/documentopenedobserver.h"
#include "Util/iobserver.h"

#include <QPointer>
#include <QString>

class QWidget;

namespace Core {
class Workspace;
}

namespace Ui {
namespace Observers {

/// Opens the "Batch Run" dialog when the volume-selection operation ends, for the volume it
/// chose or for none (the list must then begin with "Create Substrate").
class BatchRunObserver : public Util::IObserver {
public:
    /// `makeWindow` gives the new window of a list run in one (see DocumentOpenedObserver).
    BatchRunObserver(Core::Workspace &workspace, QWidget *mainWindow, DocumentOpenedObserver::WindowFactory makeWindow);
    void notify() override;

    /// Runs the dialog modally for `target` (may be null), first loading `listFile` when it is
    /// not empty (a list that cannot be read is reported in a message box); a run in a new window
    /// gets it from `makeWindow`. Afterwards every cell volume's masks are cleared and its surface
    /// regenerated.
    static void runDialog(Core::Workspace &workspace, QWidget *mainWindow,
                          const Model::Automaton::TotalVolumePtr &target,
                          const DocumentOpenedObserver::WindowFactory &makeWindow, const QString &listFile = QString());
    /// The first selected cell volume, or null.
    static Model::Automaton::TotalVolumePtr selectedVolume(Core::Workspace &workspace);

private:
    Core::Workspace &m_workspace;
    QPointer<QWidget> m_mainWindow;
    DocumentOpenedObserver::WindowFactory m_makeWindow;
};

} // namespace Observers
} // namespace Ui
