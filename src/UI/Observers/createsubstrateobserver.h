#pragma once

#include "Util/iobserver.h"

#include <QPointer>

class QWidget;

namespace Core {
class Workspace;
}

namespace Ui {
namespace Observers {

/// Runs the Create Substrate dialog for the workspace's current operation and hands the substrate
/// its values describe to it. The operation chooses no volume, so the process steps' generic
/// observer does not serve it.
class CreateSubstrateObserver : public Util::IObserver {
public:
    CreateSubstrateObserver(Core::Workspace &workspace, QWidget *mainWindow);
    void notify() override;

private:
    Core::Workspace &m_workspace;
    QPointer<QWidget> m_mainWindow;
};

} // namespace Observers
} // namespace Ui
