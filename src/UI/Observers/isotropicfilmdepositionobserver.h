#pragma once

#include "Util/iobserver.h"

#include <cstdint>

class QWidget;

namespace Core {
class Workspace;
}

namespace Ui {
namespace Observers {

/// Runs the isotropic deposition dialog for the current operation; the process it was made with
/// (18 "Isotropic Deposition", or 3 for "CVD") decides which materials the dialog offers.
class IsotropicFilmDepositionObserver : public Util::IObserver {
public:
    IsotropicFilmDepositionObserver(Core::Workspace &workspace, QWidget *mainWindow, uint32_t processId = 18);
    void notify() override;

private:
    Core::Workspace &m_workspace;
    QWidget *m_mainWindow;
    uint32_t m_processId;
};

} // namespace Observers
} // namespace Ui
