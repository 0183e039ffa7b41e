// Loads a document and a process list that carry many materials (100,000 unless a count is given)
// and prints how long the reconciliation with the catalogue takes: once into a catalogue that
// knows none of them (every material is added) and once into one that knows them all.
// Then times the search for a new identifier when one or none is left.
#include "Core/BatchRun/processlistfile.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Persistence/archiverregistry.h"
#include "Model/Persistence/documentarchive.h"
#include "Model/Persistence/materialreconciler.h"
#include "Model/Persistence/materialtranslationtable.h"
#include "Model/document.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamWriter>

#include <cstdio>
#include <cstdlib>

namespace {

using Model::Materials::Material;
using Model::Materials::MaterialFactory;

// Identifiers above the user range, so that none clashes with the built-in table.
QList<Material> manyMaterials(int count)
{
    QList<Material> materials;
    materials.reserve(count);
    for (int i = 0; i < count; ++i)
        materials << Material(40000u + uint32_t(i), QStringLiteral("Material %1").arg(i), 1.0f, 2.0f, 0.3f);
    return materials;
}

bool writeFile(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

QByteArray documentText(const QList<Material> &materials)
{
    QByteArray text;
    QXmlStreamWriter writer(&text);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("Document"));
    writer.writeEmptyElement(QStringLiteral("Header"));
    writer.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
    for (const Material &material : materials)
        Model::Materials::writeMaterialElement(writer, material);
    writer.writeEndElement();
    writer.writeEndDocument();
    return text;
}

QByteArray listText(const QList<Material> &materials)
{
    QByteArray text;
    QXmlStreamWriter writer(&text);
    writer.writeStartDocument();
    writer.writeStartElement(QStringLiteral("Process-List"));
    writer.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
    writer.writeStartElement(QStringLiteral("Materials"));
    for (const Material &material : materials)
        Model::Materials::writeMaterialElement(writer, material);
    writer.writeEndElement();
    writer.writeEndElement();
    writer.writeEndDocument();
    return text;
}

qint64 loadDocument(const QString &path, int expected)
{
    Model::Document document;
    Model::Persistence::MaterialTranslationTable table;
    Model::Persistence::MaterialReconciler reconciler(table);
    QElapsedTimer timer;
    timer.start();
    const auto result = Model::Persistence::loadDocumentFile(
        path, document, Model::Persistence::ArchiverRegistry::standard(), reconciler);
    const qint64 ms = timer.elapsed();
    if (!result.ok || table.size() != expected) {
        std::fprintf(stderr, "the document's materials were not all reconciled\n");
        std::exit(1);
    }
    return ms;
}

qint64 loadList(const QString &path, int expected)
{
    Core::BatchRun::ProcessListFile file;
    QElapsedTimer timer;
    timer.start();
    const bool ok = file.load(path);
    const qint64 ms = timer.elapsed();
    if (!ok || file.translation().size() != expected) {
        std::fprintf(stderr, "the list's materials were not all reconciled\n");
        std::exit(1);
    }
    return ms;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    auto catalogue = MaterialFactory::instance();

    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    const QList<Material> materials = manyMaterials(count);
    const QString documentPath = home.filePath(QStringLiteral("materials.cfw"));
    const QString listPath = home.filePath(QStringLiteral("materials.plst"));
    if (!writeFile(documentPath, documentText(materials)) || !writeFile(listPath, listText(materials))) {
        std::fprintf(stderr, "cannot write the input files\n");
        return 1;
    }
    std::printf("%d materials\n", count);

    catalogue->createDefaultMaterials();
    std::printf("document, all materials new:   %6lld ms\n", static_cast<long long>(loadDocument(documentPath, count)));
    std::printf("document, all materials known: %6lld ms\n", static_cast<long long>(loadDocument(documentPath, count)));
    catalogue->createDefaultMaterials();
    std::printf("list, all materials new:       %6lld ms\n", static_cast<long long>(loadList(listPath, count)));
    std::printf("list, all materials known:     %6lld ms\n", static_cast<long long>(loadList(listPath, count)));

    // Every identifier a new material may get is taken but one, then that one too.
    catalogue->createDefaultMaterials();
    const uint32_t lastFree = 31000;
    for (uint32_t id = MaterialFactory::firstGeneratedId; id <= MaterialFactory::lastGeneratedId; ++id) {
        if (id != lastFree)
            catalogue->setMaterial(Material(id, QStringLiteral("Taken"), 1.0f, 1.0f, 0.3f));
    }
    QElapsedTimer timer;
    timer.start();
    const std::optional<uint32_t> found = catalogue->generateMaterialId();
    const qint64 oneFreeUs = timer.nsecsElapsed() / 1000;
    catalogue->setMaterial(Material(lastFree, QStringLiteral("Taken"), 1.0f, 1.0f, 0.3f));
    timer.restart();
    const std::optional<uint32_t> none = catalogue->generateMaterialId();
    const qint64 noneUs = timer.nsecsElapsed() / 1000;
    if (found != lastFree || none) {
        std::fprintf(stderr, "the search for a free identifier went wrong\n");
        return 1;
    }
    std::printf("new identifier, one left:      %6lld us\n", static_cast<long long>(oneFreeUs));
    std::printf("new identifier, none left:     %6lld us\n", static_cast<long long>(noneUs));
    return 0;
}
