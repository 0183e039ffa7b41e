#include "documentarchive.h"

#include "Model/Materials/materialfactory.h"
#include "Model/document.h"
#include "Util/failuretext.h"
#include "Util/safefile.h"
#include "materialreconciler.h"
#include "materialtranslationtable.h"

#include <QFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <exception>

namespace Model {
namespace Persistence {

void writeDocument(QXmlStreamWriter &writer, const QList<Materials::Material> &materials,
                   const QList<ObjectPtr> &objects, const ArchiverRegistry &registry)
{
    writer.setAutoFormatting(false);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("Document"));
    writer.writeEmptyElement(QStringLiteral("Header"));
    writer.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
    for (const Materials::Material &material : materials)
        Materials::writeMaterialElement(writer, material);
    for (const ObjectPtr &object : objects) {
        const ObjectArchiverPtr archiver = object ? registry.archiver(object->type()) : nullptr;
        if (!archiver)
            continue;
        archiver->setWriter(&writer);
        archiver->write(object);
    }
    writer.writeEndElement();
    writer.writeEndDocument();
}

void writeDocument(QXmlStreamWriter &writer, const Document &document, const ArchiverRegistry &registry)
{
    writeDocument(writer, Materials::MaterialFactory::instance()->getMaterials(), document.allObjects(), registry);
}

DocumentReader::DocumentReader(const ArchiverRegistry &registry, MaterialReconciler &reconciler)
    : m_registry(registry)
    , m_reconciler(reconciler)
{
}

namespace {

bool readToStartElement(QXmlStreamReader &reader)
{
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement())
            return true;
    }
    return false;
}

} // namespace

DocumentReadResult DocumentReader::read(QXmlStreamReader &reader, Document &document)
{
    DocumentReadResult result;
    if (!readToStartElement(reader) || reader.name() != QLatin1String("Document"))
        return result;
    if (!readToStartElement(reader) || reader.name() != QLatin1String("Header"))
        return result;
    const QXmlStreamAttributes header = reader.attributes();
    if (!header.isEmpty())
        result.version = header.first().value().toUInt();
    result.ok = true;

    m_reconciler.table().clear();
    m_registry.beginDocument();
    while (readToStartElement(reader)) {
        if (reader.name() == QLatin1String("Object")) {
            const uint32_t type = reader.attributes().value(QLatin1String("object-type")).toUInt();
            const ObjectArchiverPtr archiver = m_registry.archiver(type);
            if (!archiver)
                continue;
            archiver->setReader(&reader);
            archiver->setMaterialMap(&m_reconciler.table());
            if (ObjectPtr object = archiver->read()) {
                document.addObject(object);
                ++result.objectsAdded;
            } else if (!archiver->errorString().isEmpty()) {
                result.problems << archiver->errorString();
            }
        } else if (reader.name() == QLatin1String("Material")) {
            const Materials::Material loaded = Materials::materialFromAttributes(reader.attributes());
            const MaterialReconciler::Outcome outcome = m_reconciler.reconcile(loaded);
            if (outcome == MaterialReconciler::Outcome::Invalid)
                result.warnings << MaterialReconciler::invalidMaterialWarning();
            else if (outcome == MaterialReconciler::Outcome::Refused)
                result.problems << MaterialReconciler::refusedMaterialMessage(loaded);
        }
    }
    if (reader.hasError()) {
        result.problems << QStringLiteral("The document is damaged at line %1, column %2 (%3). "
                                          "Only the part before that point was loaded.")
                               .arg(reader.lineNumber())
                               .arg(reader.columnNumber())
                               .arg(reader.errorString());
    }
    return result;
}

QString documentSaveError(const QString &fileName, const QString &reason)
{
    return QStringLiteral("The document could not be saved to \"%1\": %2\nAny earlier file of that name is unchanged.")
        .arg(fileName, reason);
}

bool saveDocumentFile(const QString &fileName, const Document &document, const ArchiverRegistry &registry,
                      QString *error)
{
    auto fail = [&](const QString &reason) {
        if (error)
            *error = documentSaveError(fileName, reason);
        return false;
    };
    Util::SafeFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return fail(file.errorString());
    QXmlStreamWriter writer(file.device());
    try {
        writeDocument(writer, document, registry);
    } catch (const std::exception &e) {
        file.cancel();
        return fail(Util::failureText(e, QStringLiteral("write the document")));
    }
    // The stream stops writing at its first failed write: what it wrote is not a whole document.
    if (writer.hasError())
        return fail(file.cancel(QStringLiteral("the document text could not be written.")));
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

DocumentReadResult loadDocumentFile(const QString &fileName, Document &document, const ArchiverRegistry &registry,
                                    MaterialReconciler &reconciler)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        DocumentReadResult result;
        result.openError = QStringLiteral("The file \"%1\" could not be opened: %2").arg(fileName, file.errorString());
        return result;
    }
    QXmlStreamReader reader(&file);
    DocumentReader documentReader(registry, reconciler);
    try {
        return documentReader.read(reader, document);
    } catch (const std::exception &e) {
        // Out of memory inside the XML reader: what was added so far stays, like after damaged XML.
        DocumentReadResult result;
        result.ok = true;
        result.problems << QStringLiteral("Reading \"%1\" stopped: %2")
                               .arg(fileName, Util::failureText(e, QStringLiteral("read the rest of it")));
        return result;
    }
}

} // namespace Persistence
} // namespace Model
