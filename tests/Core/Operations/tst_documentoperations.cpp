#include "Core/Operations/Document/opendocumentoperation.h"
#include "Core/Operations/Document/runmodelextraction.h"
#include "Core/Operations/Document/savedocumentoperation.h"
#include "Core/workspace.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Persistence/archiverregistry.h"
#include "Model/Persistence/documentarchive.h"
#include "Model/Volume/totalvolume.h"
#include "batchlists.h"
#include "cantileverscenes.h"
#include "catalogtesthome.h"
#include "consolelog.h"
#include "scripteddocumentdialogs.h"
#include "testoperations.h"
#include "volumetesthelpers.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace Core::Operations;
using Model::Automaton::TotalVolume;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;

namespace {

const QString filter = QStringLiteral("Cellforge file (*.cfw)");

/// A workspace whose factory hands out the document operations (9 to 11) and the model extraction
/// (1000) with scripted dialogs, keeping every console line.
struct Window {
    Core::Workspace ws;
    std::shared_ptr<TestFactory> factory = std::make_shared<TestFactory>();
    std::shared_ptr<ScriptedDocumentDialogs> dialogs = std::make_shared<ScriptedDocumentDialogs>();
    std::shared_ptr<CountingObserver> saved = std::make_shared<CountingObserver>();
    std::shared_ptr<CountingObserver> opened = std::make_shared<CountingObserver>();
    std::shared_ptr<CountingObserver> shown = std::make_shared<CountingObserver>();  // extraction dialog
    std::shared_ptr<CountingObserver> closed = std::make_shared<CountingObserver>(); // and its closing
    std::shared_ptr<ConsoleLog> console = std::make_shared<ConsoleLog>(ws);
    QStringList &lines = console->lines;

    Window()
    {
        ws.setOperationFactory(factory);
        ws.console().addObserver(console);
        factory->makers[9] = [this] {
            return withObserver(std::make_shared<SaveDocumentOperation>(ws, dialogs), saved);
        };
        factory->makers[10] = [this] {
            return withObserver(std::make_shared<SaveDocumentAsOperation>(ws, dialogs), saved);
        };
        factory->makers[11] = [this] {
            return withObserver(std::make_shared<OpenDocumentOperation>(ws, dialogs), opened);
        };
        factory->makers[1000] = [this] {
            auto op = std::make_shared<RunModelExtraction>(ws, dialogs);
            op->setObserver(shown);
            op->setDestroyDialogObserver(closed);
            return op;
        };
    }
    void addVolume(uint32_t state)
    {
        ws.document().addObject(
            std::make_shared<TotalVolume>(2, 2, 1, 1.0f, 1.0f, 1.0f, Util::Vector3D(1, 2, 3), state));
    }
    std::shared_ptr<RunModelExtraction> start()
    {
        ws.startOperation(1000);
        return std::dynamic_pointer_cast<RunModelExtraction>(ws.currentOperation());
    }
    /// Adds the volume, starts the extraction and runs its two steps.
    std::shared_ptr<RunModelExtraction> detect(const Model::Automaton::TotalVolumePtr &volume)
    {
        ws.document().addObject(volume);
        auto op = start();
        op->runPreprocessing();
        op->runFeatureDetection();
        return op;
    }
    int objectsOfType(uint32_t type)
    {
        int n = 0;
        for (const auto &object : ws.document().allObjects())
            n += object->type() == type ? 1 : 0;
        return n;
    }
};

} // namespace

class tst_DocumentOperations : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

