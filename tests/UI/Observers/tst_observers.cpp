// The observers that open an operation's option dialog and hand its values over, reached through
// the window's own operation factory.
#include "Core/Operations/Document/exportdataoperation.h"
#include "Core/Operations/Objects/gluesubstrateoperation.h"
#include "Core/Processes/processoperation.h"
#include "Core/Processes/processregistry.h"
#include "Core/Processes/randomwalkdopingprocess.h"
#include "Core/workspace.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Surfaces/shownsurfaces.h"
#include "Model/Volume/particlecounts.h"
#include "UI/BatchRun/runprocessesdialog.h"
#include "UI/Dialogs/changevolumevisualizationdialog.h"
#include "UI/Dialogs/maskedcutoptionsdialog.h"
#include "UI/Dialogs/maskfilegroup.h"
#include "UI/Observers/batchrunobserver.h"
#include "UI/ProcessDialogs/photolithographydialog.h"
#include "UI/dialogtesting.h"
#include "UI/operationfactory.h"
#include "catalogtesthome.h"
#include "consolelog.h"
#include "nextdialog.h"
#include "volumetesthelpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

using namespace Core::Operations;
using namespace Ui::Operations;
using Model::Automaton::ParticleCounts;
using Model::Automaton::SurfaceAlgorithm;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Limits = std::array<uint32_t, 3>;

namespace {

TotalVolumePtr layered(uint32_t nx, uint32_t ny, uint32_t nz, uint32_t end, uint32_t state = 1)
{
    return makeVolume(nx, ny, nz, [=](uint32_t, uint32_t, uint32_t z) { return z < end ? state : 0u; });
}

void setValue(QDialog &dialog, const char *name, double value)
{
    dialog.findChild<QDoubleSpinBox *>(QLatin1String(name))->setValue(value);
}

void chooseMaterial(QComboBox *box, uint material) { box->setCurrentIndex(box->findData(material)); }
void chooseMaterial(QDialog &dialog, uint material)
{
    chooseMaterial(dialog.findChild<QComboBox *>(QStringLiteral("cbxMaterial")), material);
}

constexpr uint32_t Film = 201;

/// An n x n x n block of film.
TotalVolumePtr filmBlock(uint32_t n, const Util::Vector3D &at)
{
    return std::make_shared<TotalVolume>(n, n, n, 1.0f, 1.0f, 1.0f, at, Film);
}

/// The window's factory, keeping the operation it made last.
struct RecordingFactory : IOperationFactory {
    RecordingFactory(Core::Workspace &ws, QWidget *window)
        : real(ws, window)
    {
    }
    OperationPtr create(uint32_t identifier) override { return last = real.create(identifier); }
    Ui::OperationFactory real;
    OperationPtr last;
};

/// A workspace with the window's factory and one volume (silicon below z = 4 of 12 x 10 x 8 unless given).
struct Scene {
    explicit Scene(TotalVolumePtr v = layered(12, 10, 8, 4))
        : volume(std::move(v))
    {
        ws.setOperationFactory(factory);
        ws.console().addObserver(log);
        // The window shows its volumes' surfaces.
        ws.setShownSurfaces(std::make_shared<Model::Surfaces::ShownSurfaces>());
        if (volume)
            ws.document().addObject(volume);
    }
    /// The volume's surface as the window shows it, made now.
    const Model::Surfaces::VolumeSurface &shown(const TotalVolumePtr &v)
    {
        ws.regenerateSurface(v);
        return *ws.shownSurfaces()->of(v);
    }
    const Model::Surfaces::VolumeSurface &surface(const TotalVolumePtr &v) const { return *ws.shownSurfaces()->of(v); }
    template <class Op> std::shared_ptr<Op> last() const { return std::dynamic_pointer_cast<Op>(factory->last); }
    QString message() { return ws.console().message(); }
    std::pair<Limits, Limits> cutLimits() const
    {
        Limits lower{}, upper{};
        volume->view().cutLimits(lower, upper);
        return {lower, upper};
    }
    QWidget window;
    Core::Workspace ws;
    std::shared_ptr<RecordingFactory> factory = std::make_shared<RecordingFactory>(ws, &window);
    std::shared_ptr<ConsoleLog> log = std::make_shared<ConsoleLog>(ws);
    TotalVolumePtr volume;
};

} // namespace

