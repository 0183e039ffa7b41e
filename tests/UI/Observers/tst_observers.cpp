// The observers that open an operation's option dialog and hand its values over, reached through
// the window's own operation factory.
#include "Core/Operations/ExportData/exportdataoperation.h"
#include "Core/Operations/gluesubstrateoperation.h"
#include "Core/Operations/randomwalkdopingoperation.h"
#include "Core/Operations/simplereactiveionetchingoperation.h"
#include "Core/workspace.h"
#include "Model/Automaton/particlecounts.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Materials/materialfactory.h"
#include "UI/BatchRun/runprocessesdialog.h"
#include "UI/Observers/batchrunobserver.h"
#include "UI/Operations/maskedcutoptionsdialog.h"
#include "UI/Operations/maskfilegroup.h"
#include "UI/Operations/mooreoptionsdialog.h"
#include "UI/Operations/photolithographydialog.h"
#include "UI/Operations/planarizationoptionsdialog.h"
#include "UI/Operations/spincoatingoptionsdialog.h"
#include "UI/operationfactory.h"
#include "catalogtesthome.h"
#include "consolelog.h"
#include "nextdialog.h"
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
using Model::Automaton::TotalVolumePtr;
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

template <class Widget> Widget *child(QDialog &dialog, const char *name)
{
    return dialog.findChild<Widget *>(QLatin1String(name));
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

} // namespace

class tst_Observers : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

