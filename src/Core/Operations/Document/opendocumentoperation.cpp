#include "Core/Operations/Document/opendocumentoperation.h"

#include "Core/workspace.h"
#include "Model/Persistence/materialtranslationtable.h"
#include "Model/Volume/totalvolume.h"

#include <QDir>
#include <QFileInfo>

namespace Core {
namespace Operations {

namespace {

// What every main window shares for the whole run.
struct SharedState {
    QString lastFolder = QDir::homePath();
    QString chosenFileName;
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
    if (const auto &opened = observer())
        opened->notify();
    workspace().operationFinished();
}

QString OpenDocumentOperation::lastFolder() { return shared().lastFolder; }
QString OpenDocumentOperation::chosenFileName() { return shared().chosenFileName; }
Model::Persistence::MaterialTranslationTable &OpenDocumentOperation::translationTable() { return shared().table; }

void OpenDocumentOperation::resolveConflict(const Model::Persistence::ConflictDecision &decision)
{
    m_decision = decision;
}

std::optional<Model::Persistence::ConflictDecision>
OpenDocumentOperation::askAboutConflict(const Model::Materials::Material &existing,
                                        const Model::Materials::Material &loaded)
{
    m_decision.reset();
    if (m_conflictObserver) {
        m_existing = existing;
        m_loaded = loaded;
        m_conflictObserver->notify();
    }
    return m_decision;
}

Model::Persistence::ConflictResolver OpenDocumentOperation::conflictResolver()
{
    const std::weak_ptr<Operation> self = weak_from_this();
    return [self](const Model::Materials::Material &existing,
                  const Model::Materials::Material &loaded) -> std::optional<Model::Persistence::ConflictDecision> {
        const auto operation = std::static_pointer_cast<OpenDocumentOperation>(self.lock());
        if (!operation)
            return std::nullopt;
        return operation->askAboutConflict(existing, loaded);
    };
}

Model::Persistence::DocumentReadResult
OpenDocumentOperation::loadFile(Workspace &target, const QString &fileName,
                                const Model::Persistence::ConflictResolver &resolver,
                                const Model::Persistence::ArchiverRegistry &registry)
{
    rememberFile(fileName);
    Model::Persistence::MaterialReconciler reconciler(shared().table, resolver);
    const QList<Model::ObjectPtr> before = target.document().allObjects();
    Model::Persistence::DocumentReadResult result =
        Model::Persistence::loadDocumentFile(fileName, target.document(), registry, reconciler);
    // A window shows the volumes read at once.
    for (const auto &object : target.document().allObjects()) {
        auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object);
        if (volume && !before.contains(object))
            target.regenerateSurface(volume);
    }
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
