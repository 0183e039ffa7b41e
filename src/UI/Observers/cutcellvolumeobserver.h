#pragma once

#include "Util/iobserver.h"

#include <QPointer>

class QWidget;

namespace Core {
class Workspace;
}

namespace Ui {
namespace Observers {

/// Runs the Cut Cell Volume dialog: previews reach the painter while it is open, and the accepted limits are applied
/// with a redraw.
class CutCellVolumeObserver : public Util::IObserver {
public:
    CutCellVolumeObserver(Core::Workspace &workspace, QWidget *mainWindow);
    void notify() override;

private:
    Core::Workspace &m_workspace;
    QPointer<QWidget> m_mainWindow;
};

} // namespace Observers
} // namespace Ui
