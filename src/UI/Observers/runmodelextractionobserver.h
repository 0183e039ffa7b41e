#pragma once

#include "UI/Dialogs/extractmodeldialog.h"
#include "Util/iobserver.h"

#include <QPointer>

class QWidget;

namespace Core {
class Workspace;
}

namespace Ui {
namespace Observers {

/// Opens the Extract Model dialog, not modal, for the workspace's current model extraction once it
/// has its volume.
class RunModelExtractionObserver : public Util::IObserver {
public:
    RunModelExtractionObserver(Core::Workspace &workspace, QWidget *mainWindow);
    void notify() override;

    /// The open dialog, or null.
    Operations::ExtractModelDialog *dialog() const { return m_dialog.data(); }

private:
    Core::Workspace &m_workspace;
    QPointer<QWidget> m_mainWindow;
    QPointer<Operations::ExtractModelDialog> m_dialog;
};

} // namespace Observers
} // namespace Ui
