#pragma once

#include "Core/Operations/Document/idocumentdialogs.h"

#include <QString>

namespace Core {
class Workspace;
}

namespace Ui {

/// File > "Export Surface...": asks for a file and writes the surfaces of the scene's cell volumes
/// as they are shown (algorithm and cut window of each), in world units. A name without an
/// extension becomes an STL file. Tells the user through `dialogs` what went wrong, and the console
/// what was written; true when a file was written.
bool exportSurfaceFromWindow(Core::Workspace &workspace, Core::Operations::IDocumentDialogs &dialogs);

/// The file dialog's filter.
QString surfaceFileFilter();

} // namespace Ui
