#pragma once

#include "Util/iobserver.h"

#include <cstdint>

class QWidget;

namespace Core {
class Workspace;
}

namespace Ui {
namespace Observers {

/// Runs the anisotropic etching dialog for the current operation.
class AnisotropicEtchingObserver : public Util::IObserver {
public:
    AnisotropicEtchingObserver(Core::Workspace &workspace, QWidget *mainWindow);
    void notify() override;

private:
    Core::Workspace &m_workspace;
    QWidget *m_mainWindow;
};

} // namespace Observers
} // namespace Ui
