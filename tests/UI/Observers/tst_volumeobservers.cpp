#include "Core/Operations/cutcellvolumeoperation.h"
#include "Core/Operations/extractfilm.h"
#include "Core/Operations/gluesubstrateoperation.h"
#include "Core/workspace.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Materials/materialfactory.h"
#include "UI/Observers/cutcellvolumeobserver.h"
#include "UI/Observers/extractfilmobserver.h"
#include "UI/Observers/gluesubstrateobserver.h"
#include "consolelog.h"
#include "testoperations.h"
#include "volumetesthelpers.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

using namespace Core::Operations;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;

namespace {

/// Answers the next modal dialog as soon as it is shown.
void answerNextDialog(std::function<void(QDialog &)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        answer(*dialog);
    });
}

TotalVolumePtr layered(uint32_t nx, uint32_t ny, uint32_t nz, uint32_t end, uint32_t state)
{
    return makeVolume(nx, ny, nz, [=](uint32_t, uint32_t, uint32_t z) { return z < end ? state : 0u; });
}

/// A workspace whose factory makes the three operations with their observers on `window`.
struct Fixture {
    Fixture()
    {
        log = std::make_shared<ConsoleLog>(ws);
        ws.console().addObserver(log);
        auto factory = std::make_shared<TestFactory>();
        factory->makers[8] = [this] {
            auto op = std::make_shared<ExtractFilm>(ws);
            op->setObserver(std::make_shared<Ui::Observers::ExtractFilmObserver>(ws, &window));
            extract = op;
            return op;
        };
        factory->makers[12] = [this] {
            auto op = std::make_shared<GlueSubstrateOperation>(ws);
            op->setObserver(std::make_shared<Ui::Observers::GlueSubstrateObserver>(ws, &window));
            glue = op;
            return op;
        };
        factory->makers[16] = [this] {
            auto op = std::make_shared<CutCellVolumeOperation>(ws);
            op->setObserver(std::make_shared<Ui::Observers::CutCellVolumeObserver>(ws, &window));
            return op;
        };
        ws.setOperationFactory(factory);
    }

    void glueVolumes(const TotalVolumePtr &base, const TotalVolumePtr &top)
    {
        ws.selection().toggle(base);
        ws.startOperation(12);
        ws.selection().toggle(top);
        ws.console().handleLine(QString());
    }

    TotalVolumePtr only()
    {
        const auto objects = ws.document().allObjects();
        return objects.size() == 1 ? std::dynamic_pointer_cast<TotalVolume>(objects.first()) : nullptr;
    }

    QWidget window;
    Core::Workspace ws;
    std::shared_ptr<ConsoleLog> log;
    std::shared_ptr<GlueSubstrateOperation> glue;
    std::shared_ptr<ExtractFilm> extract;
};

} // namespace

class tst_VolumeObservers : public QObject {
    Q_OBJECT
private slots:
    void glueDialogAcceptedUnchangedGivesTheStackedHeight()
    {
        // Base top 10 and a top occupied from 0 to 4: stacked height 15.
        Fixture f;
        auto base = layered(6, 5, 12, 10, 1);
        auto top = layered(4, 3, 8, 5, 2);
        f.ws.document().addObject(base);
        f.ws.document().addObject(top);
        answerNextDialog([](QDialog &dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Glue Substrate"));
            QCOMPARE(dialog.findChild<QSpinBox *>(QStringLiteral("sbxFinalSizeZ"))->value(), 15);
            QCOMPARE(dialog.findChild<QSpinBox *>(QStringLiteral("sbxDisplacementX"))->maximum(), 2);
            dialog.accept();
        });
        f.glueVolumes(base, top);
        auto result = f.only();
        QVERIFY(result);
        QCOMPARE(result->sizeZ(), 15u);
        QCOMPARE(stateAt(*result, 0, 0, 9), 1u);
        QCOMPARE(stateAt(*result, 0, 0, 10), 2u);
        QCOMPARE(stateAt(*result, 0, 0, 14), 2u);
    }

    void glueDialogRejectedGluesWithTheDefaults()
    {
        Fixture f;
        auto base = layered(6, 5, 12, 10, 1);
        auto top = layered(4, 3, 8, 5, 2);
        f.ws.document().addObject(base);
        f.ws.document().addObject(top);
        answerNextDialog([](QDialog &dialog) {
            dialog.findChild<QSpinBox *>(QStringLiteral("sbxFinalSizeZ"))->setValue(30);
            dialog.findChild<QCheckBox *>(QStringLiteral("chkInvert"))->setChecked(true);
            dialog.reject();
        });
        f.glueVolumes(base, top);
        auto result = f.only();
        QVERIFY(result);
        QCOMPARE(result->sizeZ(), 16u);
        QVERIFY(!f.glue->layout().invert);
    }

