#pragma once

#include "Util/iobserver.h"

class QWidget;

namespace Core {
class Workspace;
}

namespace Ui {
namespace Observers {

/// Runs the export dialog with the data fields of the operation's volume and hands the chosen
/// field and file to the current export operation. A volume without data fields gets a console
/// line saying so instead of an empty dialog.
class ExportDataObserver : public Util::IObserver {
public:
    ExportDataObserver(Core::Workspace &workspace, QWidget *mainWindow);
    void notify() override;

private:
    Core::Workspace &m_workspace;
    QWidget *m_mainWindow;
};

} // namespace Observers
} // namespace Ui
