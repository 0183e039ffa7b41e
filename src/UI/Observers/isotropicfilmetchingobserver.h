#pragma once

#include "Util/iobserver.h"

#include <cstdint>

class QWidget;

namespace Core {
class Workspace;
}

namespace Ui {
namespace Observers {

/// Runs the isotropic etching dialog for the current operation.
class IsotropicFilmEtchingObserver : public Util::IObserver {
public:
    IsotropicFilmEtchingObserver(Core::Workspace &workspace, QWidget *mainWindow);
    void notify() override;

private:
    Core::Workspace &m_workspace;
    QWidget *m_mainWindow;
};

} // namespace Observers
} // namespace Ui
