#include "Core/Operations/Document/savedocumentoperation.h"

#include "Core/workspace.h"
#include "Model/Persistence/documentarchive.h"

#include <QDir>

namespace Core {
namespace Operations {

SaveDocumentOperation::SaveDocumentOperation(Workspace &workspace, const DocumentDialogsPtr &dialogs,
                                             const Model::Persistence::ArchiverRegistry &registry)
    : SaveDocumentOperation(workspace, QStringLiteral("Save document"), 9, dialogs, registry)
{
}

SaveDocumentOperation::SaveDocumentOperation(Workspace &workspace, const QString &name, uint32_t typeCode,
                                             const DocumentDialogsPtr &dialogs,
                                             const Model::Persistence::ArchiverRegistry &registry)
    : Operation(workspace, name, typeCode)
    , m_dialogs(dialogs)
    , m_registry(registry)
{
}

QString SaveDocumentOperation::askFileName() const
{
    if (!m_dialogs)
        return QString();
    return m_dialogs->saveFileName(QStringLiteral("Choose location"), QDir::homePath(), documentFileFilter());
}

void SaveDocumentOperation::start()
{
    m_fileName = workspace().document().fileName();
    if (m_fileName.isEmpty())
        m_fileName = askFileName();
    execute();
}

void SaveDocumentOperation::cancel() { workspace().operationCanceled(); }

void SaveDocumentOperation::execute()
{
    if (m_fileName.isEmpty()) {
        cancel();
        return;
    }
    writeFile();
    workspace().operationFinished();
}

void SaveDocumentOperation::writeFile()
{
    QString error;
    if (Model::Persistence::saveDocumentFile(m_fileName, workspace().document(), m_registry, &error)) {
        workspace().document().setFileName(m_fileName);
    } else if (m_dialogs) {
        m_dialogs->showWarning(QStringLiteral("Error writing to file"), error);
    } else {
        workspace().console().writeMessage(error);
    }
    if (const auto &saved = observer())
        saved->notify();
}

SaveDocumentAsOperation::SaveDocumentAsOperation(Workspace &workspace, const DocumentDialogsPtr &dialogs,
                                                 const Model::Persistence::ArchiverRegistry &registry)
    : SaveDocumentOperation(workspace, QStringLiteral("Save Document As"), 10, dialogs, registry)
{
}

void SaveDocumentAsOperation::start()
{
    m_fileName = askFileName();
    execute();
}

void SaveDocumentAsOperation::execute()
{
    // A cancelled dialog ends the operation normally, with nothing written.
    if (!m_fileName.isEmpty())
        writeFile();
    workspace().operationFinished();
}

} // namespace Operations
} // namespace Core
