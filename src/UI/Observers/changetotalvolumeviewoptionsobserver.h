#pragma once

#include "Util/iobserver.h"

#include <functional>

class QWidget;

namespace Core {
class Workspace;
}

namespace Ui {
namespace Operations {
class ChangeVolumeVisualizationDialog;
}

namespace Observers {

/// Runs the visualisation dialog for the current "Change Visualization" operation and hands the
/// accepted values to it: changed material colours go to the catalogue, the settings to the
/// operation, the colour scale to the view's legend.
class ChangeTotalVolumeViewOptionsObserver : public Util::IObserver {
public:
    ChangeTotalVolumeViewOptionsObserver(Core::Workspace &workspace, QWidget *mainWindow);
    void notify() override;

    /// Shows the dialog; true when accepted. Tests replace it to fill the dialog themselves.
    std::function<bool(Operations::ChangeVolumeVisualizationDialog &)> runDialog;

private:
    Core::Workspace &m_workspace;
    QWidget *m_mainWindow;
};

} // namespace Observers
} // namespace Ui