    void glueDialogShiftAndInvertReachTheResult()
    {
        Fixture f;
        auto base = layered(4, 4, 3, 1, 1);
        auto top = makeVolume(2, 1, 2, [](uint32_t x, uint32_t, uint32_t z) { return z == 0 ? 5 + x : 0u; });
        f.ws.document().addObject(base);
        f.ws.document().addObject(top);
        answerNextDialog([](QDialog &dialog) {
            dialog.findChild<QSpinBox *>(QStringLiteral("sbxDisplacementX"))->setValue(2);
            dialog.findChild<QSpinBox *>(QStringLiteral("sbxDisplacementY"))->setValue(3);
            dialog.findChild<QCheckBox *>(QStringLiteral("chkInvert"))->setChecked(true);
            dialog.accept();
        });
        f.glueVolumes(base, top);
        auto result = f.only();
        QVERIFY(result);
        QCOMPARE(result->sizeZ(), 2u);
        // Turned about y, x runs backwards: the top's (0, 0, 0) = 5 lands at (3, 3, 1), its (1, 0, 0) = 6 at (2, 3, 1).
        QCOMPARE(stateAt(*result, 3, 3, 1), 5u);
        QCOMPARE(stateAt(*result, 2, 3, 1), 6u);
        QCOMPARE(stateAt(*result, 1, 3, 1), 0u);
    }

    void cutDialogRejectedWithoutPreviewCancels()
    {
        Fixture f;
        auto volume = layered(4, 4, 4, 2, 1);
        f.ws.document().addObject(volume);
        answerNextDialog([](QDialog &dialog) {
            dialog.findChild<QSpinBox *>(QStringLiteral("sbxLowerX"))->setValue(2);
            dialog.reject();
        });
        f.ws.startOperation(16);
        QCOMPARE(f.log->lines.last(), QStringLiteral("Change Cut Planes: Operation Canceled!"));
        std::array<uint32_t, 3> lower{};
        std::array<uint32_t, 3> upper{};
        volume->painter().cutLimits(lower, upper);
        QCOMPARE(lower, (std::array<uint32_t, 3>{0, 0, 0}));
    }

    void cutPreviewThenRejectKeepsTheLimits()
    {
        Fixture f;
        auto volume = layered(4, 4, 4, 2, 1);
        f.ws.document().addObject(volume);
        answerNextDialog([](QDialog &dialog) {
            dialog.findChild<QCheckBox *>(QStringLiteral("chkPreview"))->setChecked(true);
            dialog.findChild<QSlider *>(QStringLiteral("sldUpperZ"))->setValue(1);
            dialog.reject();
        });
        f.ws.startOperation(16);
        QCOMPARE(f.log->lines.last(), QStringLiteral("Change Cut Planes: Cut planes changed."));
        std::array<uint32_t, 3> lower{};
        std::array<uint32_t, 3> upper{};
        volume->painter().cutLimits(lower, upper);
        QCOMPARE(upper, (std::array<uint32_t, 3>{4, 4, 1}));
    }

    void cutDialogAcceptedAppliesItsLimits()
    {
        Fixture f;
        auto volume = layered(4, 4, 4, 2, 1);
        volume->painter().setCutLimits({1, 0, 0}, {4, 4, 4});
        f.ws.document().addObject(volume);
        answerNextDialog([](QDialog &dialog) {
            QCOMPARE(dialog.findChild<QSpinBox *>(QStringLiteral("sbxLowerX"))->value(), 1);
            dialog.findChild<QSpinBox *>(QStringLiteral("sbxLowerY"))->setValue(3);
            dialog.accept();
        });
        f.ws.startOperation(16);
        QCOMPARE(f.log->lines.last(), QStringLiteral("Change Cut Planes: Cut planes changed."));
        std::array<uint32_t, 3> lower{};
        std::array<uint32_t, 3> upper{};
        volume->painter().cutLimits(lower, upper);
        QCOMPARE(lower, (std::array<uint32_t, 3>{1, 3, 0}));
    }

    void extractDialogChoosesMaterialAndInvert()
    {
        Fixture f;
        const auto material = Model::Materials::MaterialFactory::instance()->getMaterials().first();
        auto volume = makeVolume(3, 2, 4, [&](uint32_t x, uint32_t, uint32_t z) {
            return z < 2 ? material.id() : (z == 2 && x == 0 ? material.id() + 1000 : 0u);
        });
        f.ws.document().addObject(volume);
        answerNextDialog([&](QDialog &dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Extract Film"));
            auto *box = dialog.findChild<QComboBox *>(QStringLiteral("cbxMaterial"));
            box->setCurrentIndex(box->findData(material.id()));
            dialog.findChild<QCheckBox *>(QStringLiteral("chkInvert"))->setChecked(true);
            dialog.accept();
        });
        f.ws.selection().toggle(volume);
        f.ws.startOperation(8);
        QCOMPARE(f.log->lines.last(), QStringLiteral("Extract Film: film extracted."));
        QCOMPARE(f.extract->material(), material.id());
        QVERIFY(f.extract->invert());
        QCOMPARE(f.ws.document().allObjects().size(), 2);
    }

    void extractDialogRejectedCancels()
    {
        Fixture f;
        auto volume = layered(2, 2, 2, 1, 1);
        f.ws.document().addObject(volume);
        answerNextDialog([](QDialog &dialog) { dialog.reject(); });
        f.ws.selection().toggle(volume);
        f.ws.startOperation(8);
        QCOMPARE(f.ws.document().allObjects().size(), 1);
        QVERIFY(!f.ws.undoRedo().canUndo());
    }
};

QTEST_MAIN(tst_VolumeObservers)
#include "tst_volumeobservers.moc"
