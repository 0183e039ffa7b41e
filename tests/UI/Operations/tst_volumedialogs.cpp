// The dialogs that make, cut, glue and measure whole cell volumes.
#include "Core/Operations/createsubstrateoperation.h"
#include "Core/Operations/runmodelextraction.h"
#include "Core/workspace.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Materials/materialfactory.h"
#include "Model/ModelExtraction/cantileverstructure.h"
#include "UI/Observers/createsubstrateobserver.h"
#include "UI/Operations/createsubstratedialog.h"
#include "UI/Operations/cutcellvolumedialog.h"
#include "UI/Operations/extractmodeldialog.h"
#include "UI/Operations/gluesubstratedialog.h"
#include "UI/operationfactory.h"
#include "cantileverscenes.h"
#include "catalogtesthome.h"
#include "nextdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using Core::Operations::RunModelExtraction;
using Ui::Operations::CutCellVolumeDialog;
using Ui::Operations::ExtractModelDialog;
using Triple = CutCellVolumeDialog::Triple;
Q_DECLARE_METATYPE(Triple)

namespace {

QSpinBox *spin(QDialog &dialog, const QString &name)
{
    auto *box = dialog.findChild<QSpinBox *>(name);
    if (!box)
        qFatal("no spin box %s", qPrintable(name));
    return box;
}

QSlider *slider(QDialog &dialog, const QString &name)
{
    return dialog.findChild<QSlider *>(QStringLiteral("sld") + name);
}

QCheckBox *checkBox(QDialog &dialog, const char *name) { return dialog.findChild<QCheckBox *>(QLatin1String(name)); }

long cellsOf(Model::Automaton::TotalVolume &volume, uint32_t state)
{
    const auto states = cellStates(volume);
    return long(std::count(states.begin(), states.end(), state));
}

// Lets deleteLater() take effect.
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

class tst_VolumeDialogs : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void initTestCase()
    {
        qRegisterMetaType<Triple>("std::array<uint32_t,3>");
        Model::Materials::MaterialFactory::instance()->createDefaultMaterials();
    }
    void cleanup() { flushDeletes(); }

    // ---- create substrate: the limits follow the volume (100 x 100 x 80, box 100 x 100 x 30 at first) ----

