#pragma once

#include "Util/iobserver.h"

class QWidget;

namespace Core {
class Workspace;
}

namespace Ui {

/// Runs the options dialog of the window's current process step (any process with a dialog) over
/// the window, fitted to the chosen volume, and hands its values to the step; a mask preview
/// reaches the volume at once.
class ProcessDialogObserver : public Util::IObserver {
public:
    ProcessDialogObserver(Core::Workspace &workspace, QWidget *mainWindow);
    void notify() override;

private:
    Core::Workspace &m_workspace;
    QWidget *m_mainWindow;
};

} // namespace Ui