private slots:
    void initTestCase() { Model::Materials::MaterialFactory::instance()->createDefaultMaterials(); }

    void rejectedDialogsCancelAndChangeNothing_data()
    {
        QTest::addColumn<uint>("operation");
        QTest::addColumn<QString>("message"); // empty: not checked
        QTest::newRow("isotropic deposition") << 13u << "Isotropic Deposition: Operation canceled.";
        QTest::newRow("ion implantation") << 3u << "Ion Implantation: Operation Canceled!";
        QTest::newRow("doping") << 17u << "";
        QTest::newRow("random walk doping") << 36u << "Random Walk Doping: Operation Canceled!";
        QTest::newRow("planarization") << 22u << "Planarization: Operation canceled!";
        QTest::newRow("change cut planes") << 16u << "Change Cut Planes: Operation Canceled!";
        QTest::newRow("extract film") << 8u << "";
        QTest::newRow("moore deposition") << 18u << "";
    }
    void rejectedDialogsCancelAndChangeNothing()
    {
        QFETCH(uint, operation);
        QFETCH(QString, message);
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
        if (!message.isEmpty())
            QCOMPARE(s.message(), message);
        QVERIFY(!s.ws.currentOperation());
        QVERIFY(!s.ws.undoRedo().canUndo());
        QCOMPARE(cellStates(*s.volume), before);
        QCOMPARE(s.ws.document().allObjects().size(), 1);
        QCOMPARE(s.cutLimits(), std::make_pair(Limits{0, 0, 0}, Limits{12, 10, 8}));
    }

    // ---- deposition, etching and doping ----

    void cvdAndRieTakeTheirOptions()
    {
        Scene s(layered(4, 4, 8, 3));
        answerNextDialog([](QDialog &d) {
            setValue(d, "dblThickness", 2.0);
            chooseMaterial(d, 16);
            d.accept();
        });
        s.ws.startOperation(33);
        QCOMPARE(s.message(), QStringLiteral("CVD: Operation finished."));
        QCOMPARE(stateAt(*s.volume, 1, 1, 3), 16u);
        QCOMPARE(stateAt(*s.volume, 1, 1, 4), 16u);
        QCOMPARE(stateAt(*s.volume, 1, 1, 5), 0u);
        const auto states = cellStates(*s.volume); // two whole layers, nothing at the top of the volume
        QCOMPARE(std::count(states.begin(), states.end(), 16u), 4L * 4 * 2);
        QCOMPARE(s.ws.undoRedo().undoName(), QStringLiteral("CVD"));

        answerNextDialog([](QDialog &d) {
            child<QSpinBox>(d, "sbxDepth")->setValue(2);
            child<QCheckBox>(d, "chkFromTop")->setChecked(false);
            child<QCheckBox>(d, "chkFromBelow")->setChecked(true);
            chooseMaterial(d, 1);
            d.accept();
        });
        s.ws.startOperation(30);
        QCOMPARE(s.message(), QStringLiteral("Simple RIE: Operation finished."));
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
                child<QLineEdit>(d, field.first)->setText(QLatin1String(field.second));
            setValue(d, "dblDopingTime", 0.5);
            setValue(d, "dblThreshold", 20.0);
            chooseMaterial(child<QComboBox>(d, "cbxDopingMaterial"), 14);
            d.accept();
        });
        s.ws.startOperation(36);
        QCOMPARE(s.message(), QStringLiteral("Random Walk Doping: Operation finished."));
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
            child<QLineEdit>(d, "lieFileName")->setText(path);
            d.accept();
        });
        s.ws.startOperation(37);
        QCOMPARE(s.message(), QStringLiteral("Export Data:  data saved."));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith("X: 0\n5.0000000000e+00 ; 0.0000000000e+00 ; "));
    }

    // ---- layers ----

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
        QCOMPARE(s.message(), QStringLiteral("Moore film deposition: Operation finished."));
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
        QCOMPARE(s.message(), QStringLiteral("Photolithography: Operation finished."));
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
        QCOMPARE(s.message(), QStringLiteral("Spin Coating: Operation finished."));
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
        QCOMPARE(s.message(), QStringLiteral("Planarization: Operation finished."));
        QCOMPARE(bounds[0], 8);
        QCOMPARE(bounds[1], 8);
        // Then planarized to the layers 1 and 2.
        const std::vector<uint32_t> column{0, 1, 1, 0, 0, 0, 0, 0};
        for (uint32_t z = 0; z < 8; ++z)
            QCOMPARE(stateAt(*s.volume, 0, 0, z), column[z]);
    }

    // ---- whole volumes ----

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
            QCOMPARE(child<QSpinBox>(d, "sbxFinalSizeZ")->value(), 15);
            QCOMPARE(child<QSpinBox>(d, "sbxDisplacementX")->maximum(), 2);
            child<QSpinBox>(d, "sbxDisplacementX")->setValue(2);
            child<QSpinBox>(d, "sbxDisplacementY")->setValue(shift);
            child<QCheckBox>(d, "chkInvert")->setChecked(invert || !accept);
            if (!accept)
                child<QSpinBox>(d, "sbxFinalSizeZ")->setValue(30);
            return accept ? d.accept() : d.reject();
        });
        // As a user does: select the base, start, select the top, Enter.
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
        if (accept) {
            // The top covers x 2 to 5 and y `shift` to `shift` + 2 from z = 10 up.
            const uint32_t y = uint32_t(shift);
            QCOMPARE(stateAt(*result, 0, 0, 9), 1u);
            QCOMPARE(stateAt(*result, 2, y, 10), 2u);
            QCOMPARE(stateAt(*result, 5, y + 2, 14), 2u);
            QCOMPARE(stateAt(*result, 1, y, 10), 0u);
            QCOMPARE(stateAt(*result, 2, shift ? 1 : 3, 10), 0u);
        }
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
            QCOMPARE(child<QSpinBox>(d, "sbxLowerX")->value(), 1);
            child<QCheckBox>(d, "chkPreview")->setChecked(preview);
            child<QSpinBox>(d, "sbxLowerY")->setValue(3);
            child<QSlider>(d, "sldUpperZ")->setValue(1);
            return preview ? d.reject() : d.accept();
        });
        s.ws.startOperation(16);
        QCOMPARE(s.message(), QStringLiteral("Change Cut Planes: Cut planes changed."));
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
        // Closed as soon as it shows, remembering the volume it was opened for.
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
