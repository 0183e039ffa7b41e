#pragma once

#include "Util/iobserver.h"

#include <cstdint>

class QWidget;

namespace Core {
class Workspace;
}

namespace Ui {
namespace Observers {

/// Runs the electroplating dialog for the current operation.
class ElectrodepositionObserver : public Util::IObserver {
public:
    ElectrodepositionObserver(Core::Workspace &workspace, QWidget *mainWindow);
    void notify() override;

private:
    Core::Workspace &m_workspace;
    QWidget *m_mainWindow;
};

} // namespace Observers
} // namespace Ui
