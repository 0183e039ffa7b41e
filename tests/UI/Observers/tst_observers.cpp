// The observers that open an operation's option dialog and hand its values over, reached through
// the window's own operation factory; and "Change Visualization" with its observer and dialog.
#include "Core/Operations/ExportData/exportdataoperation.h"
#include "Core/Operations/changetotalvolumevisualizationoptions.h"
#include "Core/Operations/gluesubstrateoperation.h"
#include "Core/Operations/randomwalkdopingoperation.h"
#include "Core/Operations/simplereactiveionetchingoperation.h"
#include "Core/workspace.h"
#include "Model/Automaton/particlecounts.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Materials/materialfactory.h"
#include "UI/BatchRun/runprocessesdialog.h"
#include "UI/Observers/batchrunobserver.h"
#include "UI/Observers/changetotalvolumeviewoptionsobserver.h"
#include "UI/Operations/changevolumevisualizationdialog.h"
#include "UI/Operations/maskedcutoptionsdialog.h"
#include "UI/Operations/maskfilegroup.h"
#include "UI/Operations/mooreoptionsdialog.h"
#include "UI/Operations/photolithographydialog.h"
#include "UI/Operations/planarizationoptionsdialog.h"
#include "UI/Operations/spincoatingoptionsdialog.h"
#include "UI/dialogtesting.h"
#include "UI/operationfactory.h"
#include "catalogtesthome.h"
#include "consolelog.h"
#include "nextdialog.h"
#include "testoperations.h"
#include "volumetesthelpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

using namespace Core::Operations;
using namespace Ui::Operations;
using Model::Automaton::ParticleCounts;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Ui::Observers::ChangeTotalVolumeViewOptionsObserver;
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

/// A workspace with one volume (silicon below z = 4 of 12 x 10 x 8 cells unless given) and the
/// window's factory.
struct Scene {
    explicit Scene(TotalVolumePtr v = layered(12, 10, 8, 4))
        : volume(std::move(v))
    {
        ws.setOperationFactory(factory);
        ws.console().addObserver(log);
        if (volume)
            ws.document().addObject(volume);
    }
    template <class Op> std::shared_ptr<Op> last() const { return std::dynamic_pointer_cast<Op>(factory->last); }
    QString message() { return ws.console().message(); }
    std::pair<Limits, Limits> cutLimits() const
    {
        Limits lower{}, upper{};
        volume->painter().cutLimits(lower, upper);
        return {lower, upper};
    }
    QWidget window;
    Core::Workspace ws;
    std::shared_ptr<RecordingFactory> factory = std::make_shared<RecordingFactory>(ws, &window);
    std::shared_ptr<ConsoleLog> log = std::make_shared<ConsoleLog>(ws);
    TotalVolumePtr volume;
};

constexpr uint32_t Film = 201;

// Records every console message in order.
class MessageLog : public Util::IObserver {
public:
    explicit MessageLog(Core::ConsoleInput &console)
        : m_console(console)
    {
    }
    void notify() override { messages << m_console.message(); }
    QStringList messages;

private:
    Core::ConsoleInput &m_console;
};
} // namespace

class tst_Observers : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;
    std::unique_ptr<Core::Workspace> m_workspace;
    std::shared_ptr<TestFactory> m_factory;
    Util::ObserverPtr m_observer; // what the factory gives each operation
    std::shared_ptr<MessageLog> m_log;
    std::shared_ptr<TotalVolume> m_first;
    std::shared_ptr<TotalVolume> m_second;

    void select(const std::shared_ptr<TotalVolume> &volume) { m_workspace->selection().toggle(volume); }

