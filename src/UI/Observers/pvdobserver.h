#pragma once

#include "Util/iobserver.h"

#include <cstdint>

class QWidget;

namespace Core {
class Workspace;
}

namespace Ui {
namespace Observers {

/// Runs the PVD dialog for the current operation.
class PVDObserver : public Util::IObserver {
public:
    PVDObserver(Core::Workspace &workspace, QWidget *mainWindow);
    void notify() override;

private:
    Core::Workspace &m_workspace;
    QWidget *m_mainWindow;
};

} // namespace Observers
} // namespace Ui
