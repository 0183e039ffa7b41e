#pragma once

#include "Model/Materials/material.h"
#include "Model/Persistence/archiverregistry.h"
#include "Model/Persistence/documentarchive.h"
#include "Model/Persistence/materialreconciler.h"
#include "Util/iobserver.h"
#include "documentdialogs.h"
#include "operation.h"

namespace Model {
namespace Persistence {
class MaterialTranslationTable;
}
} // namespace Model

namespace Core {
namespace Operations {

/// Lets the user choose a document file and has it opened in a new main window (by the
/// document-opened observer). Its class-wide state is shared by every main window for the
/// whole run: the last folder, the chosen file, the observers, the conflict being decided and
/// the identifier translation table.
class OpenDocumentOperation : public Operation {
public:
    explicit OpenDocumentOperation(Workspace &workspace, const DocumentDialogsPtr &dialogs = nullptr);

    void start() override;
    void cancel() override;
    void execute() override;

    static QString lastFolder();
    static QString chosenFileName();
    static void setDocumentOpenedObserver(const Util::ObserverPtr &observer);
    static void setMaterialConflictObserver(const Util::ObserverPtr &observer);

    /// The two materials of the conflict being decided.
    static Model::Materials::Material existingMaterial();
    static Model::Materials::Material loadedMaterial();
    /// Called by the material-conflict observer with the user's choice.
    static void resolveConflict(const Model::Persistence::ConflictDecision &decision);
    /// Hands each conflict to the material-conflict observer; unresolved ones add the loaded material.
    static Model::Persistence::ConflictResolver observerResolver();
    static Model::Persistence::MaterialTranslationTable &translationTable();

    /// Loads a file into the scene of `target`, with the volumes' surfaces built for the window:
    /// console warnings go to its console; on success the scene takes the file name and its
    /// observers are told. The caller shows the problems.
    static Model::Persistence::DocumentReadResult
    loadFile(Workspace &target, const QString &fileName, const Model::Persistence::ConflictResolver &resolver,
             const Model::Persistence::ArchiverRegistry &registry =
                 Model::Persistence::ArchiverRegistry::standard(Model::Persistence::SurfaceBuilding::Build));

private:
    DocumentDialogsPtr m_dialogs;
};

} // namespace Operations
} // namespace Core
