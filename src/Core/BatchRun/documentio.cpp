#include "Core/BatchRun/documentio.h"

#include "Core/workspace.h"
#include "Model/Persistence/archiverregistry.h"
#include "Model/Persistence/documentarchive.h"
#include "Model/Persistence/materialreconciler.h"
#include "Model/Persistence/materialtranslationtable.h"
#include "Util/safefile.h"

#include <QStringList>

namespace Core {
namespace BatchRun {
namespace DocumentIo {

bool canWrite(const QString &fileName, QString *error)
{
    const QString refusal = Util::SafeFile::unwritable(fileName);
    if (refusal.isEmpty())
        return true;
    if (error)
        *error = Model::Persistence::documentSaveError(fileName, refusal);
    return false;
}

bool read(const QString &fileName, Core::Workspace &workspace, QString *error, QStringList *notes)
{
    using namespace Model::Persistence;
    MaterialTranslationTable table;
    // Nobody to ask on the command line: a conflict adds the document's material as a new one.
    MaterialReconciler reconciler(
        table, [notes](const Model::Materials::Material &existing, const Model::Materials::Material &loaded) {
            if (notes)
                *notes << QStringLiteral("Material \"%1\" (identifier %2) of the document conflicts with the existing "
                                         "material \"%3\"; it was added as a new material.")
                              .arg(loaded.name())
                              .arg(loaded.id())
                              .arg(existing.name());
            return std::optional<ConflictDecision>(ConflictDecision{ConflictChoice::AddLoadedAsNew, 0});
        });
    const DocumentReadResult result =
        loadDocumentFile(fileName, workspace.document(), ArchiverRegistry::standard(), reconciler);
    if (!result.openError.isEmpty()) {
        if (error)
            *error = result.openError;
        return false;
    }
    if (!result.ok || !result.problems.isEmpty()) {
        if (error)
            *error = QStringLiteral("\"%1\" is not a readable Cellforge document%2")
                         .arg(fileName, result.problems.isEmpty()
                                            ? QStringLiteral(".")
                                            : QStringLiteral(": ") + result.problems.join(QLatin1Char(' ')));
        return false;
    }
    if (notes)
        *notes << result.warnings;
    return true;
}

bool write(const QString &fileName, Core::Workspace &workspace, QString *error)
{
    return Model::Persistence::saveDocumentFile(fileName, workspace.document(),
                                                Model::Persistence::ArchiverRegistry::standard(), error);
}

} // namespace DocumentIo
} // namespace BatchRun
} // namespace Core
