#pragma once

#include "Util/iobserver.h"

class QWidget;

namespace Core {
class Workspace;
}

namespace Ui {
namespace Observers {

/// Runs the oxidation dialog for the current operation: the thickness, or the time with its
/// temperature and pressure, and the cells per micrometre; the oxide starts within the volume's height.
class SiOxidationObserver : public Util::IObserver {
public:
    SiOxidationObserver(Core::Workspace &workspace, QWidget *mainWindow);
    void notify() override;

private:
    Core::Workspace &m_workspace;
    QWidget *m_mainWindow;
};

} // namespace Observers
} // namespace Ui
