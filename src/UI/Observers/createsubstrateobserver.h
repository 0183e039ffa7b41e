#pragma once

#include "Util/iobserver.h"

#include <QPointer>

class QWidget;

namespace Core {
class Workspace;
namespace Operations {
class CreateSubstrateOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {
class CreateSubstrateDialog;
}

namespace Observers {

/// Runs the Create Substrate dialog for the workspace's current operation and hands the
/// accepted values to it.
class CreateSubstrateObserver : public Util::IObserver {
public:
    CreateSubstrateObserver(Core::Workspace &workspace, QWidget *mainWindow);
    void notify() override;

    /// Passes the dialog's values to the operation (box or sphere, as the dialog says).
    static void applyDialog(const Operations::CreateSubstrateDialog &dialog,
                            Core::Operations::CreateSubstrateOperation &operation);

private:
    Core::Workspace &m_workspace;
    QPointer<QWidget> m_mainWindow;
};

} // namespace Observers
} // namespace Ui