    void substrateLimits_data()
    {
        QTest::addColumn<QString>("field"); // empty: the dialog as it opens
        QTest::addColumn<int>("newValue");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("value");
        QTest::newRow("room for a z offset at first") << "" << 0 << "sbxSubsZ" << 50 << 0;
        QTest::newRow("centre z inside at first") << "" << 0 << "sbxSubsCenterZ" << 79 << 0;
        QTest::newRow("width sets box width max and value") << "sbxTotalWidth" << 40 << "sbxSubsWidth" << 40 << 40;
        QTest::newRow("width leaves no room for an x offset") << "sbxTotalWidth" << 40 << "sbxSubsX" << 0 << 0;
        QTest::newRow("width limits the centre x") << "sbxTotalWidth" << 40 << "sbxSubsCenterX" << 39 << 0;
        QTest::newRow("length sets box length") << "sbxTotalLength" << 7 << "sbxSubsLength" << 7 << 7;
        QTest::newRow("length limits the centre y") << "sbxTotalLength" << 7 << "sbxSubsCenterY" << 6 << 0;
        QTest::newRow("height keeps a fitting box height") << "sbxTotalHeight" << 60 << "sbxSubsHeight" << 60 << 30;
        QTest::newRow("height clips the box height") << "sbxTotalHeight" << 20 << "sbxSubsHeight" << 20 << 20;
        QTest::newRow("height limits the centre z") << "sbxTotalHeight" << 20 << "sbxSubsCenterZ" << 19 << 0;
        QTest::newRow("box width opens the x offset") << "sbxSubsWidth" << 70 << "sbxSubsX" << 30 << 0;
        QTest::newRow("box length opens the y offset") << "sbxSubsLength" << 1 << "sbxSubsY" << 99 << 0;
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

    void substrateObserverPassesTheValuesToTheOperation()
    {
        Core::Workspace ws;
        Ui::Observers::CreateSubstrateObserver(ws, nullptr).notify(); // no current operation: nothing to do
        QVERIFY(!ws.currentOperation());
        Ui::Operations::CreateSubstrateDialog dialog;
        dialog.setMaterials({Model::Materials::Material(3, QStringLiteral("Oxide"), 1, 1, 1),
                             Model::Materials::Material(5, QStringLiteral("Cu"), 1, 1, 1)});
        dialog.findChild<QComboBox *>(QStringLiteral("cbxFilm"))->setCurrentIndex(1);
        spin(dialog, "sbxTotalWidth")->setValue(6);
        spin(dialog, "sbxTotalLength")->setValue(5);
        spin(dialog, "sbxTotalHeight")->setValue(4);
        spin(dialog, "sbxSubsHeight")->setValue(2);
        spin(dialog, "sbxSubsZ")->setValue(1);
        dialog.findChild<QDoubleSpinBox *>(QStringLiteral("dblVolumeZ"))->setValue(-3.5);
        auto box = std::make_shared<Core::Operations::CreateSubstrateOperation>(ws);
        Ui::Observers::CreateSubstrateObserver::applyDialog(dialog, *box);
        QVERIFY(box->isReady());
        box->execute();
        QVERIFY(box->volume());
        QCOMPARE(box->volume()->sizeX(), 6u);
        QCOMPARE(box->volume()->position(), Util::Vector3D(0, 0, -3.5));
        QCOMPARE(cellsOf(*box->volume(), 5), 6L * 5 * 2);
        QCOMPARE(stateAt(*box->volume(), 0, 0, 0), 0u);
        QCOMPARE(stateAt(*box->volume(), 0, 0, 1), 5u);

        // A ball of radius 1 is its centre and the six cells beside it.
        checkBox(dialog, "cbxSubsSphere")->setChecked(true);
        for (const char *centre : {"sbxSubsCenterX", "sbxSubsCenterY", "sbxSubsCenterZ"})
            spin(dialog, centre)->setValue(2);
        spin(dialog, "sbxSubsRadius")->setValue(1);
        auto ball = std::make_shared<Core::Operations::CreateSubstrateOperation>(ws);
        Ui::Observers::CreateSubstrateObserver::applyDialog(dialog, *ball);
        ball->execute();
        QCOMPARE(cellsOf(*ball->volume(), 5), 7L);
    }

    // ---- cut cell volume ----

    void cutRangesComeFromTheVolume()
    {
        CutCellVolumeDialog dialog;
        dialog.setVolume({8, 6, 4}, {1, 0, 2}, {5, 6, 3});
        const int sizes[3] = {8, 6, 4};
        for (int i = 0; i < 3; ++i) {
            const QString axis(QLatin1Char("XYZ"[i]));
            QCOMPARE(spin(dialog, "sbxLower" + axis)->maximum(), sizes[i] - 1);
            QCOMPARE(slider(dialog, "Lower" + axis)->maximum(), sizes[i] - 1);
            QCOMPARE(spin(dialog, "sbxUpper" + axis)->minimum(), 1);
            QCOMPARE(spin(dialog, "sbxUpper" + axis)->maximum(), sizes[i]);
            QCOMPARE(slider(dialog, "Upper" + axis)->maximum(), sizes[i]);
        }
        QCOMPARE(dialog.lower(), (Triple{1, 0, 2}));
        QCOMPARE(dialog.upper(), (Triple{5, 6, 3}));
        QCOMPARE(slider(dialog, QStringLiteral("UpperZ"))->value(), 3);
        QVERIFY(!dialog.isPreview());

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
        QTest::newRow("lower beyond upper") << "LowerX" << 7 << 7 << 8;
        QTest::newRow("upper above lower") << "UpperX" << 3 << 2 << 3;
        QTest::newRow("upper onto lower") << "UpperX" << 2 << 1 << 2;
        QTest::newRow("upper below lower") << "UpperX" << 1 << 0 << 1;
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
        checkBox(dialog, "chkPreview")->setChecked(true);
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

    // ---- glue substrate ----

    void glueLimitsFollowTheVolumes()
    {
        Ui::Operations::GlueSubstrateDialog dialog;
        // Base 6 x 5 occupied to z = 9, top 4 x 3 occupied z 0..4: stacked height 15, room 2 and 2.
        dialog.setLimits(6, 5, 15, 2, 2);
        QSpinBox *z = spin(dialog, "sbxFinalSizeZ");
        QVERIFY(!spin(dialog, "sbxFinalSizeX")->isEnabled());
        QCOMPARE(spin(dialog, "sbxFinalSizeX")->maximum(), 6);
        QCOMPARE(dialog.finalSizeY(), 5u);
        z->setValue(3);
        QCOMPARE(z->value(), 15);
        z->setValue(40);
        QCOMPARE(dialog.finalSizeZ(), 40u);
        spin(dialog, "sbxDisplacementX")->setValue(5);
        QCOMPARE(dialog.displacementX(), 2u);
        // The same footprint leaves no shift; heights beyond the spin box are capped.
        dialog.setLimits(4, 4, 5, 0, 0);
        spin(dialog, "sbxDisplacementY")->setValue(1);
        QCOMPARE(dialog.displacementY(), 0u);
        dialog.setLimits(3, 3, 4000000000u, 0, 0);
        QCOMPARE(z->value(), std::numeric_limits<int>::max());
    }

    // ---- model extraction ----

    void extractionStepsAreEnabledInTurnAndClosingFinishes_data()
    {
        QTest::addColumn<int>("close"); // 0 the dialog's close button, 1 Escape, 2 the operation cancelled
        QTest::addColumn<QString>("message");
        QTest::newRow("close button") << 0 << "Model Extraction: Model extracted.";
        QTest::newRow("escape") << 1 << "Model Extraction: Model extracted.";
        QTest::newRow("operation cancelled") << 2 << "Model Extraction: Operation canceled.";
    }
    void extractionStepsAreEnabledInTurnAndClosingFinishes()
    {
        QFETCH(int, close);
        QFETCH(QString, message);
        ExtractionScene s;
        QTemporaryDir dir;
        auto op = s.start();
        QCOMPARE(op->state(), RunModelExtraction::DialogOpen);
        QPointer<ExtractModelDialog> dialog = s.dialog;
        QVERIFY(dialog && dialog->isVisible());
        QVERIFY(!dialog->isModal());
        QVERIFY(!dialog->stepTwoButton()->isEnabled());
        // The cell edge is shown in micrometres; the operation keeps its exact value until it is edited.
        QCOMPARE(dialog->cellEdgeSpinBox()->value(), 2.715);
        QCOMPARE(op->lengthPerUnit(), Model::ModelExtraction::CantileverStructure::defaultLengthPerUnit());
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

        if (close == 0)
            dialog->close();
        else if (close == 1)
            QTest::keyClick(dialog.data(), Qt::Key_Escape);
        else
            s.ws.cancelCurrentOperation();
        flushDeletes();
        QVERIFY(!dialog);
        QCOMPARE(op->state(), RunModelExtraction::Done);
        QCOMPARE(s.boxModels(), 0);
        QVERIFY(!s.volume->painter().extractionDisplay());
        QVERIFY(!s.ws.currentOperation());
        QCOMPARE(s.ws.console().message(), message);
    }
};

QTEST_MAIN(tst_VolumeDialogs)
#include "tst_volumedialogs.moc"
