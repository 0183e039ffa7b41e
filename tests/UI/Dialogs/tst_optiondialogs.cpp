// The option dialogs of the processes and of whole volumes: material lists, masks, limits, bad input.
#include "Core/Engines/RandomWalk/randomwalkdoping.h"
#include "Core/Operations/Document/exportdataoperation.h"
#include "Core/Operations/Document/runmodelextraction.h"
#include "Core/Processes/cvdprocess.h"
#include "Core/Processes/processregistry.h"
#include "Core/workspace.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "Model/Volume/particlecounts.h"
#include "UI/Dialogs/cutcellvolumedialog.h"
#include "UI/Dialogs/exportdatadialog.h"
#include "UI/Dialogs/extractmodeldialog.h"
#include "UI/Dialogs/layoutplacementdialog.h"
#include "UI/Dialogs/maskfilegroup.h"
#include "UI/ProcessDialogs/createsubstratedialog.h"
#include "UI/ProcessDialogs/electroplatingdialog.h"
#include "UI/ProcessDialogs/ionimplantationdialog.h"
#include "UI/ProcessDialogs/isotropicdepositiondialog.h"
#include "UI/ProcessDialogs/isotropicetchingdialog.h"
#include "UI/ProcessDialogs/photolithographydialog.h"
#include "UI/ProcessDialogs/planarizationdialog.h"
#include "UI/ProcessDialogs/randomwalkdopingdialog.h"
#include "UI/ProcessDialogs/siwetetchingdialog.h"
#include "UI/dialogtesting.h"
#include "UI/operationfactory.h"
#include "Util/runcontrol.h"
#include "cantileverscenes.h"
#include "catalogtesthome.h"
#include "gdsbytes.h"
#include "nextdialog.h"
#include "screenshots.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>

using namespace Ui::Operations;
namespace Ops = Core::Operations;
using Model::Automaton::ParticleCounts;

using DialogMaker = std::function<QDialog *()>;
Q_DECLARE_METATYPE(DialogMaker)

using Core::Operations::RunModelExtraction;
using Triple = CutCellVolumeDialog::Triple;
Q_DECLARE_METATYPE(Triple)

namespace {

const QString layouts = QStringLiteral(TEST_DATA_DIR "/layouts/");

QList<uint> materialIds(const QComboBox *box)
{
    QList<uint> ids;
    for (int i = 0; i < box->count(); ++i)
        ids << box->itemData(i).toUInt();
    return ids;
}

/// A placement chooser that takes `layer` at 1 micrometre per cell from the origin.
MaskFileGroup::PlacementChooser choose(int layer, bool *asked = nullptr)
{
    return [=](const Ops::GdsLayout &, uint32_t, uint32_t, Ops::LayoutPlacement &placement) {
        if (asked)
            *asked = true;
        placement.layer = {layer, 0};
        placement.micronsPerCell = 1.0;
        placement.offsetX = placement.offsetY = 0.0;
        return true;
    };
}

void fill(QDialog &dialog, const QString &name, const QString &text)
{
    auto *edit = dialog.findChild<QLineEdit *>(name);
    QVERIFY2(edit, qPrintable(name));
    edit->setText(text);
}

QString problemShown(QDialog &dialog)
{
    auto *label = dialog.findChild<QLabel *>(QStringLiteral("lblProblem"));
    return label && !label->isHidden() ? label->text() : QString();
}

QSpinBox *spin(QDialog &dialog, const QString &name) { return child<QSpinBox>(&dialog, name); }
QSlider *slider(QDialog &dialog, const QString &name) { return child<QSlider>(&dialog, QStringLiteral("sld") + name); }

void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

/// A workspace with a cantilever, whose model extraction comes from the window's own factory.
struct ExtractionScene {
    Core::Workspace ws;
    std::shared_ptr<Model::Automaton::TotalVolume> volume =
        CantileverScenes::block({CantileverScenes::Beam{4, 30, 4, 3}});
    QPointer<ExtractModelDialog> dialog;

    ExtractionScene()
    {
        ws.setOperationFactory(std::make_shared<Ui::OperationFactory>(ws, nullptr));
        ws.document().addObject(volume);
    }
    // A dialog still open at the end of a test is closed with its operation.
    ~ExtractionScene() { ws.cancelCurrentOperation(); }
    std::shared_ptr<RunModelExtraction> start()
    {
        ws.startOperation(1000);
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *d = qobject_cast<ExtractModelDialog *>(w); d && d->isVisible())
                dialog = d;
        }
        return std::dynamic_pointer_cast<RunModelExtraction>(ws.currentOperation());
    }
    int boxModels()
    {
        const auto objects = ws.document().allObjects();
        return int(std::count_if(objects.begin(), objects.end(), [](const auto &o) { return o->type() == 2; }));
    }
};

} // namespace

