#pragma once

#include "Core/Operations/Document/idocumentdialogs.h"
#include "Model/Persistence/materialreconciler.h"

#include <QString>

class QWidget;

namespace Core {
class Workspace;
}

namespace Ui {

/// "Cellforge  " followed by the document's file name.
QString documentWindowTitle(const QString &fileName);

/// Loads a document file into a window's scene, tells the user what went wrong and sets the
/// window title. Used by File > Open and for a file named on the command line.
bool loadDocumentIntoWindow(QWidget *window, Core::Workspace &workspace, const QString &fileName,
                            const Model::Persistence::ConflictResolver &resolver,
                            Core::Operations::IDocumentDialogs &dialogs);

} // namespace Ui
