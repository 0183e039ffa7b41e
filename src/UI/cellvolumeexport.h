#pragma once

#include "Model/Volume/totalvolume.h"

#include <QObject>

class QMainWindow;

namespace Core {
class Workspace;
}

namespace Ui {

/// File > "Export Cell Volume...": writes the selected cell volume, or the document's only one, as
/// VTK image data (.vti) for ParaView.
class CellVolumeExport : public QObject {
    Q_OBJECT
public:
    /// Serves the window's "actionExport_Cell_Volume"; lives as long as the window.
    static CellVolumeExport *install(QMainWindow &window, Core::Workspace &workspace);

    /// The first selected cell volume, else the document's only cell volume; null (with the reason)
    /// when there is none or several and none is selected.
    static Model::Automaton::TotalVolumePtr volumeToExport(Core::Workspace &workspace, QString *reason);

    /// The chooser's filter.
    static QString fileFilter() { return QStringLiteral("VTK Image Data (*.vti)"); }

    /// Asks for a file and writes the volume; problems in a message box.
    void exportVolume();
    /// Writes the volume to `fileName`; a message box when that fails.
    bool exportTo(const QString &fileName);

private:
    CellVolumeExport(QMainWindow &window, Core::Workspace &workspace);

    QMainWindow &m_window;
    Core::Workspace &m_workspace;
};

} // namespace Ui
