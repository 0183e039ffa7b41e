#include "UI/documentcommands.h"

#include "Core/Operations/Document/opendocumentoperation.h"
#include "Core/workspace.h"

#include <QWidget>

namespace Ui {

QString documentWindowTitle(const QString &fileName) { return QStringLiteral("Cellforge  ") + fileName; }

bool loadDocumentIntoWindow(QWidget *window, Core::Workspace &workspace, const QString &fileName,
                            const Model::Persistence::ConflictResolver &resolver,
                            Core::Operations::IDocumentDialogs &dialogs)
{
    const QString title = QStringLiteral("Error reading from file");
    const auto result = Core::Operations::OpenDocumentOperation::loadFile(workspace, fileName, resolver);
    if (!result.openError.isEmpty()) {
        dialogs.showWarning(title, result.openError);
    } else if (!result.ok) {
        dialogs.showInformation(title, QStringLiteral("\"%1\" is not a Cellforge document: it does not start with "
                                                      "a \"Document\" element and its \"Header\". Nothing was "
                                                      "loaded and the file was left unchanged.")
                                           .arg(fileName));
    } else if (!result.problems.isEmpty()) {
        dialogs.showWarning(QStringLiteral("Document partly loaded"), result.problems.join(QStringLiteral("\n\n")));
    }
    if (window)
        window->setWindowTitle(documentWindowTitle(workspace.document().fileName()));
    return result.ok;
}

} // namespace Ui