class tst_OptionDialogs : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        qRegisterMetaType<Triple>("std::array<uint32_t,3>");
        Model::Materials::MaterialFactory::instance()->createDefaultMaterials();
    }
    void cleanup() { flushDeletes(); }

    void materialLists_data()
    {
        QTest::addColumn<DialogMaker>("make");
        QTest::addColumn<int>("process"); // 0: every material of the catalogue
        using D = DialogMaker;
        QTest::newRow("isotropic deposition") << D([] {
            return new IsotropicDepositionDialog(
                Core::Processes::ProcessRegistry::get<Core::Processes::IsotropicDepositionProcess>());
        }) << 18;
        QTest::newRow("isotropic etching") << D([] { return new IsotropicEtchingDialog; }) << 10;
        QTest::newRow("electroplating") << D([] { return new ElectroplatingDialog; }) << 0;
        QTest::newRow("ion implantation") << D([] { return new IonImplantationDialog; }) << 15;
        QTest::newRow("photolithography") << D([] { return new PhotolithographyDialog; }) << 0;
    }
    void materialLists()
    {
        QFETCH(DialogMaker, make);
        QFETCH(int, process);
        // A process's dialog lists what the catalogue's process of that number offers at the time.
        auto *catalogue = Model::Process::ProcessFactory::instance().get();
        const auto old = catalogue->getProcess(uint32_t(process));
        if (process)
            catalogue->setProcess(Model::Process::Process(old.name(), uint32_t(process), {16, 9}));
        std::unique_ptr<QDialog> dialog(make());
        if (process)
            catalogue->setProcess(old);
        QList<uint> expected{16, 9};
        if (!process) {
            expected.clear();
            for (const auto &material : Model::Materials::MaterialFactory::instance()->getMaterials())
                expected << material.id();
        }
        // Every material list of the dialog (the conducting one of electroplating too), with swatches
        // about the text's height, and whole names even with the dialog at its smallest.
        dialog->show();
        dialog->resize(1, 1);
        QCoreApplication::processEvents();
        saveShot(*dialog, QStringLiteral("material-list-") + QTest::currentDataTag());
        const auto boxes = dialog->findChildren<QComboBox *>();
        QVERIFY(!boxes.isEmpty());
        for (const QComboBox *box : boxes) {
            QCOMPARE(materialIds(box), expected);
            const auto c = Model::Materials::MaterialFactory::instance()->getMaterial(expected.last()).color();
            const QSize size = box->iconSize();
            QVERIFY2(size.height() <= box->fontMetrics().height() + 2, qPrintable(QString::number(size.height())));
            const QImage swatch = box->itemIcon(box->count() - 1).pixmap(size).toImage();
            QCOMPARE(QColor(swatch.pixel(swatch.width() / 2, swatch.height() / 2)),
                     QColor(int(c[0] * 255), int(c[1] * 255), int(c[2] * 255)));
            int widest = 0;
            for (int i = 0; i < box->count(); ++i)
                widest = std::max(widest, box->fontMetrics().horizontalAdvance(box->itemText(i)));
            QVERIFY2(box->width() >= widest + size.width(), qPrintable(QString::number(box->width())));
            QVERIFY(box->view()->minimumWidth() >= widest + size.width());
        }
        boxes.first()->showPopup();
        saveShot(*boxes.first()->view()->window(), QStringLiteral("material-popup-") + QTest::currentDataTag());
        boxes.first()->hidePopup();
    }

    void listStepsFillTheDialogs()
    {
        SiWetEtchingDialog dialog;
        // The smallest depth that etches one atomic layer can be entered.
        dialog.findChild<QDoubleSpinBox *>(QStringLiteral("dblDepth"))->setValue(0.125);
        QCOMPARE(dialog.depth(), 0.125);
        QCOMPARE(dialog.model(), QStringLiteral("BCA"));
        dialog.setParameters({{QStringLiteral("Depth"), 2.75}, {QStringLiteral("Etch Model"), QStringLiteral("CCA")}});
        QCOMPARE(dialog.model(), QStringLiteral("CCA"));
        // A step of an older list has no model: bond counting.
        dialog.setParameters({{QStringLiteral("Depth"), 1.0}});
        QCOMPARE(dialog.model(), QStringLiteral("BCA"));

        // A material the process does not offer leaves the choice as it was.
        IsotropicDepositionDialog cvd(Core::Processes::ProcessRegistry::get<Core::Processes::CvdProcess>());
        cvd.setParameters({{QStringLiteral("Thickness"), 1.5}, {QStringLiteral("Material_Id"), 1u}});
        QCOMPARE(cvd.thickness(), 1.5);
        QCOMPARE(cvd.material(), 3u);
    }

    // With a bath the dialog shows the (100) rate and depth it gives (30 wt % KOH at 70 degC:
    // 0.797 um/min, K. Sato et al., Sensors and Actuators A 64 (1998) 87), or why it is refused.
    void wetEtchingDialogShowsTheBath()
    {
        SiWetEtchingDialog dialog;
        Ui::ProcessDialogContext list;
        list.listStep = true;
        dialog.setContext(list);
        QCOMPARE(dialog.bathSummary(), QString());
        const QVariantMap bath{{QStringLiteral("Etch Model"), QStringLiteral("CCA")},
                               {QStringLiteral("Etchant"), QStringLiteral("KOH")},
                               {QStringLiteral("Concentration"), 30.0},
                               {QStringLiteral("Temperature"), 70.0},
                               {QStringLiteral("Etch Time"), 10.0},
                               {QStringLiteral("Cell Size"), 0.5},
                               {QStringLiteral("Wafer Orientation"), QStringLiteral("100")},
                               {QStringLiteral("Flat Angle"), 0.0}};
        dialog.setParameters(bath);
        QCOMPARE(dialog.bathSummary(), QStringLiteral("(100): 0.797 \u00b5m/min, 7.97 \u00b5m in 10 min"));
        // The depth is not among the values (an invalid value removes a step's parameter).
        QVariantMap given = dialog.parameters();
        QVERIFY(!given.take(QStringLiteral("Depth")).isValid());
        // A bath that leaves the oxide as it is has no "Oxide Etch Rate"; one that wears it has it.
        QVERIFY(!given.take(QStringLiteral("Oxide Etch Rate")).isValid());
        QCOMPARE(given, bath);
        QVariantMap wearing = bath;
        wearing.insert(QStringLiteral("Oxide Etch Rate"), 4.5);
        dialog.setParameters(wearing);
        QCOMPARE(dialog.parameters().value(QStringLiteral("Oxide Etch Rate")), QVariant(4.5));
        dialog.setParameters(bath);
        QVERIFY(!dialog.parameters().value(QStringLiteral("Oxide Etch Rate")).isValid());
        dialog.findChild<QComboBox *>(QStringLiteral("cbxEtchant"))->setCurrentText(QStringLiteral("TMAH"));
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("lblBath"))->text(),
                 QStringLiteral("invalid: \"Etchant\" TMAH is refused: this program holds no citable TMAH etch rates; "
                                "use KOH"));
        dialog.findChild<QComboBox *>(QStringLiteral("cbxEtchant"))->setCurrentIndex(0);
        QVERIFY(!dialog.parameters().value(QStringLiteral("Etchant")).isValid());
        QVERIFY(dialog.parameters().value(QStringLiteral("Depth")).isValid());
    }

    void planarizationIsBoundedByTheVolume()
    {
        PlanarizationDialog dialog;
        dialog.setHeightLimit(20);
        QCOMPARE(dialog.maximumHeight(), 20u);
        QCOMPARE(dialog.minimumSpinBox()->maximum(), 20);
        dialog.minimumSpinBox()->setValue(12);
        dialog.maximumSpinBox()->setValue(7);
        // The minimum follows the maximum down.
        QCOMPARE(dialog.minimumSpinBox()->maximum(), 7);
        QCOMPARE(dialog.minimumHeight(), 7u);
        // A list's step sets only the heights it has.
        dialog.setParameters(QVariantMap{{QStringLiteral("Maximum Height"), 15u}, {QStringLiteral("Other"), 9u}});
        QCOMPARE(dialog.maximumHeight(), 15u);
        QCOMPARE(dialog.minimumHeight(), 7u);
    }

    void applyAndRemoveHandTheMaskOnAtOnce()
    {
        PhotolithographyDialog dialog;
        QSignalSpy top(&dialog, &PhotolithographyDialog::topMaskChanged);
        QSignalSpy bottom(&dialog, &PhotolithographyDialog::bottomMaskChanged);
        MaskFileGroup *group = dialog.topGroup();
        // A layout's layer is rasterized over the volume's columns: layer 2 covers x 6 to 10.
        group->setColumns(10, 8);
        bool asked = false;
        group->setPlacementChooser(choose(2, &asked));
        group->fileNameEdit()->setText(layouts + QStringLiteral("layers.gds"));
        QTest::mouseClick(group->applyButton(), Qt::LeftButton);
        QVERIFY(asked);
        QCOMPARE(top.count(), 1);
        QCOMPARE(bottom.count(), 0);
        QCOMPARE(top.at(0).at(0).toBitArray(), dialog.topMask().bits);
        QCOMPARE(top.at(0).at(1).toUInt(), 10u);
        QCOMPARE(top.at(0).at(2).toUInt(), 8u);
        for (uint32_t x = 0; x < 10; ++x)
            for (uint32_t y = 0; y < 8; ++y)
                QCOMPARE(dialog.topMask().covers(x, y), x < 6);
        QCOMPARE(group->maskFile(), layouts + QStringLiteral("layers.gds"));
        QTest::mouseClick(group->removeButton(), Qt::LeftButton);
        QCOMPARE(top.count(), 2);
        QVERIFY(top.at(1).at(0).toBitArray().isEmpty());
        QVERIFY(dialog.topMask().isEmpty());
    }

    void badMaskFilesWarnAndKeepTheMask_data()
    {
        QTest::addColumn<bool>("bottom"); // the bottom mask, else the top one
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("contents"); // written to `file` in a temporary folder when given
        QTest::addColumn<int>("layer");           // -1: the placement dialog is cancelled
        QTest::addColumn<bool>("knownColumns");
        QTest::addColumn<QString>("reason"); // empty: the bare warning; null: no warning at all
        const QByteArray none;
        QTest::newRow("broken image") << false << "junk.png" << QByteArray("\x89PNG broken") << 1 << true << "";
        QTest::newRow("absent layer") << false << "layers.gds" << none << 7 << true
                                      << "Layer 7, datatype 0 is not in the layout.";
        QTest::newRow("not a GDSII file")
            << false << "bad.gds" << QByteArray("hello, layout\n") << 1 << true << "It is not a GDSII file.";
        QTest::newRow("no volume yet") << true << "layers.gds" << none << 1 << false << "its size is not known yet.";
        using namespace GdsBytes;
        QTest::newRow("hostile layout")
            << false << "hostile.gds"
            << library(structure("TOP", record(0x08) + record(0x0D) + points({0, 0, 9, 0, 9, 9, 0, 0}) + endElement()))
            << 1 << true << "The LAYER record at byte 102 holds 0 bytes of data where 2 are needed.";
        QTest::newRow("placement cancelled") << true << "square.gds" << none << -1 << true << QString();
    }
    void badMaskFilesWarnAndKeepTheMask()
    {
        QFETCH(bool, bottom);
        QFETCH(QString, file);
        QFETCH(QByteArray, contents);
        QFETCH(int, layer);
        QFETCH(bool, knownColumns);
        QFETCH(QString, reason);
        PhotolithographyDialog photolithography;
        MaskFileGroup *mask = bottom ? photolithography.bottomGroup() : photolithography.topGroup();
        const QString warning =
            bottom ? QStringLiteral("Bottom mask not found error!<br/>Please verify if the filename is correct "
                                    "and you have the correct permissions.")
                   : QStringLiteral("Top Mask file not found!<br/>Please verify the filename is correct and you "
                                    "have the correct permissions.");
        mask->fileNameEdit()->setText(QStringLiteral(EXAMPLES_DIR "/masks/square_opening.png"));
        mask->applyMask();
        QVERIFY(!mask->mask().isEmpty());
        const Ops::MaskBits previous = mask->mask();
        const QString previousFile = mask->maskFile();

        QTemporaryDir dir;
        QString path = file.endsWith(QLatin1String(".gds")) ? layouts + file : dir.filePath(file);
        if (!contents.isEmpty())
            path = writeFile(dir.filePath(file), contents);
        mask->setColumns(knownColumns ? 10 : Ops::anyColumns, knownColumns ? 8 : Ops::anyColumns);
        if (layer < 0)
            mask->setPlacementChooser(
                [](const Ops::GdsLayout &, uint32_t, uint32_t, Ops::LayoutPlacement &) { return false; });
        else
            mask->setPlacementChooser(choose(layer));
        QSignalSpy changed(mask, &MaskFileGroup::maskChanged);
        mask->fileNameEdit()->setText(path);
        QString shown;
        if (!reason.isNull())
            answerNextDialog<QMessageBox>([&shown](QMessageBox &box) {
                shown = box.text();
                box.close();
            });
        mask->applyMask();
        if (reason.isNull())
            QVERIFY(shown.isEmpty());
        else if (reason.isEmpty())
            QCOMPARE(shown, warning);
        else
            QVERIFY2(shown.startsWith(warning) && shown.contains(reason), qPrintable(shown));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(mask->mask().bits, previous.bits);
        QCOMPARE(mask->mask().width, previous.width);
        QCOMPARE(mask->maskFile(), previousFile);
    }

    // The layout is read in a thread of its own (the window keeps painting) and Cancel ends the read
    // without a word, the mask as it was.
    void layoutsAreReadOffTheWindowsThreadAndCanBeCancelled()
    {
        PhotolithographyDialog dialog;
        MaskFileGroup *group = dialog.topGroup();
        group->setColumns(10, 8);
        group->setPlacementChooser(choose(1));
        group->fileNameEdit()->setText(layouts + QStringLiteral("square.gds"));
        QThread *reader = nullptr;
        group->setReadControlCallback([&reader](Util::RunControl &control) {
            control.setBoundaryCallback([&reader](Util::RunControl &) { reader = QThread::currentThread(); });
        });
        QSignalSpy changed(group, &MaskFileGroup::maskChanged);
        group->applyMask();
        QCOMPARE(changed.count(), 1);
        QVERIFY(reader && reader != QThread::currentThread());
        QVERIFY(group->layoutPlacement().has_value());
        const Ops::MaskBits before = group->mask();

        group->fileNameEdit()->setText(layouts + QStringLiteral("layers.gds"));
        group->setReadControlCallback([](Util::RunControl &control) { control.requestStop(); });
        QStringList shown; // any warning, closed at once
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&shown] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                shown << box->text();
                box->close();
            }
        });
        closer.start(10);
        group->applyMask();
        closer.stop();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(group->mask().bits, before.bits);
        QCOMPARE(group->maskFile(), layouts + QStringLiteral("square.gds"));
        QVERIFY2(shown.isEmpty(), qPrintable(shown.join(QLatin1Char(' '))));
    }

    void placementDialogFitsEachLayer()
    {
        Ops::GdsLayout layout;
        QVERIFY(layout.load(layouts + QStringLiteral("layers.gds")));
        LayoutPlacementDialog dialog(layout, 10, 8);
        QCOMPARE(dialog.layerComboBox()->count(), 3);
        // Layer 1: 4 by 8 micrometres fill the 8 rows at 1 micrometre per cell, centred along x.
        QCOMPARE(dialog.offsetXSpinBox()->value(), -3.0);
        // Layer 1, datatype 5: 2 by 2 micrometres from (4, 0) fill the rows at 0.25 per cell.
        dialog.layerComboBox()->setCurrentIndex(1);
        QCOMPARE(dialog.offsetXSpinBox()->value(), 3.75);
        const Ops::LayoutPlacement placement = dialog.placement();
        QCOMPARE(placement.layer.layer, 1);
        QCOMPARE(placement.layer.datatype, 5);
        QCOMPARE(placement.micronsPerCell, 0.25);
        dialog.scaleSpinBox()->setValue(2.0);
        QCOMPARE(dialog.placement().micronsPerCell, 2.0);
        dialog.fitToVolume();
        QCOMPARE(dialog.placement().micronsPerCell, 0.25);
    }

    void randomWalkProblemsKeepTheDialogOpen_data()
    {
        QTest::addColumn<QVariantMap>("fields"); // over boron-like values that are accepted
        QTest::addColumn<QString>("problem");
        QTest::newRow("empty fields are named")
            << QVariantMap{{"lieDiffusionCoefficient", ""}, {"lieTimeStep", ""}, {"lieConcentration", ""}}
            << "Enter a value for Diffusion Coefficient, Time Step Duration, Dopant concentration.";
        QTest::newRow("not a number") << QVariantMap{{"lieTimeStep", "fast"}}
                                      << "Not a number: Time Step Duration (\"fast\").";
        // 6 D dt <= a^2: with a = 10 nm and D = 1e-17 m^2/s a step may last 1e-16 / 6e-17 s.
        QTest::newRow("time step beyond stability")
            << QVariantMap{{"lieTimeStep", "2"}} << "largest allowed time step is 1.66667 s";
        QTest::newRow("seed not a whole number")
            << QVariantMap{{"lieSeed", "x1"}}
            << "The random seed must be a whole number from 0 to 18446744073709551615, or empty.";
    }
    void randomWalkProblemsKeepTheDialogOpen()
    {
        QFETCH(QVariantMap, fields);
        QFETCH(QString, problem);
        RandomWalkDopingDialog dialog;
        fill(dialog, QStringLiteral("lieDiffusionCoefficient"), QStringLiteral("1e-13"));
        fill(dialog, QStringLiteral("lieCellSize"), QStringLiteral("0.01"));
        fill(dialog, QStringLiteral("lieTimeStep"), QStringLiteral("1"));
        fill(dialog, QStringLiteral("lieConcentration"), QStringLiteral("1e20"));
        QCOMPARE(dialog.problem(), QString());
        for (auto it = fields.constBegin(); it != fields.constEnd(); ++it)
            fill(dialog, it.key(), it.value().toString());
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY2(problemShown(dialog).contains(problem), qPrintable(problemShown(dialog)));
    }

    // Given the volume's cells the dialog shows how long the walk will take, and asks before one
    // of more than an hour starts; "No" keeps the dialog open.
    void randomWalkShowsItsEstimateAndAsksBeforeALongRun()
    {
        RandomWalkDopingDialog dialog;
        fill(dialog, QStringLiteral("lieDiffusionCoefficient"), QStringLiteral("1e-13"));
        fill(dialog, QStringLiteral("lieCellSize"), QStringLiteral("0.01"));
        fill(dialog, QStringLiteral("lieTimeStep"), QStringLiteral("1"));
        fill(dialog, QStringLiteral("lieConcentration"), QStringLiteral("1e20"));
        auto *label = dialog.findChild<QLabel *>(QStringLiteral("lblEstimate"));
        QCOMPARE(dialog.estimate(), QString()); // the volume is not known
        dialog.setCellCount(1000);
        // 60 minutes of one-second steps.
        const QString shortRun = QStringLiteral("at least %1 (3600 time steps over 1000 cells)")
                                     .arg(Ops::RandomWalkDopingInput::durationText(
                                         3600.0 * 1000 * Ops::RandomWalkDoping::secondsPerCellStep));
        QCOMPARE(dialog.estimate(), shortRun);
        QCOMPARE(label->text(), QStringLiteral("Estimated time: ") + shortRun);
        // 71,582,788 minutes: 4294967280 steps, the longest walks there are.
        dialog.findChild<QDoubleSpinBox *>(QStringLiteral("dblDopingTime"))->setValue(71582788.0);
        dialog.setCellCount(100 * 100 * 100);
        const double seconds = 4294967280.0 * 1e6 * Ops::RandomWalkDoping::secondsPerCellStep;
        const QString longRun = QStringLiteral("at least %1 (4294967280 time steps over 1000000 cells)")
                                    .arg(Ops::RandomWalkDopingInput::durationText(seconds));
        QCOMPARE(label->text(), QStringLiteral("Estimated time: ") + longRun);
        for (auto answer : {QMessageBox::No, QMessageBox::Yes}) {
            QString asked;
            answerNextDialog<QMessageBox>([&asked, answer](QMessageBox &box) {
                asked = box.text();
                box.button(answer)->click();
            });
            dialog.accept();
            QCOMPARE(asked, QStringLiteral("The doping is estimated to run for %1. Start it?").arg(longRun));
            QCOMPARE(dialog.result(), answer == QMessageBox::Yes ? int(QDialog::Accepted) : int(QDialog::Rejected));
        }
    }

    void exportDialogWantsAFileAndRemembersItsFolder()
    {
        ExportDataDialog::setLastFolder(m_dir.path());
        ExportDataDialog dialog({ParticleCounts::nTypeName(), ParticleCounts::pTypeName()});
        QCOMPARE(dialog.fileName(), m_dir.path() + QStringLiteral("/output.csv"));
        auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("lieFileName"));
        name->clear();
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(problemShown(dialog), QStringLiteral("Enter the name of the file to write."));
        // OK remembers the folder of the chosen file for the next dialog.
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("sub")));
        name->setText(m_dir.filePath(QStringLiteral("sub/a.csv")));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(ExportDataDialog::lastFolder(), m_dir.filePath(QStringLiteral("sub")));
    }

    void substrateLimits_data()
    {
        // The volume is 100 x 100 x 80 and the box 100 x 100 x 30 at first.
        QTest::addColumn<QString>("field"); // empty: the dialog as it opens
        QTest::addColumn<int>("newValue");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("value");
        QTest::newRow("room for a z offset at first") << "" << 0 << "sbxSubsZ" << 50 << 0;
        QTest::newRow("centre z inside at first") << "" << 0 << "sbxSubsCenterZ" << 79 << 0;
        QTest::newRow("width sets box width max and value") << "sbxTotalWidth" << 40 << "sbxSubsWidth" << 40 << 40;
        QTest::newRow("width leaves no room for an x offset") << "sbxTotalWidth" << 40 << "sbxSubsX" << 0 << 0;
        QTest::newRow("height keeps a fitting box height") << "sbxTotalHeight" << 60 << "sbxSubsHeight" << 60 << 30;
        QTest::newRow("height clips the box height") << "sbxTotalHeight" << 20 << "sbxSubsHeight" << 20 << 20;
        QTest::newRow("height limits the centre z") << "sbxTotalHeight" << 20 << "sbxSubsCenterZ" << 19 << 0;
        QTest::newRow("box width opens the x offset") << "sbxSubsWidth" << 70 << "sbxSubsX" << 30 << 0;
        QTest::newRow("thin box height") << "sbxSubsHeight" << 5 << "sbxSubsZ" << 75 << 0;
    }
    void substrateLimits()
    {
        QFETCH(QString, field);
        QFETCH(int, newValue);
        QFETCH(QString, checked);
        QFETCH(int, maximum);
        QFETCH(int, value);
        Ui::Operations::CreateSubstrateDialog dialog;
        if (!field.isEmpty())
            spin(dialog, field)->setValue(newValue);
        QCOMPARE(spin(dialog, checked)->maximum(), maximum);
        QCOMPARE(spin(dialog, checked)->value(), value);
    }

    void cutRangesComeFromTheVolume()
    {
        CutCellVolumeDialog dialog;
        dialog.setVolume({8, 6, 4}, {1, 0, 2}, {5, 6, 3});
        const int sizes[3] = {8, 6, 4};
        for (int i = 0; i < 3; ++i) {
            const QString axis(QLatin1Char("XYZ"[i]));
            QCOMPARE(spin(dialog, "sbxLower" + axis)->maximum(), sizes[i] - 1);
            QCOMPARE(spin(dialog, "sbxUpper" + axis)->maximum(), sizes[i]);
            QCOMPARE(slider(dialog, "Upper" + axis)->maximum(), sizes[i]);
        }
        QCOMPARE(dialog.lower(), (Triple{1, 0, 2}));

        // A one-cell axis keeps its only cell; a box of the last cell on the others.
        dialog.setVolume({1, 3, 3}, {0, 0, 0}, {1, 3, 3});
        QCOMPARE(spin(dialog, "sbxLowerX")->maximum(), 0);
        QCOMPARE(spin(dialog, "sbxUpperX")->maximum(), 1);
        spin(dialog, "sbxLowerY")->setValue(2);
        spin(dialog, "sbxLowerZ")->setValue(2);
        QCOMPARE(dialog.lower(), (Triple{0, 2, 2}));
        QCOMPARE(dialog.upper(), (Triple{1, 3, 3}));
    }

    void cutLimitsPushEachOther_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("lower");
        QTest::addColumn<int>("upper");
        // X starts at lower 2, upper 5 of 8 cells.
        QTest::newRow("lower below upper") << "LowerX" << 4 << 4 << 5;
        QTest::newRow("lower onto upper") << "LowerX" << 5 << 5 << 6;
        QTest::newRow("upper above lower") << "UpperX" << 3 << 2 << 3;
        QTest::newRow("upper onto lower") << "UpperX" << 2 << 1 << 2;
    }
    void cutLimitsPushEachOther()
    {
        QFETCH(QString, box);
        QFETCH(int, value);
        QFETCH(int, lower);
        QFETCH(int, upper);
        CutCellVolumeDialog dialog;
        dialog.setVolume({8, 8, 8}, {2, 0, 0}, {5, 8, 8});
        slider(dialog, box)->setValue(value);
        QCOMPARE(spin(dialog, "sbxLowerX")->value(), lower);
        QCOMPARE(spin(dialog, "sbxUpperX")->value(), upper);
        QCOMPARE(slider(dialog, QStringLiteral("LowerX"))->value(), lower);
        QCOMPARE(slider(dialog, QStringLiteral("UpperX"))->value(), upper);
        // The other axes are not touched.
        QCOMPARE(dialog.lower()[1], 0u);
        QCOMPARE(dialog.upper()[2], 8u);
    }

    void cutPreviewAppliesAllSixLimitsOncePerChange()
    {
        CutCellVolumeDialog dialog;
        dialog.setVolume({8, 8, 8}, {2, 0, 0}, {5, 8, 8});
        QSignalSpy spy(&dialog, &CutCellVolumeDialog::previewRequested);
        spin(dialog, "sbxLowerY")->setValue(1);
        child<QCheckBox>(&dialog, "chkPreview")->setChecked(true);
        QCOMPARE(spy.count(), 0);
        // A push moves two limits but is one change.
        slider(dialog, QStringLiteral("LowerX"))->setValue(6);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.last().at(0).value<Triple>(), (Triple{6, 1, 0}));
        QCOMPARE(spy.last().at(1).value<Triple>(), (Triple{7, 8, 8}));
        // Reset gives back the whole volume.
        dialog.findChild<QPushButton *>(QStringLiteral("btnReset"))->click();
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.last().at(0).value<Triple>(), (Triple{0, 0, 0}));
        QCOMPARE(spy.last().at(1).value<Triple>(), (Triple{8, 8, 8}));
        QCOMPARE(dialog.upper(), (Triple{8, 8, 8}));
    }

    void extractionStepsAreEnabledInTurnAndClosingFinishes_data()
    {
        QTest::addColumn<bool>("cancel"); // the operation cancelled instead of the dialog closed
        QTest::addColumn<QString>("message");
        QTest::newRow("dialog closed") << false << "Model Extraction: Model extracted.";
        QTest::newRow("operation cancelled") << true << "Model Extraction: Operation canceled.";
    }
    void extractionStepsAreEnabledInTurnAndClosingFinishes()
    {
        QFETCH(bool, cancel);
        QFETCH(QString, message);
        ExtractionScene s;
        QTemporaryDir dir;
        auto op = s.start();
        QCOMPARE(op->state(), RunModelExtraction::DialogOpen);
        QPointer<ExtractModelDialog> dialog = s.dialog;
        QVERIFY(dialog && dialog->isVisible());
        QVERIFY(!dialog->stepTwoButton()->isEnabled());
        QTest::mouseClick(dialog->stepOneButton(), Qt::LeftButton);
        QVERIFY(!dialog->stepOneButton()->isEnabled());
        QVERIFY(dialog->stepTwoButton()->isEnabled());
        QVERIFY(!dialog->stepThreeButton()->isEnabled());
        QCOMPARE(s.boxModels(), 1);
        QTest::mouseClick(dialog->stepTwoButton(), Qt::LeftButton);
        QVERIFY(!dialog->stepTwoButton()->isEnabled());
        QVERIFY(dialog->stepThreeButton()->isEnabled());
        QCOMPARE(s.boxModels(), 2);

        dialog->cellEdgeSpinBox()->setValue(1.0);
        QCOMPARE(op->lengthPerUnit(), 1.0e-6);
        const QString file = dir.filePath(QStringLiteral("beam.cir"));
        answerNextDialog([&file](QDialog &files) {
            qobject_cast<QFileDialog *>(&files)->selectFile(file);
            files.accept();
        });
        QTest::mouseClick(dialog->stepThreeButton(), Qt::LeftButton);
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly | QIODevice::Text));
        // 1 micrometre edges: aluminium 30 x 4 x 3 has k = 70 N/m.
        QCOMPARE(QString::fromUtf8(written.readAll()),
                 QStringLiteral("Model extracted by Cellforge\nc1 1 0 2.29114e-13 \nl1 1 0 0.0142857 \n.end \n"));
        QVERIFY(dialog->stepThreeButton()->isEnabled()); // may be saved again

        if (cancel)
            s.ws.cancelCurrentOperation();
        else
            dialog->close();
        flushDeletes();
        QVERIFY(!dialog);
        QCOMPARE(op->state(), RunModelExtraction::Done);
        QCOMPARE(s.boxModels(), 0);
        QVERIFY(!s.volume->view().extractionDisplay());
        QVERIFY(!s.ws.currentOperation());
        QCOMPARE(s.ws.console().message(), message);
    }
};

QTEST_MAIN(tst_OptionDialogs)
#include "tst_optiondialogs.moc"
