#pragma once

#include "Core/Operations/Document/idocumentdialogs.h"
#include "Core/Operations/operation.h"
#include "Model/Materials/material.h"
#include "Model/Persistence/archiverregistry.h"
#include "Model/Persistence/documentarchive.h"
#include "Model/Persistence/materialreconciler.h"
#include "Util/iobserver.h"

#include <optional>

namespace Model {
namespace Persistence {
class MaterialTranslationTable;
}
} // namespace Model

namespace Core {
namespace Operations {

/// Lets the user choose a document file and has it opened in a new main window by its observer
/// (the document-opened observer of the window it was started in). The last folder, the chosen
/// file and the identifier translation table are shared by every main window for the whole run;
/// the material-conflict observer and the conflict being decided belong to each operation.
class OpenDocumentOperation : public Operation {
public:
    explicit OpenDocumentOperation(Workspace &workspace, const DocumentDialogsPtr &dialogs = nullptr);

    void start() override;
    void cancel() override;
    void execute() override;

    static QString lastFolder();
    static QString chosenFileName();
    static Model::Persistence::MaterialTranslationTable &translationTable();

    /// Puts each material conflict to the user (the dialog over this operation's window).
    void setMaterialConflictObserver(const Util::ObserverPtr &observer) { m_conflictObserver = observer; }
    /// The two materials of the conflict being decided.
    Model::Materials::Material existingMaterial() const { return m_existing; }
    Model::Materials::Material loadedMaterial() const { return m_loaded; }
    /// Called by the material-conflict observer with the user's choice.
    void resolveConflict(const Model::Persistence::ConflictDecision &decision);
    /// Hands each conflict to this operation's material-conflict observer; unresolved ones add
    /// the loaded material. Answers nothing once the operation is gone.
    Model::Persistence::ConflictResolver conflictResolver();

    /// Loads a file into the scene of `target`, with the volumes' surfaces built when it shows
    /// them (a window): console warnings go to its console; on success the scene takes the file
    /// name and its observers are told. The caller shows the problems.
    static Model::Persistence::DocumentReadResult
    loadFile(Workspace &target, const QString &fileName, const Model::Persistence::ConflictResolver &resolver,
             const Model::Persistence::ArchiverRegistry &registry = Model::Persistence::ArchiverRegistry::standard());

private:
    std::optional<Model::Persistence::ConflictDecision> askAboutConflict(const Model::Materials::Material &existing,
                                                                         const Model::Materials::Material &loaded);

    DocumentDialogsPtr m_dialogs;
    Util::ObserverPtr m_conflictObserver;
    Model::Materials::Material m_existing;
    Model::Materials::Material m_loaded;
    std::optional<Model::Persistence::ConflictDecision> m_decision;
};

} // namespace Operations
} // namespace Core
