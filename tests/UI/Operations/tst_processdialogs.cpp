// The option dialogs of the processes: their material lists, masks, limits and bad input.
#include "Core/Operations/ExportData/exportdataoperation.h"
#include "Model/Automaton/particlecounts.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "UI/Operations/anisotropicdepositiondialog.h"
#include "UI/Operations/anisotropicetchingdialog.h"
#include "UI/Operations/bcaetchingdialog.h"
#include "UI/Operations/dopingoptionsdialog.h"
#include "UI/Operations/electrodepositiondialog.h"
#include "UI/Operations/exportdatadialog.h"
#include "UI/Operations/extractfilmdialog.h"
#include "UI/Operations/ionimplantationoptionsdialog.h"
#include "UI/Operations/isotropicdepositiondialog.h"
#include "UI/Operations/isotropicetchingdialog.h"
#include "UI/Operations/layoutplacementdialog.h"
#include "UI/Operations/maskedcutoptionsdialog.h"
#include "UI/Operations/maskfilegroup.h"
#include "UI/Operations/mooreoptionsdialog.h"
#include "UI/Operations/photolithographydialog.h"
#include "UI/Operations/planarizationoptionsdialog.h"
#include "UI/Operations/pvdoptionsdialog.h"
#include "UI/Operations/randomwalkdopingdialog.h"
#include "UI/Operations/simpleriedialog.h"
#include "UI/Operations/spincoatingoptionsdialog.h"
#include "catalogtesthome.h"
#include "nextdialog.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

using namespace Ui::Operations;
namespace Ops = Core::Operations;
using Model::Automaton::ParticleCounts;

using DialogMaker = std::function<QDialog *()>;
Q_DECLARE_METATYPE(DialogMaker)

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

} // namespace

class tst_ProcessDialogs : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