private slots:
    void initTestCase() { MaterialFactory::instance()->createDefaultMaterials(); }
    void init()
    {
        auto catalogue = MaterialFactory::instance();
        catalogue->setMaterial(Material(Film, "Film", 1, 1, 0.1f, {0.2f, 0.4f, 0.6f, 1.0f}));
        m_workspace = std::make_unique<Core::Workspace>();
        m_factory = std::make_shared<TestFactory>();
        m_factory->makers[6] = [this] {
            return withObserver(std::make_shared<ChangeTotalVolumeVisualizationOptions>(*m_workspace), m_observer);
        };
        m_workspace->setOperationFactory(m_factory);
        m_log = std::make_shared<MessageLog>(m_workspace->console());
        m_workspace->console().addObserver(m_log);
        m_first = std::make_shared<TotalVolume>(2, 2, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D(), Film);
        m_second = std::make_shared<TotalVolume>(1, 1, 1, 1.0f, 1.0f, 1.0f, Util::Vector3D(5, 0, 0), Film);
        for (const auto &v : {m_first, m_second}) {
            v->painter().regenerateSurface();
            m_workspace->document().addObject(v);
        }
    }
    void cleanup()
    {
        m_observer.reset();
        m_first.reset();
        m_second.reset();
        m_workspace.reset();
    }

    void optionsReachThePainterAndColourEveryVolumeOnlyWhenAccepted()
    {
        auto observer = std::make_shared<ChangeTotalVolumeViewOptionsObserver>(*m_workspace, nullptr);
        bool accept = false;
        observer->runDialog = [&accept](ChangeVolumeVisualizationDialog &dialog) {
            dialog.algorithmBox()->setCurrentIndex(2);
            dialog.distributionBox()->setCurrentIndex(1);
            dialog.colorScaleBox()->setCurrentIndex(2);
            dialog.setPendingColor(Film, QColor(255, 0, 0, 255));
            return accept;
        };
        m_observer = observer;
        select(m_first);
        m_workspace->startOperation(6);
        QCOMPARE(m_log->messages.last(), QStringLiteral("Change Visualization: Operation Canceled!"));
        QCOMPARE(m_first->painter().surfaceAlgorithm(), 0u);
        QCOMPARE(MaterialFactory::instance()->getMaterial(Film).color(), (std::array<float, 4>{0.2f, 0.4f, 0.6f, 1}));
        QVERIFY(!m_workspace->currentOperation());

        accept = true;
        m_log->messages.clear();
        if (!m_first->isSelected())
            select(m_first);
        m_workspace->startOperation(6);
        QCOMPARE(m_log->messages, (QStringList{"Change Visualization: Cell volume selected.",
                                               "Change Visualization: Options changed."}));
        const auto &painter = m_first->painter();
        QCOMPARE(painter.surfaceAlgorithm(), 2u);
        QCOMPARE(painter.octreeSurface().opaqueFaceCount(), size_t(6)); // the 2 x 2 x 2 block's six sides
        QCOMPARE(painter.particleDistribution(), 1u);
        QCOMPARE(painter.colorScaleType(), 2u);
        QCOMPARE(MaterialFactory::instance()->getMaterial(Film).color(), (std::array<float, 4>{1, 0, 0, 1}));
        // The other volume was not selected, yet shows the new film colour.
        QCOMPARE(m_second->painter().opaqueFaces().front().fillColor, (std::array<float, 4>{1, 0, 0, 1}));
        QVERIFY(!m_workspace->currentOperation());
        QVERIFY(m_workspace->selection().selected().isEmpty());
        QVERIFY(!m_workspace->selection().isSelectionMode());
    }

    void withoutSelectionItWaitsForEnter()
    {
        auto observer = std::make_shared<CountingObserver>();
        m_observer = observer;
        m_workspace->startOperation(6);
        QCOMPARE(m_log->messages, (QStringList{"Change Visualization: Select a cell volume and press Enter/Return."}));
        QVERIFY(m_workspace->selection().isSelectionMode());
        QVERIFY(m_workspace->console().isEnterRequested());

        // Enter with still nothing selected prompts again.
        m_workspace->console().handleLine(QString());
        QCOMPARE(m_log->messages.size(), 2);
        QCOMPARE(observer->count, 0);

        auto operation =
            std::dynamic_pointer_cast<ChangeTotalVolumeVisualizationOptions>(m_workspace->currentOperation());
        QVERIFY(operation);
        // A weak capture: the operation owns this observer, which would otherwise own it back.
        observer->onNotify = [weak = std::weak_ptr<ChangeTotalVolumeVisualizationOptions>(operation)] {
            VisualizationOptions options;
            options.renderEmptyVoxelOutlines = true;
            weak.lock()->setOptions(options);
        };
        select(m_second);
        m_workspace->console().handleLine(QString());
        QCOMPARE(observer->count, 1);
        QCOMPARE(m_log->messages.last(), QStringLiteral("Change Visualization: Options changed."));
        QVERIFY(m_second->painter().renderEmptyVoxelOutlines());
        QVERIFY(!m_first->painter().renderEmptyVoxelOutlines());
    }

    void dialogHandsBackItsValues()
    {
        VisualizationOptions given;
        given.lattice.renderSiAtoms = true;
        given.lattice.renderSiUnitCells = true;
        given.surfaceAlgorithm = 1;
        given.colorScaleType = 1;
        ChangeVolumeVisualizationDialog dialog(given);
        QVERIFY(dialog.options() == given);
        // Surface atoms only are offered while atoms are shown.
        auto *surfaceOnly = dialog.findChild<QCheckBox *>(QStringLiteral("chkRenderSurfaceAtomsOnly"));
        QVERIFY(surfaceOnly->isEnabled());
        dialog.findChild<QCheckBox *>(QStringLiteral("chkRenderSiAtoms"))->setChecked(false);
        QVERIFY(!surfaceOnly->isEnabled());
        dialog.findChild<QCheckBox *>(QStringLiteral("chkRenderSiAtomLinks"))->setChecked(true);
        const auto chosen = dialog.options().lattice;
        QVERIFY(!chosen.renderSiAtoms && chosen.renderSiAtomLinks && chosen.renderSiUnitCells);
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

    void cvdAndRieTakeTheirOptions()
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

        answerNextDialog([](QDialog &d) {
            child<QSpinBox>(&d, "sbxDepth")->setValue(2);
            child<QCheckBox>(&d, "chkFromTop")->setChecked(false);
            child<QCheckBox>(&d, "chkFromBelow")->setChecked(true);
            chooseMaterial(d, 1);
            d.accept();
        });
        s.ws.startOperation(30);
        QCOMPARE(uint(s.last<SimpleReactiveIonEtchingOperation>()->direction()), 2u);
        QCOMPARE(s.last<SimpleReactiveIonEtchingOperation>()->depth(), 2.0);
        // Etching from below finds no exposed bottom: the slab rests on the volume's floor.
        QCOMPARE(stateAt(*s.volume, 1, 1, 2), 1u);
    }

    void randomWalkGetsSIValuesAndTheSeed()
    {
        Scene s(layered(4, 4, 8, 5));
        answerNextDialog([](QDialog &d) {
            // Boron-like values: 10 nm cells, D = 1e-13 cm^2/s, 1 s steps.
            for (auto field : {std::make_pair("lieDiffusionCoefficient", "1e-13"),
                               std::make_pair("lieCellSize", "0.01"), std::make_pair("lieTimeStep", "1"),
                               std::make_pair("lieConcentration", "1e20"), std::make_pair("lieSeed", "7")})
                child<QLineEdit>(&d, field.first)->setText(QLatin1String(field.second));
            setValue(d, "dblDopingTime", 0.5);
            setValue(d, "dblThreshold", 20.0);
            chooseMaterial(child<QComboBox>(&d, "cbxDopingMaterial"), 14);
            d.accept();
        });
        s.ws.startOperation(36);
        const auto op = s.last<RandomWalkDopingOperation>();
        QCOMPARE(op->dopingMaterial(), 14u);
        QCOMPARE(op->dopingTime(), 30.0);             // minutes * 60
        QCOMPARE(op->diffusionCoefficient(), 1e-17);  // cm^2/s * 1e-4
        QCOMPARE(op->cellSize(), 1e-8);               // um * 1e-6
        QCOMPARE(op->timeStep(), 1.0);                // s
        QCOMPARE(op->dopantConcentration(), 1e26);    // cm^-3 * 1e6
        QCOMPARE(op->thresholdConcentration(), 2e25); // 20 % of it
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

    void mooreObserversNameTheValueAndHandItOver_data()
    {
        QTest::addColumn<bool>("etching");
        QTest::addColumn<QString>("label");
        QTest::newRow("deposition") << false << QStringLiteral("Film Thickness");
        QTest::newRow("etching") << true << QStringLiteral("Etch Depth");
    }
    void mooreObserversNameTheValueAndHandItOver()
    {
        QFETCH(bool, etching);
        QFETCH(QString, label);
        Scene s;
        QString shownLabel;
        answerNextDialog<MooreOptionsDialog>([&](MooreOptionsDialog &d) {
            shownLabel = d.valueLabel();
            chooseMaterial(d.filmComboBox(), etching ? 1 : 11);
            d.valueSpinBox()->setValue(2);
            d.accept();
        });
        s.ws.startOperation(etching ? 19 : 18);
        QCOMPARE(shownLabel, label);
        QCOMPARE(stateAt(*s.volume, 5, 5, etching ? 2 : 5), etching ? 0u : 11u);
        QCOMPARE(stateAt(*s.volume, 5, 5, etching ? 1 : 6), etching ? 1u : 0u);
    }

    void photolithographyPreviewsThenRuns()
    {
        Scene s;
        {
            Model::Automaton::CellLock lock(*s.volume);
            for (uint32_t x = 0; x < 12; ++x)
                for (uint32_t y = 0; y < 10; ++y)
                    lock.cells()[s.volume->index(x, y, 4)].setState(11);
        }
        // Cancel keeps the preview of the bottom mask.
        answerNextDialog<PhotolithographyDialog>([](PhotolithographyDialog &d) {
            d.bottomGroup()->fileNameEdit()->setText(QStringLiteral(EXAMPLES_DIR "/masks/cross.png"));
            d.bottomGroup()->applyMask();
            d.reject();
        });
        s.ws.startOperation(20);
        QCOMPARE(s.message(), QStringLiteral("Photolithography: Operation Canceled!"));
        QCOMPARE(s.volume->lowerMask().size(), 12 * 10);

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

    void heightDialogsAreBoundedByNz()
    {
        Scene s;
        int bounds[2] = {-1, -1};
        answerNextDialog<SpinCoatingOptionsDialog>([&bounds](SpinCoatingOptionsDialog &d) {
            bounds[0] = d.heightSpinBox()->maximum();
            chooseMaterial(d.materialComboBox(), 11);
            d.heightSpinBox()->setValue(6);
            d.accept();
        });
        s.ws.startOperation(23);
        // Poured over the silicon below z = 4 up to z = 6.
        QCOMPARE(stateAt(*s.volume, 0, 0, 5), 11u);
        QCOMPARE(stateAt(*s.volume, 0, 0, 6), 0u);
        answerNextDialog<PlanarizationOptionsDialog>([&bounds](PlanarizationOptionsDialog &d) {
            bounds[1] = d.maximumSpinBox()->maximum();
            d.minimumSpinBox()->setValue(1);
            d.maximumSpinBox()->setValue(3);
            d.accept();
        });
        s.ws.startOperation(22);
        QCOMPARE(bounds[0], 8);
        QCOMPARE(bounds[1], 8);
        // Then planarized to the layers 1 and 2.
        const std::vector<uint32_t> column{0, 1, 1, 0, 0, 0, 0, 0};
        for (uint32_t z = 0; z < 8; ++z)
            QCOMPARE(stateAt(*s.volume, 0, 0, z), column[z]);
    }

    void glueDialog_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<int>("shift");
        QTest::addColumn<bool>("invert");
        QTest::addColumn<uint>("height");
        // Base 6 x 5 with its top at 10 and a 4 x 3 top occupied from 0 to 4: stacked height 15.
        QTest::newRow("accepted, shifted") << true << 0 << false << 15u;
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
        s.ws.startOperation(12);
        s.ws.selection().toggle(top);
        s.ws.console().handleLine(QString());
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

    void cutDialogAppliesItsLimits_data()
    {
        QTest::addColumn<bool>("preview");
        QTest::newRow("accepted") << false;
        QTest::newRow("previewed, then rejected: the preview stays") << true;
    }
    void cutDialogAppliesItsLimits()
    {
        QFETCH(bool, preview);
        Scene s(layered(4, 4, 4, 2));
        s.volume->painter().setCutLimits({1, 0, 0}, {4, 4, 4});
        answerNextDialog([preview](QDialog &d) {
            QCOMPARE(child<QSpinBox>(&d, "sbxLowerX")->value(), 1);
            child<QCheckBox>(&d, "chkPreview")->setChecked(preview);
            child<QSpinBox>(&d, "sbxLowerY")->setValue(3);
            child<QSlider>(&d, "sldUpperZ")->setValue(1);
            return preview ? d.reject() : d.accept();
        });
        s.ws.startOperation(16);
        QCOMPARE(s.cutLimits(), std::make_pair(Limits{1, 3, 0}, Limits{4, 4, 1}));
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
            return std::make_shared<Ui::Observers::BatchRunObserver>(ws, window);
        });
        s.volume->setUpperMask(QBitArray(9, true), 3, 3);
        if (selectVolume)
            s.ws.pickState().setSelected({s.volume});
        bool seen = false;
        TotalVolumePtr target;
        const auto close = [&](Ui::RunProcessesDialog &dialog) {
            seen = true;
            target = dialog.targetVolume();
            dialog.reject();
        };
        answerNextDialog<Ui::RunProcessesDialog>(close);
        s.ws.startOperation(24);
        // Without a selection the console asks first; the dialog opens on the answer.
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