class tst_Observers : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

private slots:
    void initTestCase() { MaterialFactory::instance()->createDefaultMaterials(); }

    void visualizationOptionsReachThePainterAndColourEveryVolumeOnlyWhenAccepted()
    {
        MaterialFactory::instance()->setMaterial(Material(Film, "Film", 1, 1, 0.1f, {0.2f, 0.4f, 0.6f, 1.0f}));
        Scene s(filmBlock(2, Util::Vector3D()));
        s.shown(s.volume);
        const auto second = filmBlock(1, Util::Vector3D(5, 0, 0));
        s.shown(second);
        s.ws.document().addObject(second);
        bool accept = false;
        const auto answer = [&accept](ChangeVolumeVisualizationDialog &dialog) {
            dialog.algorithmBox()->setCurrentIndex(2);
            dialog.distributionBox()->setCurrentIndex(1);
            dialog.colorScaleBox()->setCurrentIndex(2);
            dialog.setPendingColor(Film, QColor(255, 0, 0, 255));
            return accept ? dialog.accept() : dialog.reject();
        };
        s.ws.selection().toggle(s.volume);
        answerNextDialog<ChangeVolumeVisualizationDialog>(answer);
        s.ws.startOperation(6);
        QCOMPARE(s.message(), QStringLiteral("Change Visualization: Operation Canceled!"));
        QCOMPARE(s.volume->view().surfaceAlgorithm(), SurfaceAlgorithm::CubicFaces);
        QCOMPARE(MaterialFactory::instance()->getMaterial(Film).color(), (std::array<float, 4>{0.2f, 0.4f, 0.6f, 1}));
        QVERIFY(!s.ws.currentOperation());

        accept = true;
        s.log->lines.clear();
        if (!s.volume->isSelected())
            s.ws.selection().toggle(s.volume);
        answerNextDialog<ChangeVolumeVisualizationDialog>(answer);
        s.ws.startOperation(6);
        QCOMPARE(s.log->lines, (QStringList{"Change Visualization: Cell volume selected.",
                                            "Change Visualization: Options changed."}));
        const auto &view = s.volume->view();
        QCOMPARE(view.surfaceAlgorithm(), SurfaceAlgorithm::Octree);
        QCOMPARE(s.surface(s.volume).octreeSurface().opaqueFaceCount(), size_t(6)); // the 2 x 2 x 2 block's six sides
        QCOMPARE(view.particleDistribution(), 1u);
        QCOMPARE(view.colorScaleType(), 2u);
        QCOMPARE(MaterialFactory::instance()->getMaterial(Film).color(), (std::array<float, 4>{1, 0, 0, 1}));
        // The other volume was not selected, yet shows the new film colour.
        QCOMPARE(s.surface(second).opaqueFaces().front().fillColor, (std::array<float, 4>{1, 0, 0, 1}));
        QVERIFY(!s.ws.currentOperation());
        QVERIFY(s.ws.selection().selected().isEmpty());
        QVERIFY(!s.ws.selection().isSelectionMode());
    }

    void visualizationWithoutSelectionWaitsForEnter()
    {
        Scene s(filmBlock(2, Util::Vector3D()));
        s.shown(s.volume);
        const auto second = filmBlock(1, Util::Vector3D(5, 0, 0));
        s.shown(second);
        s.ws.document().addObject(second);
        s.ws.startOperation(6);
        QCOMPARE(s.log->lines, (QStringList{"Change Visualization: Select a cell volume and press Enter/Return."}));
        QVERIFY(s.ws.selection().isSelectionMode());
        QVERIFY(s.ws.console().isEnterRequested());
        // Enter with still nothing selected prompts again (and opens no dialog).
        s.ws.console().handleLine(QString());
        QCOMPARE(s.log->lines.size(), 2);
        s.ws.selection().toggle(second);
        answerNextDialog<ChangeVolumeVisualizationDialog>([](ChangeVolumeVisualizationDialog &d) {
            child<QCheckBox>(&d, "chkRenderEmptyVoxelOutlines")->setChecked(true);
            d.accept();
        });
        s.ws.console().handleLine(QString());
        QCOMPARE(s.message(), QStringLiteral("Change Visualization: Options changed."));
        QVERIFY(second->view().renderEmptyVoxelOutlines());
        QVERIFY(!s.volume->view().renderEmptyVoxelOutlines());
    }

    void rejectedDialogsCancelAndChangeNothing_data()
    {
        QTest::addColumn<uint>("operation");
        for (uint operation : {13u, 3u, 17u, 36u, 22u, 16u, 8u, 18u})
            QTest::newRow(qPrintable(QString::number(operation))) << operation;
    }
    void rejectedDialogsCancelAndChangeNothing()
    {
        QFETCH(uint, operation);
        Scene s;
        const auto before = cellStates(*s.volume);
        s.ws.selection().toggle(s.volume);
        // What was typed before Cancel is dropped.
        answerNextDialog([](QDialog &d) {
            for (auto *box : d.findChildren<QAbstractSpinBox *>())
                box->stepUp();
            d.reject();
        });
        s.ws.startOperation(operation);
        QVERIFY(s.last<Operation>());
        QVERIFY(!s.ws.currentOperation());
        QVERIFY(!s.ws.undoRedo().canUndo());
        QCOMPARE(cellStates(*s.volume), before);
        QCOMPARE(s.ws.document().allObjects().size(), 1);
        QCOMPARE(s.cutLimits(), std::make_pair(Limits{0, 0, 0}, Limits{12, 10, 8}));
    }

    void cvdTakesItsOptions()
    {
        Scene s(layered(4, 4, 8, 3));
        answerNextDialog([](QDialog &d) {
            setValue(d, "dblThickness", 2.0);
            chooseMaterial(d, 16);
            d.accept();
        });
        s.ws.startOperation(33);
        QCOMPARE(stateAt(*s.volume, 1, 1, 4), 16u);
        const auto states = cellStates(*s.volume); // two whole layers, nothing at the top of the volume
        QCOMPARE(std::count(states.begin(), states.end(), 16u), 4L * 4 * 2);
        QCOMPARE(s.ws.undoRedo().undoName(), QStringLiteral("CVD"));
    }

    // A default that would reach past the chosen volume is lowered to its height: 10 um of oxide at
    // 100 cells per um would be 1000 cells, an implantation depth of 50 more than the 30 there are.
    void defaultsFitTheVolume_data()
    {
        QTest::addColumn<uint>("operation");
        QTest::addColumn<float>("cellHeight");
        QTest::addColumn<QVariantMap>("shown");
        QTest::newRow("oxidation") << 26u << 1.0f << QVariantMap{{"dblThickness", 0.3}, {"dblConversion", 100.0}};
        QTest::newRow("implantation") << 3u << 1.0f
                                      << QVariantMap{{"dblDepth", 30.0}, {"dblSpread", 20.0}, {"dblAnnealing", 10.0}};
        // Lengths count cells of size 1: 30 layers of half-height cells are 15 long.
        QTest::newRow("implantation, half-height cells")
            << 3u << 0.5f << QVariantMap{{"dblDepth", 15.0}, {"dblSpread", 15.0}, {"dblAnnealing", 10.0}};
        QTest::newRow("isotropic deposition, quarter-height cells")
            << 13u << 0.25f << QVariantMap{{"dblThickness", 7.5}};
    }
    void defaultsFitTheVolume()
    {
        QFETCH(uint, operation);
        QFETCH(float, cellHeight);
        QFETCH(QVariantMap, shown);
        Scene s(std::make_shared<TotalVolume>(4, 4, 30, 1.0f, 1.0f, cellHeight, Util::Vector3D(), 1u));
        QVariantMap seen;
        answerNextDialog([&](QDialog &d) {
            for (const QString &name : shown.keys())
                seen.insert(name, child<QDoubleSpinBox>(&d, name)->value());
            d.reject();
        });
        s.ws.startOperation(operation);
        QCOMPARE(seen, shown);
    }

    // Planarization and pouring reach no higher than the chosen volume.
    void heightsStopAtTheTopOfTheVolume_data()
    {
        QTest::addColumn<uint>("operation");
        QTest::addColumn<QString>("box");
        QTest::newRow("planarization") << 22u << "sbxMaximumHeight";
        QTest::newRow("pour material") << 23u << "sbxDepositionHeight";
    }
    void heightsStopAtTheTopOfTheVolume()
    {
        QFETCH(uint, operation);
        QFETCH(QString, box);
        Scene s(layered(4, 4, 30, 5));
        int highest = 0;
        answerNextDialog([&](QDialog &d) {
            highest = child<QSpinBox>(&d, box)->maximum();
            d.reject();
        });
        s.ws.startOperation(operation);
        QCOMPARE(highest, 30);
    }

    void randomWalkGetsSIValuesAndTheSeed()
    {
        Scene s(layered(4, 4, 8, 5));
        QString estimate;
        answerNextDialog([&estimate](QDialog &d) {
            // Boron-like values: 10 nm cells, D = 1e-13 cm^2/s, 1 s steps.
            for (auto field : {std::make_pair("lieDiffusionCoefficient", "1e-13"),
                               std::make_pair("lieCellSize", "0.01"), std::make_pair("lieTimeStep", "1"),
                               std::make_pair("lieConcentration", "1e20"), std::make_pair("lieSeed", "7")})
                child<QLineEdit>(&d, field.first)->setText(QLatin1String(field.second));
            setValue(d, "dblDopingTime", 0.5);
            setValue(d, "dblThreshold", 20.0);
            chooseMaterial(child<QComboBox>(&d, "cbxDopingMaterial"), 14);
            // The dialog knows the volume: its estimate counts the 4 x 4 x 8 cells.
            estimate = child<QLabel>(&d, "lblEstimate")->text();
            d.accept();
        });
        s.ws.startOperation(36);
        QVERIFY2(estimate.endsWith(QStringLiteral("(30 time steps over 128 cells)")), qPrintable(estimate));
        const auto op = s.last<Core::Processes::ProcessOperation>();
        QVERIFY(op);
        Core::Processes::ParameterReader reader(op->step());
        using Core::Processes::RandomWalkDopingProcess;
        const auto walk = Core::Processes::ProcessRegistry::get<RandomWalkDopingProcess>().read(reader);
        QVERIFY(reader.ok());
        QCOMPARE(walk.material, 14u);
        QCOMPARE(walk.dopingTime(), 30.0);             // minutes * 60
        QCOMPARE(walk.diffusionCoefficient(), 1e-17);  // cm^2/s * 1e-4
        QCOMPARE(walk.cellSize(), 1e-8);               // um * 1e-6
        QCOMPARE(walk.timeStep(), 1.0);                // s
        QCOMPARE(walk.dopantConcentration(), 1e26);    // cm^-3 * 1e6
        QCOMPARE(walk.thresholdConcentration(), 2e25); // 20 % of it
        QVERIFY(op->seed());
        QCOMPARE(*op->seed(), uint64_t(7));
        QVERIFY(ParticleCounts::of(*s.volume, ParticleCounts::pTypeName()) ||
                ParticleCounts::of(*s.volume, ParticleCounts::nTypeName()));
    }

    void exportWritesTheChosenDataOrSaysThereIsNone()
    {
        Scene s(layered(4, 4, 8, 5));
        s.ws.startOperation(37); // no dialog opens: nothing would answer it
        QVERIFY2(s.log->lines.contains(QStringLiteral("Export Data: This cell volume holds no data to export. "
                                                      "Random Walk Doping gives it particle counts.")),
                 qPrintable(s.log->lines.join(QLatin1Char('\n'))));
        QVERIFY(!s.ws.currentOperation());

        auto counts = std::make_shared<ParticleCounts>(s.volume->cellCount());
        counts->cell(0)[6] = 5;
        ParticleCounts::attach(*s.volume, ParticleCounts::pTypeName(), counts);
        const QString path = m_dir.filePath(QStringLiteral("dialog.csv"));
        answerNextDialog([&path](QDialog &d) {
            child<QLineEdit>(&d, "lieFileName")->setText(path);
            d.accept();
        });
        s.ws.startOperation(37);
        QCOMPARE(s.message(), QStringLiteral("Export Data:  data saved."));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith("X: 0\n5.0000000000e+00 ; 0.0000000000e+00 ; "));
    }

    void photolithographyPreviewsThenRuns()
    {
        Scene s;
        {
            Model::Automaton::CellLock lock(*s.volume);
            for (uint32_t x = 0; x < 12; ++x)
                for (uint32_t y = 0; y < 10; ++y)
                    lock.cells().setState(s.volume->index(x, y, 4), 11);
        }
        bool previewed = false;
        answerNextDialog<PhotolithographyDialog>([&](PhotolithographyDialog &d) {
            d.topGroup()->fileNameEdit()->setText(QStringLiteral(EXAMPLES_DIR "/masks/lines_and_spaces.png"));
            d.topGroup()->applyMask();
            // Only the part of the 100 x 100 image over the 12 x 10 columns is kept.
            previewed = s.volume->upperMask().size() == 12 * 10;
            chooseMaterial(d.filmComboBox(), 11);
            d.accept();
        });
        s.ws.startOperation(20);
        QVERIFY(previewed);
        QVERIFY(s.volume->upperMask().isEmpty());
        // Lines 10 columns wide: x < 10 is masked, 10..11 is open.
        QCOMPARE(stateAt(*s.volume, 3, 4, 4), 11u);
        QCOMPARE(stateAt(*s.volume, 11, 4, 4), 0u);
    }

    void maskedCutCutsUndoably()
    {
        Scene s;
        answerNextDialog<MaskedCutOptionsDialog>([](MaskedCutOptionsDialog &d) {
            d.maskGroup()->fileNameEdit()->setText(QStringLiteral(EXAMPLES_DIR "/masks/square_opening.png"));
            d.maskGroup()->applyMask();
            d.accept();
        });
        s.ws.startOperation(34);
        QCOMPARE(s.message(), QStringLiteral("Masked Cut: Cut planes changed."));
        // The dark field covers the whole 12 x 10 corner of the mask: nothing is cut there.
        QCOMPARE(cutCounts(*s.volume), std::vector<uint32_t>(s.volume->cellCount(), 0u));
        QVERIFY(s.ws.undoRedo().canUndo());
        // Without a mask there is nothing to cut.
        answerNextDialog([](QDialog &d) { d.accept(); });
        s.ws.startOperation(34);
        QCOMPARE(s.message(), QStringLiteral("Masked Cut: Operation Canceled!"));
    }

    void glueDialog_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<int>("shift");
        QTest::addColumn<bool>("invert");
        QTest::addColumn<uint>("height");
        // Base 6 x 5 with its top at 10 and a 4 x 3 top occupied from 0 to 4: stacked height 15.
        QTest::newRow("accepted, shifted and inverted") << true << 2 << true << 15u;
        QTest::newRow("rejected after changes: the defaults") << false << 0 << false << 16u;
    }
    void glueDialog()
    {
        QFETCH(bool, accept);
        QFETCH(int, shift);
        QFETCH(bool, invert);
        QFETCH(uint, height);
        Scene s(nullptr);
        answerNextDialog([&](QDialog &d) {
            QCOMPARE(child<QSpinBox>(&d, "sbxFinalSizeZ")->value(), 15);
            QCOMPARE(child<QSpinBox>(&d, "sbxDisplacementX")->maximum(), 2);
            child<QSpinBox>(&d, "sbxDisplacementX")->setValue(2);
            child<QSpinBox>(&d, "sbxDisplacementY")->setValue(shift);
            child<QCheckBox>(&d, "chkInvert")->setChecked(invert || !accept);
            if (!accept)
                child<QSpinBox>(&d, "sbxFinalSizeZ")->setValue(30);
            return accept ? d.accept() : d.reject();
        });
        const auto base = layered(6, 5, 12, 10, 1);
        const auto top = layered(4, 3, 8, 5, 2);
        s.ws.document().addObject(base);
        s.ws.document().addObject(top);
        s.ws.selection().toggle(base);
        s.ws.startOperation(12); // the other volume is the top
        QCOMPARE(s.ws.document().allObjects().size(), 1);
        auto result = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(s.ws.document().allObjects().first());
        QVERIFY(result);
        QCOMPARE(result->sizeZ(), height);
        const GlueLayout layout = s.last<GlueSubstrateOperation>()->layout();
        QCOMPARE(layout.invert, invert);
        QCOMPARE(layout.shiftX, accept ? 2u : 0u);
        QCOMPARE(layout.shiftY, uint32_t(shift));
        // The top lands where the layout puts it, from z = 10 up.
        QCOMPARE(stateAt(*result, layout.shiftX, layout.shiftY, 10), 2u);
    }

    void selectVolumesOpensTheBatchRun_data()
    {
        QTest::addColumn<bool>("selectVolume");
        QTest::newRow("selected volume") << true;
        QTest::newRow("answered n") << false;
    }
    void selectVolumesOpensTheBatchRun()
    {
        QFETCH(bool, selectVolume);
        Scene s(layered(3, 3, 3, 3));
        // The window hooks the batch-run dialog in.
        s.factory->real.setObserverMaker(24, [](Core::Workspace &ws, QWidget *window) -> Util::ObserverPtr {
            return std::make_shared<Ui::Observers::BatchRunObserver>(ws, window, nullptr);
        });
        s.volume->setUpperMask(QBitArray(9, true), 3, 3);
        if (selectVolume)
            s.ws.pickState().setSelected({s.volume});
        else
            s.ws.document().addObject(layered(3, 3, 3, 3)); // the only volume would be taken
        bool seen = false;
        TotalVolumePtr target;
        const auto close = [&](Ui::RunProcessesDialog &dialog) {
            seen = true;
            target = dialog.targetVolume();
            dialog.reject();
        };
        answerNextDialog<Ui::RunProcessesDialog>(close);
        s.ws.startOperation(24);
        // Without a selection among several volumes (and no window to ask in) the console asks
        // first; the dialog opens on the answer.
        QCOMPARE(seen, selectVolume);
        if (!selectVolume) {
            answerNextDialog<Ui::RunProcessesDialog>(close);
            s.ws.console().handleLine(QStringLiteral("n"));
        }
        QVERIFY(seen);
        QCOMPARE(target, selectVolume ? s.volume : TotalVolumePtr());
        // The preview masks are gone once the dialog has closed.
        QCOMPARE(s.volume->upperMask().count(true), 0);
        QVERIFY(!s.ws.currentOperation());
    }
};

QTEST_MAIN(tst_Observers)
#include "tst_observers.moc"
