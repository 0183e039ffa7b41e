#pragma once

#include "Core/Operations/Document/idocumentdialogs.h"
#include "Core/Operations/operation.h"
#include "Model/Persistence/archiverregistry.h"
#include "Util/iobserver.h"

namespace Core {
namespace Operations {

/// Writes the scene to its document file, asking for a name only when it has none yet.
/// Its observer is told after each write attempt (the main window's title follows the document's name).
class SaveDocumentOperation : public Operation {
public:
    explicit SaveDocumentOperation(
        Workspace &workspace, const DocumentDialogsPtr &dialogs = nullptr,
        const Model::Persistence::ArchiverRegistry &registry = Model::Persistence::ArchiverRegistry::standard());

    void start() override;
    void cancel() override;
    void execute() override;

    QString fileName() const { return m_fileName; }

protected:
    SaveDocumentOperation(Workspace &workspace, const QString &name, uint32_t typeCode,
                          const DocumentDialogsPtr &dialogs, const Model::Persistence::ArchiverRegistry &registry);
    /// Asks for a file name; empty when cancelled or when nobody can be asked.
    QString askFileName() const;
    /// Writes the file and tells the saved observer; a failure is shown to the user.
    void writeFile();

    QString m_fileName;

private:
    DocumentDialogsPtr m_dialogs;
    Model::Persistence::ArchiverRegistry m_registry;
};

/// Writes the scene to a file the user chooses every time.
class SaveDocumentAsOperation : public SaveDocumentOperation {
public:
    explicit SaveDocumentAsOperation(
        Workspace &workspace, const DocumentDialogsPtr &dialogs = nullptr,
        const Model::Persistence::ArchiverRegistry &registry = Model::Persistence::ArchiverRegistry::standard());

    void start() override;
    void execute() override;
};

} // namespace Operations
} // namespace Core