private slots:
    void materialLists_data()
    {
        QTest::addColumn<DialogMaker>("make");
        QTest::addColumn<int>("process"); // 0: every material of the catalogue
        using D = DialogMaker;
        QTest::newRow("isotropic deposition") << D([] { return new IsotropicDepositionDialog(18); }) << 18;
        QTest::newRow("cvd") << D([] { return new IsotropicDepositionDialog(3); }) << 3;
        QTest::newRow("isotropic etching") << D([] { return new IsotropicEtchingDialog; }) << 10;
        QTest::newRow("electroplating") << D([] { return new ElectrodepositionDialog; }) << 0;
        QTest::newRow("anisotropic deposition") << D([] { return new AnisotropicDepositionDialog; }) << 16;
        QTest::newRow("anisotropic etching") << D([] { return new AnisotropicEtchingDialog; }) << 17;
        QTest::newRow("pvd") << D([] { return new PVDOptionsDialog; }) << 4;
        QTest::newRow("simple rie") << D([] { return new SimpleRIEDialog; }) << 0;
        QTest::newRow("doping") << D([] { return new DopingOptionsDialog; }) << 13;
        QTest::newRow("ion implantation") << D([] { return new IonImplantationOptionsDialog; }) << 15;
        QTest::newRow("extract film") << D([] { return new ExtractFilmDialog; }) << 0;
        QTest::newRow("moore") << D([] { return new MooreOptionsDialog; }) << 0;
        QTest::newRow("photolithography") << D([] { return new PhotolithographyDialog; }) << 0;
        QTest::newRow("pour material") << D([] { return new SpinCoatingOptionsDialog; }) << 0;
        QTest::newRow("random walk doping") << D([] { return new RandomWalkDopingDialog; }) << 0;
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
        // Every material list of the dialog (the conducting one of electroplating too), with swatches.
        const auto boxes = dialog->findChildren<QComboBox *>();
        QVERIFY(!boxes.isEmpty());
        for (const QComboBox *box : boxes) {
            QCOMPARE(materialIds(box), expected);
            const auto c = Model::Materials::MaterialFactory::instance()->getMaterial(expected.last()).color();
            const QImage swatch = box->itemIcon(box->count() - 1).pixmap(100, 100).toImage();
            QCOMPARE(swatch.size(), QSize(100, 100));
            QCOMPARE(QColor(swatch.pixel(50, 50)), QColor(int(c[0] * 255), int(c[1] * 255), int(c[2] * 255)));
        }
    }

    void listStepsFillTheDialogs()
    {
        BCAEtchingDialog dialog;
        // The smallest depth that etches one atomic layer can be entered.
        dialog.findChild<QDoubleSpinBox *>(QStringLiteral("dblDepth"))->setValue(0.125);
        QCOMPARE(dialog.depth(), 0.125);
        auto *model = dialog.findChild<QComboBox *>(QStringLiteral("cbxModel"));
        QVERIFY(model && model->isHidden());
        QCOMPARE(dialog.model(), QStringLiteral("BCA"));
        dialog.showModelChoice();
        QVERIFY(!model->isHidden());
        dialog.setParameters({{QStringLiteral("Depth"), 2.75}, {QStringLiteral("Etch Model"), QStringLiteral("CCA")}});
        QCOMPARE(dialog.model(), QStringLiteral("CCA"));
        // A step of an older list has no model: bond counting.
        dialog.setParameters({{QStringLiteral("Depth"), 1.0}});
        QCOMPARE(dialog.model(), QStringLiteral("BCA"));
        // The next dialog starts from the depth last accepted.
        dialog.accept();
        QCOMPARE(BCAEtchingDialog().depth(), 1.0);

        // A material the process does not offer leaves the choice as it was.
        IsotropicDepositionDialog cvd(3);
        cvd.setParameters({{QStringLiteral("Thickness"), 1.5}, {QStringLiteral("Material_Id"), 1u}});
        QCOMPARE(cvd.thickness(), 1.5);
        QCOMPARE(cvd.material(), 3u);
    }

    void planarizationIsBoundedByTheVolume()
    {
        PlanarizationOptionsDialog dialog;
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

    // ---- masks ----

    void onlyPhotolithographyOffersLayouts()
    {
        PhotolithographyDialog dialog;
        QVERIFY(dialog.topGroup()->layoutsAccepted());
        QVERIFY(dialog.bottomGroup()->layoutsAccepted());
        QVERIFY(!MaskedCutOptionsDialog().maskGroup()->layoutsAccepted());
        QVERIFY(MaskFileGroup::isLayoutFile(QStringLiteral("/a/b.GDS")));
        QVERIFY(!MaskFileGroup::isLayoutFile(QStringLiteral("/a/gds.png")));
    }

    void applyAndRemoveHandTheMaskOnAtOnce()
    {
        PhotolithographyDialog dialog;
        QSignalSpy top(&dialog, &PhotolithographyDialog::topMaskChanged);
        QSignalSpy bottom(&dialog, &PhotolithographyDialog::bottomMaskChanged);
        MaskFileGroup *group = dialog.topGroup();
        group->fileNameEdit()->setText(QStringLiteral(EXAMPLES_DIR "/masks/cross.png"));
        QTest::mouseClick(group->applyButton(), Qt::LeftButton);
        QCOMPARE(top.count(), 1);
        QCOMPARE(bottom.count(), 0);
        QCOMPARE(top.at(0).at(1).toUInt(), 100u);
        QCOMPARE(top.at(0).at(2).toUInt(), 100u);
        QCOMPARE(top.at(0).at(0).toBitArray(), dialog.topMask().bits);
        QVERIFY(dialog.topMask().covers(50, 0));
        QVERIFY(!dialog.topMask().covers(0, 0));
        QTest::mouseClick(group->removeButton(), Qt::LeftButton);
        QCOMPARE(top.count(), 2);
        QVERIFY(top.at(1).at(0).toBitArray().isEmpty());
        QVERIFY(dialog.topMask().isEmpty());

        // A layout's layer is rasterized over the volume's columns: layer 2 covers x 6 to 10.
        group->setColumns(10, 8);
        bool asked = false;
        group->setPlacementChooser(choose(2, &asked));
        group->fileNameEdit()->setText(layouts + QStringLiteral("layers.gds"));
        QTest::mouseClick(group->applyButton(), Qt::LeftButton);
        QVERIFY(asked);
        QCOMPARE(top.count(), 3);
        QCOMPARE(top.at(2).at(1).toUInt(), 10u);
        QCOMPARE(top.at(2).at(2).toUInt(), 8u);
        for (uint32_t x = 0; x < 10; ++x)
            for (uint32_t y = 0; y < 8; ++y)
                QCOMPARE(dialog.topMask().covers(x, y), x < 6);
        QCOMPARE(group->maskFile(), layouts + QStringLiteral("layers.gds"));
    }

    void badMaskFilesWarnAndKeepTheMask_data()
    {
        QTest::addColumn<int>("group"); // 0 top, 1 bottom, 2 the masked cut's
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("contents"); // written to `file` in a temporary folder when given
        QTest::addColumn<int>("layer");           // -1: the placement dialog is cancelled
        QTest::addColumn<bool>("knownColumns");
        QTest::addColumn<QString>("reason"); // empty: the bare warning; null: no warning at all
        const QByteArray none;
        QTest::newRow("broken image") << 0 << "junk.png" << QByteArray("\x89PNG broken") << 1 << true << "";
        QTest::newRow("missing image") << 1 << "missing.bmp" << none << 1 << true << "";
        QTest::newRow("masked cut, missing image") << 2 << "missing.png" << none << 1 << true << "";
        QTest::newRow("absent layer") << 0 << "layers.gds" << none << 7 << true
                                      << "Layer 7, datatype 0 is not in the layout.";
        QTest::newRow("not a GDSII file")
            << 0 << "bad.gds" << QByteArray("hello, layout\n") << 1 << true << "It is not a GDSII file.";
        QTest::newRow("no volume yet") << 1 << "layers.gds" << none << 1 << false << "its size is not known yet.";
        QTest::newRow("placement cancelled") << 1 << "square.gds" << none << -1 << true << QString();
    }
    void badMaskFilesWarnAndKeepTheMask()
    {
        QFETCH(int, group);
        QFETCH(QString, file);
        QFETCH(QByteArray, contents);
        QFETCH(int, layer);
        QFETCH(bool, knownColumns);
        QFETCH(QString, reason);
        PhotolithographyDialog photolithography;
        MaskedCutOptionsDialog cut;
        MaskFileGroup *mask =
            group == 0 ? photolithography.topGroup() : (group == 1 ? photolithography.bottomGroup() : cut.maskGroup());
        const QString warning =
            group == 1 ? QStringLiteral("Bottom mask not found error!<br/>Please verify if the filename is correct "
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
        if (!contents.isEmpty()) {
            path = dir.filePath(file);
            QFile bad(path);
            QVERIFY(bad.open(QIODevice::WriteOnly));
            bad.write(contents);
        }
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

    void placementDialogFitsEachLayer()
    {
        Ops::GdsLayout layout;
        QVERIFY(layout.load(layouts + QStringLiteral("layers.gds")));
        LayoutPlacementDialog dialog(layout, 10, 8);
        QCOMPARE(dialog.layerComboBox()->count(), 3);
        QCOMPARE(dialog.layerComboBox()->itemText(1), QStringLiteral("Layer 1, datatype 5 (1 shape)"));
        QCOMPARE(dialog.layerComboBox()->itemText(2), QStringLiteral("Layer 2, datatype 0 (1 shape)"));
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

    // ---- random-walk doping and its export ----

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

    void exportDialogWantsAFileAndRemembersItsFolder()
    {
        ExportDataDialog::setLastFolder(m_dir.path());
        ExportDataDialog dialog({ParticleCounts::nTypeName(), ParticleCounts::pTypeName()});
        QCOMPARE(dialog.fileName(), m_dir.path() + QStringLiteral("/output.csv"));
        QCOMPARE(dialog.dataName(), ParticleCounts::nTypeName());
        dialog.findChild<QComboBox *>(QStringLiteral("cbxData"))->setCurrentIndex(1);
        QCOMPARE(dialog.dataName(), ParticleCounts::pTypeName());
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
};

QTEST_MAIN(tst_ProcessDialogs)
#include "tst_processdialogs.moc"
