#include "Core/Operations/runmodelextraction.h"
#include "Core/workspace.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Materials/materialfactory.h"
#include "Model/ModelExtraction/cantileverstructure.h"
#include "Model/Persistence/archiverregistry.h"
#include "Model/Persistence/documentarchive.h"
#include "Model/Persistence/materialreconciler.h"
#include "Model/Persistence/materialtranslationtable.h"
#include "cantileverscenes.h"
#include "catalogtesthome.h"
#include "consolelog.h"
#include "scripteddocumentdialogs.h"
#include "testoperations.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using Core::Operations::RunModelExtraction;
using Model::ModelExtraction::ExtractedModel;

namespace {

QString readText(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromUtf8(file.readAll()) : QString();
}

/// A workspace whose factory makes model extractions with scripted dialogs and counting observers,
/// and which keeps every console line.
struct Scene {
    Core::Workspace ws;
    std::shared_ptr<ScriptedDocumentDialogs> dialogs = std::make_shared<ScriptedDocumentDialogs>();
    std::shared_ptr<CountingObserver> opened = std::make_shared<CountingObserver>();
    std::shared_ptr<CountingObserver> closed = std::make_shared<CountingObserver>();
    std::shared_ptr<ConsoleLog> console = std::make_shared<ConsoleLog>(ws);
    std::shared_ptr<TestFactory> factory = std::make_shared<TestFactory>();
    QStringList &lines = console->lines;

    Scene()
    {
        ws.console().addObserver(console);
        factory->makers[1000] = [this] {
            auto op = std::make_shared<RunModelExtraction>(ws, dialogs);
            op->setObserver(opened);
            op->setDestroyDialogObserver(closed);
            return op;
        };
        ws.setOperationFactory(factory);
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
    int objectsOfType(uint32_t type) const
    {
        int n = 0;
        for (const auto &object : const_cast<Core::Workspace &>(ws).document().allObjects())
            n += object->type() == type ? 1 : 0;
        return n;
    }
};

} // namespace

class tst_RunModelExtraction : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

private slots:
    void initTestCase() { Model::Materials::MaterialFactory::instance()->createDefaultMaterials(); }

