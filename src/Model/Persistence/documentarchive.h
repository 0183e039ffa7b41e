#pragma once

#include "Model/Materials/material.h"
#include "archiverregistry.h"

#include <QList>
#include <QStringList>

class QIODevice;
class QXmlStreamReader;
class QXmlStreamWriter;

namespace Model {
class Document;
namespace Persistence {

class MaterialReconciler;

/// Writes a whole document: the declaration, "Document", "Header", every material of the
/// list and one "Object" per object that has an archiver. No formatting whitespace.
void writeDocument(QXmlStreamWriter &writer, const QList<Materials::Material> &materials,
                   const QList<ObjectPtr> &objects, const ArchiverRegistry &registry);
/// The same, with the catalogue's materials and the document's objects.
void writeDocument(QXmlStreamWriter &writer, const Document &document, const ArchiverRegistry &registry);

/// What reading a document came to.
struct DocumentReadResult {
    /// False when the frame was wrong ("Document" root, "Header" first); nothing was added then.
    bool ok = false;
    /// The value of the header's first attribute; not used further.
    uint32_t version = 0;
    int objectsAdded = 0;
    /// Lines for the console of the window being loaded.
    QStringList warnings;
    /// What could not be loaded (refused volumes, damaged XML), in words for the user.
    QStringList problems;
    /// Set when the file itself could not be opened: why, in words for the user.
    QString openError;
};

/// Reads documents into a scene, reconciling their materials with the catalogue on the way.
class DocumentReader {
public:
    DocumentReader(const ArchiverRegistry &registry, MaterialReconciler &reconciler);

    /// Appends every object read to `document`. The translation table is emptied first, so that
    /// translations of an earlier document never reach this one.
    DocumentReadResult read(QXmlStreamReader &reader, Document &document);

private:
    ArchiverRegistry m_registry;
    MaterialReconciler &m_reconciler;
};

/// The message for a document that could not be saved to `fileName` for `reason`.
QString documentSaveError(const QString &fileName, const QString &reason);

/// Writes the document to a file through QSaveFile: after a failure the previous file is intact.
/// False with a message for the user when the file could not be written.
bool saveDocumentFile(const QString &fileName, const Document &document, const ArchiverRegistry &registry,
                      QString *error = nullptr);
/// Opens the file and reads it as above; `openError` says why a file could not be opened.
DocumentReadResult loadDocumentFile(const QString &fileName, Document &document, const ArchiverRegistry &registry,
                                    MaterialReconciler &reconciler);

} // namespace Persistence
} // namespace Model