private slots:
    void init() { MaterialFactory::instance()->createDefaultMaterials(); }

    // Save asks only while the scene has no name, Save As every time; cancelled dialogs write nothing.
    void saveAndSaveAsAskForANameWhenTheyMust()
    {
        Window window;
        window.addVolume(1);
        const QString path = m_dir.filePath(QStringLiteral("first.cfw"));
        const QString second = m_dir.filePath(QStringLiteral("as2"));
        const QString unwritable = writeFile(m_dir, QString(250, QLatin1Char('u')), "old document");
        window.dialogs->answers << QString() << path;
        window.ws.startOperation(9);
        QCOMPARE(window.saved->count, 0);
        QVERIFY(!QFile::exists(path));
        window.ws.startOperation(9);
        const QString question = QStringLiteral("save|Choose location|%1|%2").arg(QDir::homePath(), filter);
        QCOMPARE(window.dialogs->asked, (QStringList{question, question}));
        QCOMPARE(window.ws.document().fileName(), path);
        QCOMPARE(window.saved->count, 1);
        QVERIFY(readFile(path).contains("<State>1 1 1 1 </State>"));
        window.addVolume(3);
        window.ws.startOperation(9);
        QCOMPARE(window.dialogs->asked.size(), 2);
        QCOMPARE(readFile(path).count("<Object "), 2);

        window.dialogs->answers << second << QString() << unwritable;
        window.ws.startOperation(10);
        QCOMPARE(window.dialogs->asked.size(), 3);
        QCOMPARE(window.ws.document().fileName(), second); // no extension is added
        QCOMPARE(readFile(second).count("<Object "), 2);
        QCOMPARE(window.saved->count, 3);
        window.ws.startOperation(10);
        QCOMPARE(window.saved->count, 3);
        QVERIFY(!window.ws.currentOperation());
        QVERIFY(window.dialogs->shown.isEmpty());
        // A file that cannot be written is reported and the old one stays.
        window.ws.startOperation(10);
        QCOMPARE(readFile(unwritable), QByteArray("old document"));
        QCOMPARE(window.dialogs->shown.size(), 1);
        QVERIFY(window.dialogs->shown.first().startsWith(QStringLiteral("Error writing to file|")));
        QVERIFY(window.dialogs->shown.first().contains(unwritable));
        QCOMPARE(window.ws.document().fileName(), second);
        QCOMPARE(window.saved->count, 4); // the title still follows the (unchanged) name
    }

    void openRemembersTheFolderAndTellsTheObserver()
    {
        Window window;
        const QString folder = m_dir.filePath(QStringLiteral("docs"));
        QDir().mkpath(folder);
        const QString path = folder + QStringLiteral("/scene.cfw");
        window.dialogs->answers << path << QString();
        const QString folderBefore = OpenDocumentOperation::lastFolder();
        window.ws.startOperation(11);
        QCOMPARE(window.dialogs->asked.first(), QStringLiteral("open|Choose file|%1|%2").arg(folderBefore, filter));
        QCOMPARE(window.opened->count, 1);
        QCOMPARE(OpenDocumentOperation::chosenFileName(), path);
        // The next dialog starts in that folder; cancelling it opens nothing.
        window.ws.startOperation(11);
        QCOMPARE(window.dialogs->asked.last(), QStringLiteral("open|Choose file|%1|%2").arg(folder, filter));
        QCOMPARE(window.opened->count, 1);
    }

    void invalidMaterialWarningGoesToTheLoadedWindowsConsole()
    {
        Window window;
        const auto result = OpenDocumentOperation::loadFile(
            window.ws, QStringLiteral(TEST_DATA_DIR "/persistence/invalid_material.cfw"), {});
        QVERIFY(result.ok);
        QCOMPARE(
            window.ws.console().message(),
            QStringLiteral("WARNING: There was an error loading a material. This may alter the loaded cell volume."));
        QCOMPARE(window.ws.document().allObjects().size(), 1);
    }

    void conflictsGoThroughTheObserver_data()
    {
        QTest::addColumn<bool>("withObserver");
        QTest::addColumn<bool>("answers");
        QTest::addColumn<uint>("expected"); // 0: a fresh identifier
        QTest::newRow("observer keeps the existing material") << true << true << 2001u;
        QTest::newRow("observer does not answer") << true << false << 0u;
        QTest::newRow("no observer") << false << false << 0u;
    }

    void conflictsGoThroughTheObserver()
    {
        QFETCH(bool, withObserver);
        QFETCH(bool, answers);
        QFETCH(uint, expected);
        MaterialFactory::instance()->setMaterial(Material(2001, QStringLiteral("Old Nitride"), 1, 1, 1));
        Window window;
        auto open = std::make_shared<OpenDocumentOperation>(window.ws);
        auto observer = std::make_shared<CountingObserver>();
        QString seen;
        observer->onNotify = [&] {
            seen = open->existingMaterial().name() + '/' + open->loadedMaterial().name();
            if (answers)
                open->resolveConflict({Model::Persistence::ConflictChoice::ReplaceLoadedByExisting, 0});
        };
        if (withObserver)
            open->setMaterialConflictObserver(observer);
        const auto result = OpenDocumentOperation::loadFile(
            window.ws, QStringLiteral(TEST_DATA_DIR "/persistence/conflict_2001.cfw"), open->conflictResolver());
        QVERIFY(result.ok);
        QCOMPARE(observer->count, withObserver ? 1 : 0);
        QCOMPARE(seen, withObserver ? QStringLiteral("Old Nitride/Loaded Nitride") : QString());
        const auto volume = std::dynamic_pointer_cast<TotalVolume>(window.ws.document().allObjects().first());
        const uint32_t cell = cellStates(*volume)[1];
        if (expected)
            QCOMPARE(cell, expected);
        else
            QVERIFY(cell >= 2000 && cell != 2001 &&
                    MaterialFactory::instance()->getMaterial(cell).name() == QStringLiteral("Loaded Nitride"));
        QCOMPARE(OpenDocumentOperation::translationTable().translate(2001), cell);
    }

    void conflictResolverOutlivingItsOperationAsksNobody()
    {
        Window window;
        auto open = std::make_shared<OpenDocumentOperation>(window.ws);
        auto observer = std::make_shared<CountingObserver>();
        observer->onNotify = [&] { open->resolveConflict({Model::Persistence::ConflictChoice::AddLoadedAsNew, 0}); };
        open->setMaterialConflictObserver(observer);
        const auto resolver = open->conflictResolver();
        const Material material(2001, QStringLiteral("A"), 1, 1, 1);
        const auto answer = resolver(material, material);
        QVERIFY(answer);
        QCOMPARE(answer->choice, Model::Persistence::ConflictChoice::AddLoadedAsNew);
        open.reset();
        QVERIFY(!resolver(material, material));
        QCOMPARE(observer->count, 1);
    }

    void threeStepsShowBoxesThenBeamsBesideTheVolumeAndWriteTheNetlist()
    {
        Window s;
        auto volume = CantileverScenes::block({CantileverScenes::Beam{4, 20, 4, 2}});
        volume->translate(Util::Vector4D(5, -3, 2, 0));
        s.ws.document().addObject(volume);
        const std::vector<uint32_t> before = cellStates(*volume);
        auto op = s.start();
        QCOMPARE(op->state(), RunModelExtraction::DialogOpen);
        QCOMPARE(s.shown->count, 1);
        QCOMPARE(s.lines, QStringList{"Model Extraction: Cell volume selected."});
        QVERIFY(op->runPreprocessing());
        QVERIFY(op->preprocessingModel() && volume->view().extractionDisplay());
        QCOMPARE(op->preprocessingModel()->position(), Util::Vector3D(5, -3, 2)); // in the volume's place
        QVERIFY(s.lines.last().startsWith(QLatin1String("Model Extraction: Preprocessing found ")));
        QVERIFY(op->runFeatureDetection());
        auto beams = op->structureModel();
        QVERIFY(beams && beams->envelopes().size() == 1);
        // Beside the volume: (nx + 10) cells further along x.
        QCOMPARE(beams->position(), Util::Vector3D(5.0 + (volume->sizeX() + 10.0) * volume->cellSizeX(), -3, 2));
        QCOMPARE(s.objectsOfType(2), 2);
        QCOMPARE(s.lines.last(), QStringLiteral("Model Extraction: Feature detection found 1 cantilever beam."));

        // A folder cannot be written and keeps the beams for a second try; a cancelled dialog writes nothing.
        const QString fileName = m_dir.filePath(QStringLiteral("beam.cir"));
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("folder.cir")));
        s.dialogs->answers << m_dir.filePath(QStringLiteral("folder.cir")) << QString() << fileName;
        op->saveNetlist();
        QCOMPARE(s.dialogs->shown.size(), 1);
        QVERIFY(s.dialogs->shown.first().startsWith(QLatin1String("File Error|Unable to save to selected file!")));
        op->saveNetlist();
        QVERIFY(!QFileInfo::exists(fileName));
        op->saveNetlist();
        const QString question = QStringLiteral("save|Save netlist|%1|Circuit files *.cir").arg(QDir::homePath());
        QCOMPARE(s.dialogs->asked, (QStringList{question, question, question}));
        QCOMPARE(QString::fromUtf8(readFile(fileName)),
                 QStringLiteral("Model extracted by Cellforge\nc1 1 0 2.03789e-12 \n"
                                "l1 1 0 0.00526176 \n.end \n"));
        QCOMPARE(s.dialogs->shown.size(), 1);

        // Closing the dialog: the boxes go, the volume is drawn as before, nothing to undo.
        op->execute();
        QCOMPARE(op->state(), RunModelExtraction::Done);
        QCOMPARE(s.ws.document().allObjects(), QList<Model::ObjectPtr>{volume});
        QVERIFY(!volume->view().extractionDisplay());
        QVERIFY(s.lines.contains(QStringLiteral("Model Extraction: Model extracted.")));
        QVERIFY(!s.ws.currentOperation() && !s.ws.undoRedo().canUndo());
        QVERIFY(cellStates(*volume) == before);
        op->execute(); // closing again does nothing more
        QCOMPARE(s.closed->count, 1);
    }

    // With two volumes it asks for one; a beam resting on the floor is not a cantilever.
    void noBeamMeansNoModelData()
    {
        Window s;
        auto supported = CantileverScenes::supported(CantileverScenes::Beam{4, 20, 4, 2});
        s.ws.document().addObject(CantileverScenes::block({CantileverScenes::Beam{4, 8, 4, 2}}));
        s.ws.document().addObject(supported);
        auto op = s.start();
        QCOMPARE(op->state(), RunModelExtraction::Idle);
        QCOMPARE(s.lines.last(), QStringLiteral("Model Extraction: Select a cell volume and press Enter/Return."));
        QCOMPARE(s.shown->count, 0);
        s.ws.selection().toggle(supported);
        s.ws.console().handleLine(QString());
        QCOMPARE(op->state(), RunModelExtraction::DialogOpen);
        QCOMPARE(op->volume(), supported);
        QVERIFY(op->runPreprocessing());
        QVERIFY(!op->runFeatureDetection());
        QVERIFY(!op->structure() && !op->structureModel());
        QCOMPARE(s.objectsOfType(2), 1);
        op->saveNetlist();
        QCOMPARE(s.dialogs->shown, QStringList{"No model data|No model data was extracted."});
        QVERIFY(s.dialogs->asked.isEmpty());
    }

    // Material 999 is not in the catalogue: it has no density and no Young's modulus.
    void aBeamWithoutConstantsIsReportedBeforeAFileIsAskedFor()
    {
        Window s;
        auto op = s.detect(CantileverScenes::block({CantileverScenes::Beam{999, 20, 4, 2}}));
        QVERIFY(op->structure());
        s.dialogs->answers << QStringLiteral("/never/asked.cir");
        op->saveNetlist();
        QVERIFY(s.dialogs->asked.isEmpty());
        QCOMPARE(s.dialogs->shown.size(), 1);
        QVERIFY2(s.dialogs->shown.first().startsWith(QLatin1String("No model data|Beam 1: ")),
                 qPrintable(s.dialogs->shown.first()));
        QVERIFY(s.dialogs->shown.first().contains(QLatin1String("999")));
    }

    void boxesStayOutOfDocumentsAndGoOnCancel()
    {
        Window s;
        auto volume = CantileverScenes::block({CantileverScenes::Beam{4, 20, 4, 2}});
        auto op = s.detect(volume);
        // Saved while the boxes are shown, a document keeps only the cell volume.
        const QString file = m_dir.filePath(QStringLiteral("scene.cfw"));
        QVERIFY(Model::Persistence::saveDocumentFile(file, s.ws.document(),
                                                     Model::Persistence::ArchiverRegistry::standard(), nullptr));
        const auto read = documentVolume(file);
        QVERIFY(read && cellStates(*read) == cellStates(*volume));
        // Starting anything else cancels the extraction first; steps after the end do nothing.
        s.ws.startOperation(12345);
        QCOMPARE(op->state(), RunModelExtraction::Done);
        QCOMPARE(s.closed->count, 1);
        QVERIFY(s.lines.contains(QStringLiteral("Model Extraction: Operation canceled.")));
        QVERIFY(!op->runPreprocessing());
        QCOMPARE(s.objectsOfType(2), 0);
    }
};

QTEST_GUILESS_MAIN(tst_DocumentOperations)
#include "tst_documentoperations.moc"