    void threeStepsShowBoxesThenBeamsBesideTheVolumeAndWriteTheNetlist()
    {
        Scene s;
        auto volume = CantileverScenes::block({CantileverScenes::Beam{4, 20, 4, 2}});
        volume->translate(Util::Vector4D(5, -3, 2, 0));
        s.ws.document().addObject(volume);
        const std::vector<uint32_t> before = cellStates(*volume);
        auto op = s.start();
        // The only volume is taken and the dialog opens.
        QCOMPARE(op->state(), RunModelExtraction::DialogOpen);
        QCOMPARE(s.opened->count, 1);
        QCOMPARE(s.lines, QStringList{"Model Extraction: Cell volume selected."});

        QVERIFY(op->runPreprocessing());
        QVERIFY(volume->painter().extractionDisplay());
        auto boxes = op->preprocessingModel();
        QVERIFY(boxes);
        QCOMPARE(boxes->type(), 2u);
        QVERIFY(s.ws.document().findObject(boxes->id()).second);
        // In the volume's place, cell for cell.
        QCOMPARE(boxes->position().x, 5.0);
        QCOMPARE(boxes->position().y, -3.0);
        QCOMPARE(boxes->position().z, 2.0);
        QVERIFY(s.lines.last().startsWith(QLatin1String("Model Extraction: Preprocessing found ")));

        QVERIFY(op->runFeatureDetection());
        auto beams = op->structureModel();
        QVERIFY(beams);
        QCOMPARE(beams->envelopes().size(), size_t(1));
        // Beside the volume: (nx + 10) cells further along x.
        QCOMPARE(beams->position().x, 5.0 + (volume->sizeX() + 10.0) * volume->cellSizeX());
        QCOMPARE(beams->position().y, -3.0);
        QCOMPARE(s.objectsOfType(2), 2);
        QCOMPARE(s.lines.last(), QStringLiteral("Model Extraction: Feature detection found 1 cantilever beam."));

        // A folder cannot be written and keeps the beams for a second try; a cancelled file dialog
        // writes nothing and says nothing.
        const QString fileName = m_dir.filePath(QStringLiteral("beam.cir"));
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("folder.cir")));
        s.dialogs->answers << m_dir.filePath(QStringLiteral("folder.cir")) << QString() << fileName;
        op->saveNetlist();
        QCOMPARE(s.dialogs->shown.size(), 1);
        QVERIFY(s.dialogs->shown.first().startsWith(QLatin1String("File Error|Unable to save to selected file!")));
        QVERIFY(QFileInfo(m_dir.filePath(QStringLiteral("folder.cir"))).isDir());
        op->saveNetlist();
        QVERIFY(!QFileInfo::exists(fileName));
        op->saveNetlist();
        const QString question = QStringLiteral("save|Save netlist|%1|Circuit files *.cir").arg(QDir::homePath());
        QCOMPARE(s.dialogs->asked, (QStringList{question, question, question}));
        QCOMPARE(readText(fileName), QStringLiteral("Model extracted by Cellforge\nc1 1 0 2.03789e-12 \n"
                                                    "l1 1 0 0.00526176 \n.end \n"));
        QCOMPARE(s.dialogs->shown.size(), 1);

        // Closing the dialog: the boxes go, the volume is drawn as before, nothing to undo.
        op->execute();
        QCOMPARE(op->state(), RunModelExtraction::Done);
        QCOMPARE(s.objectsOfType(2), 0);
        QCOMPARE(s.ws.document().allObjects().size(), 1);
        QVERIFY(!volume->painter().extractionDisplay());
        QCOMPARE(s.closed->count, 1);
        QVERIFY(s.lines.contains(QStringLiteral("Model Extraction: Model extracted.")));
        QVERIFY(!s.ws.currentOperation());
        QVERIFY(s.ws.undoRedo().undoName().isEmpty());
        QVERIFY(cellStates(*volume) == before);
        // Closing again does nothing more.
        op->execute();
        QCOMPARE(s.closed->count, 1);
    }

    // With two volumes it asks for one; a beam resting on the floor is not a cantilever.
    void noBeamMeansNoModelData()
    {
        Scene s;
        auto supported = CantileverScenes::supported(CantileverScenes::Beam{4, 20, 4, 2});
        s.ws.document().addObject(CantileverScenes::block({CantileverScenes::Beam{4, 8, 4, 2}}));
        s.ws.document().addObject(supported);
        auto op = s.start();
        QCOMPARE(op->state(), RunModelExtraction::Idle);
        QCOMPARE(s.lines.last(), QStringLiteral("Model Extraction: Select a cell volume and press Enter/Return."));
        QCOMPARE(s.opened->count, 0);
        s.ws.selection().toggle(supported);
        s.ws.console().handleLine(QString());
        QCOMPARE(op->state(), RunModelExtraction::DialogOpen);
        QCOMPARE(op->volume(), supported);
        QCOMPARE(s.opened->count, 1);
        QVERIFY(op->runPreprocessing());
        QVERIFY(!op->runFeatureDetection());
        QVERIFY(!op->structure());
        QVERIFY(!op->structureModel());
        QCOMPARE(s.objectsOfType(2), 1);
        op->saveNetlist();
        QCOMPARE(s.dialogs->shown, QStringList{"No model data|No model data was extracted."});
        QVERIFY(s.dialogs->asked.isEmpty());
    }

    void aBeamWithoutConstantsIsReportedBeforeAFileIsAskedFor()
    {
        // Material 999 is not in the catalogue: it has no density and no Young's modulus.
        Scene s;
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

    void theCellEdgeSetsTheNetlistsUnits()
    {
        Scene s;
        auto op = s.detect(CantileverScenes::block({CantileverScenes::Beam{4, 30, 4, 3}}));
        // An edge of 1 micrometre: k = 3 * 7e10 * (4e-6 * 27e-18 / 12) / 27000e-18 = 70 N/m,
        // m = 360e-18 * 2700 * 33 / 140 = 2.29114e-13 kg.
        op->setLengthPerUnit(1.0e-6);
        op->setLengthPerUnit(-1.0); // refused
        op->setLengthPerUnit(0.0);  // refused
        QCOMPARE(op->lengthPerUnit(), 1.0e-6);
        QCOMPARE(op->netlistText(),
                 QStringLiteral("Model extracted by Cellforge\nc1 1 0 2.29114e-13 \nl1 1 0 0.0142857 \n.end \n"));
    }

    void boxesStayOutOfDocumentsAndGoOnCancel()
    {
        Scene s;
        auto volume = CantileverScenes::block({CantileverScenes::Beam{4, 20, 4, 2}});
        auto op = s.detect(volume);
        // Saved while the boxes are shown, a document keeps only the cell volume.
        const QString file = m_dir.filePath(QStringLiteral("scene.cfw"));
        QString error;
        QVERIFY2(Model::Persistence::saveDocumentFile(file, s.ws.document(),
                                                      Model::Persistence::ArchiverRegistry::standard(), &error),
                 qPrintable(error));
        Model::Document document;
        Model::Persistence::MaterialTranslationTable table;
        Model::Persistence::MaterialReconciler reconciler(table);
        QVERIFY(Model::Persistence::loadDocumentFile(file, document, Model::Persistence::ArchiverRegistry::standard(),
                                                     reconciler)
                    .ok);
        QCOMPARE(document.allObjects().size(), 1);
        auto read = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(document.allObjects().first());
        QVERIFY(read && cellStates(*read) == cellStates(*volume));
        // Starting anything else cancels the extraction first.
        s.ws.startOperation(12345);
        QCOMPARE(op->state(), RunModelExtraction::Done);
        QCOMPARE(s.objectsOfType(2), 0);
        QVERIFY(!volume->painter().extractionDisplay());
        QCOMPARE(s.closed->count, 1);
        QVERIFY(s.lines.contains(QStringLiteral("Model Extraction: Operation canceled.")));
        QVERIFY(!s.lines.contains(QStringLiteral("Model Extraction: Model extracted.")));
        // Steps after the end do nothing.
        QVERIFY(!op->runPreprocessing());
        QCOMPARE(s.objectsOfType(2), 0);
    }

    void anExtractedModelCopiesAndMoves()
    {
        auto e = std::make_shared<Model::ModelExtraction::RectangularCuboidEnvelope>(1, 2, 3, 4, 5, 6, 4);
        ExtractedModel model({e}, Util::Vector3D(1.0, 2.0, 0.5));
        model.translate(Util::Vector4D(1, 2, 3, 9));
        auto copy = std::dynamic_pointer_cast<ExtractedModel>(model.clone());
        QVERIFY(copy && copy->id() != model.id());
        QCOMPARE(copy->position().z, 3.0);
        QCOMPARE(copy->envelopes().front(), e);
        const auto c = copy->corners(*e);
        QCOMPARE(c[0].y, 4.0);
        QCOMPARE(c[1].y, 14.0);
        QCOMPARE(c[1].z, 4.5);
    }
};

QTEST_GUILESS_MAIN(tst_RunModelExtraction)
#include "tst_runmodelextraction.moc"
