#pragma once

#include "Util/iobserver.h"

class QWidget;

namespace Core {
class Workspace;
}

namespace Ui {
namespace Observers {

/// Runs the doping dialog for the current operation.
class DopingOptionsObserver : public Util::IObserver {
public:
    DopingOptionsObserver(Core::Workspace &workspace, QWidget *mainWindow);
    void notify() override;

private:
    Core::Workspace &m_workspace;
    QWidget *m_mainWindow;
};

} // namespace Observers
} // namespace Ui
