#include "Core/BatchRun/batchcommand.h"
#include "Core/BatchRun/documentio.h"
#include "Core/Operations/opendocumentoperation.h"
#include "Core/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Persistence/documentarchive.h"
#include "Model/document.h"
#include "catalogtesthome.h"

#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePainter;

namespace {
std::shared_ptr<TotalVolume> firstVolume(Core::Workspace &workspace)
{
    return std::dynamic_pointer_cast<TotalVolume>(workspace.document().allObjects().value(0));
}
} // namespace

// The command-line runner shows nothing, so reading a document there must not build the display
// surface (for a large checkerboard that took gigabytes); a window still gets it at once.
class tst_HeadlessSurfaces : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;
    QString m_document;

private slots:
    void initTestCase()
    {
        // A 4 x 4 x 4 block of silicon: 96 faces on its outside.
        Model::Document document;
        document.addObject(std::make_shared<TotalVolume>(4, 4, 4, 1.0f, 1.0f, 1.0f, Util::Vector3D(), 1u));
        m_document = m_dir.filePath(QStringLiteral("block.cfw"));
        QString error;
        QVERIFY2(Model::Persistence::saveDocumentFile(m_document, document,
                                                      Model::Persistence::ArchiverRegistry::standard(), &error),
                 qPrintable(error));
    }

    void readingForTheCommandLineBuildsNoSurface()
    {
        const uint64_t before = TotalVolumePainter::generationCount();
        Core::Workspace workspace;
        QString error;
        QStringList notes;
        QVERIFY2(Core::BatchRun::DocumentIo::read(m_document, workspace, &error, &notes), qPrintable(error));
        auto volume = firstVolume(workspace);
        QVERIFY(volume);
        QCOMPARE(volume->painter().opaqueFaceCount(), size_t(0));
        QCOMPARE(TotalVolumePainter::generationCount(), before);
    }

    void batchCommandReadsAndWritesWithoutSurfaces()
    {
        const QString list = m_dir.filePath(QStringLiteral("empty.plst"));
        {
            QFile file(list);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("<?xml version=\"1.0\"?>\n<Process-List version=\"1\"></Process-List>\n");
        }
        const QString output = m_dir.filePath(QStringLiteral("copy.cfw"));
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        Core::BatchRun::BatchCommand command(outStream, errStream, false);
        const uint64_t before = TotalVolumePainter::generationCount();
        QCOMPARE(command.execute({list, QStringLiteral("--input"), m_document, QStringLiteral("--output"), output}),
                 int(Core::BatchRun::BatchCommand::Ok));
        QCOMPARE(TotalVolumePainter::generationCount(), before);
        QVERIFY(QFileInfo(output).size() > 0);
    }

    void theWindowOpensWithItsSurfaceReady()
    {
        Core::Workspace workspace;
        const auto result = Core::Operations::OpenDocumentOperation::loadFile(workspace, m_document, {});
        QVERIFY(result.ok);
        auto volume = firstVolume(workspace);
        QVERIFY(volume);
        QCOMPARE(volume->painter().opaqueFaceCount(), size_t(96));
    }
};

QTEST_GUILESS_MAIN(tst_HeadlessSurfaces)
#include "tst_headlesssurfaces.moc"
