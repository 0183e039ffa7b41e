#pragma once

#include "Util/iobserver.h"

#include <cstdint>

class QWidget;

namespace Core {
class Workspace;
}

namespace Ui {
namespace Observers {

/// Runs the anisotropic deposition dialog for the current operation.
class AnisotropicDepositionObserver : public Util::IObserver {
public:
    AnisotropicDepositionObserver(Core::Workspace &workspace, QWidget *mainWindow);
    void notify() override;

private:
    Core::Workspace &m_workspace;
    QWidget *m_mainWindow;
};

} // namespace Observers
} // namespace Ui
