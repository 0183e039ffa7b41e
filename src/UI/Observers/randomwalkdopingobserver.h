#pragma once

#include "Util/iobserver.h"

class QWidget;

namespace Core {
class Workspace;
}

namespace Ui {
namespace Observers {

/// Runs the random-walk doping dialog and hands its values, converted to SI units, and its seed
/// to the current random-walk doping operation.
class RandomWalkDopingObserver : public Util::IObserver {
public:
    RandomWalkDopingObserver(Core::Workspace &workspace, QWidget *mainWindow);
    void notify() override;

private:
    Core::Workspace &m_workspace;
    QWidget *m_mainWindow;
};

} // namespace Observers
} // namespace Ui
