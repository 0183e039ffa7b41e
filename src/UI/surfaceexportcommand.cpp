#include "UI/surfaceexportcommand.h"

#include "Core/Formats/surfaceexport.h"
#include "Core/workspace.h"
#include "Model/Surfaces/shownsurfaces.h"

#include <QDir>
#include <QFileInfo>

namespace Ui {

QString surfaceFileFilter() { return QStringLiteral("STL mesh (*.stl);;PLY mesh with colours (*.ply)"); }

bool exportSurfaceFromWindow(Core::Workspace &workspace, Core::Operations::IDocumentDialogs &dialogs)
{
    const QString title = QStringLiteral("Export Surface");
    QList<Model::Automaton::TotalVolumePtr> volumes;
    for (const auto &object : workspace.document().allObjects()) {
        if (auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object))
            volumes << volume;
    }
    if (volumes.isEmpty()) {
        dialogs.showInformation(title, QStringLiteral("There is no cell volume whose surface could be exported."));
        return false;
    }
    QString fileName = dialogs.saveFileName(title, QDir::homePath(), surfaceFileFilter());
    if (fileName.isEmpty())
        return false;
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QStringLiteral(".stl");
    QString error;
    size_t triangles = 0;
    // A workspace that shows nothing has only empty surfaces to give.
    Model::Surfaces::ShownSurfaces none;
    Model::Surfaces::ShownSurfaces *shown = workspace.shownSurfaces() ? workspace.shownSurfaces() : &none;
    if (!Core::SurfaceExport::writeShown(*shown, volumes, fileName, &error, &triangles)) {
        dialogs.showWarning(title, error);
        return false;
    }
    workspace.console().writeMessage(
        QStringLiteral("%1: %2 triangles written to \"%3\".").arg(title).arg(triangles).arg(fileName));
    return true;
}

} // namespace Ui
