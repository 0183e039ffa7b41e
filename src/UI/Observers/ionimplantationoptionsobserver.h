#pragma once

#include "Util/iobserver.h"

class QWidget;

namespace Core {
class Workspace;
}

namespace Ui {
namespace Observers {

/// Runs the ion implantation dialog for the current operation.
class IonImplantationOptionsObserver : public Util::IObserver {
public:
    IonImplantationOptionsObserver(Core::Workspace &workspace, QWidget *mainWindow);
    void notify() override;

private:
    Core::Workspace &m_workspace;
    QWidget *m_mainWindow;
};

} // namespace Observers
} // namespace Ui
