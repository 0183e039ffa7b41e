#include "opendocumentoperation.h"

#include "Core/workspace.h"
#include "Model/Persistence/materialtranslationtable.h"

#include <QDir>
#include <QFileInfo>

namespace Core {
namespace Operations {

namespace {

struct SharedState {
    QString lastFolder = QDir::homePath();
    QString chosenFileName;
    Util::ObserverPtr documentOpenedObserver;
    Util::ObserverPtr materialConflictObserver;
    Model::Materials::Material existingMaterial;
    Model::Materials::Material loadedMaterial;
    bool resolved = false;
    Model::Persistence::ConflictDecision decision;
    Model::Persistence::MaterialTranslationTable table;
};

SharedState &shared()
{
    static SharedState state;
    return state;
}

void rememberFile(const QString &fileName)
{
    shared().chosenFileName = fileName;
    shared().lastFolder = QFileInfo(fileName).absolutePath();
}

} // namespace

OpenDocumentOperation::OpenDocumentOperation(Workspace &workspace, const DocumentDialogsPtr &dialogs)
    : Operation(workspace, QStringLiteral("Open document"), 11)
    , m_dialogs(dialogs)
{
}

void OpenDocumentOperation::start()
{
    const QString fileName =
        m_dialogs ? m_dialogs->openFileName(QStringLiteral("Choose file"), shared().lastFolder, documentFileFilter())
                  : QString();
    if (fileName.isEmpty()) {
        cancel();
        return;
    }
    rememberFile(fileName);
    execute();
}

void OpenDocumentOperation::cancel() { workspace().operationCanceled(); }

void OpenDocumentOperation::execute()
{
    if (shared().documentOpenedObserver)
        shared().documentOpenedObserver->notify();
    workspace().operationFinished();
}

QString OpenDocumentOperation::lastFolder() { return shared().lastFolder; }
QString OpenDocumentOperation::chosenFileName() { return shared().chosenFileName; }

void OpenDocumentOperation::setDocumentOpenedObserver(const Util::ObserverPtr &observer)
{
    shared().documentOpenedObserver = observer;
}

void OpenDocumentOperation::setMaterialConflictObserver(const Util::ObserverPtr &observer)
{
    shared().materialConflictObserver = observer;
}

Model::Materials::Material OpenDocumentOperation::existingMaterial() { return shared().existingMaterial; }
Model::Materials::Material OpenDocumentOperation::loadedMaterial() { return shared().loadedMaterial; }

void OpenDocumentOperation::resolveConflict(const Model::Persistence::ConflictDecision &decision)
{
    shared().decision = decision;
    shared().resolved = true;
}

Model::Persistence::ConflictResolver OpenDocumentOperation::observerResolver()
{
    return [](const Model::Materials::Material &existing,
              const Model::Materials::Material &loaded) -> std::optional<Model::Persistence::ConflictDecision> {
        SharedState &state = shared();
        state.resolved = false;
        if (state.materialConflictObserver) {
            state.existingMaterial = existing;
            state.loadedMaterial = loaded;
            state.materialConflictObserver->notify();
        }
        if (state.resolved)
            return state.decision;
        return std::nullopt;
    };
}

Model::Persistence::MaterialTranslationTable &OpenDocumentOperation::translationTable() { return shared().table; }

Model::Persistence::DocumentReadResult
OpenDocumentOperation::loadFile(Workspace &target, const QString &fileName,
                                const Model::Persistence::ConflictResolver &resolver,
                                const Model::Persistence::ArchiverRegistry &registry)
{
    rememberFile(fileName);
    Model::Persistence::MaterialReconciler reconciler(shared().table, resolver);
    Model::Persistence::DocumentReadResult result =
        Model::Persistence::loadDocumentFile(fileName, target.document(), registry, reconciler);
    for (const QString &warning : result.warnings)
        target.console().writeMessage(warning);
    if (result.ok) {
        target.clearHistory();
        target.document().setFileName(fileName);
        target.notifyUpdate();
    }
    return result;
}

} // namespace Operations
} // namespace Core
