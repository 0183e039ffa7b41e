#include "Core/Operations/cutcellvolumeoperation.h"
#include "Core/workspace.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Materials/materialfactory.h"
#include "consolelog.h"
#include "testoperations.h"
#include "volumetesthelpers.h"

#include <QtTest>

#include <algorithm>

using namespace Core::Operations;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using Triple = CutCellVolumeOperation::Triple;
Q_DECLARE_METATYPE(Triple)

namespace {

constexpr uint32_t Opaque = 121;

/// The box (lowest and highest corner) that the volume's opaque faces span.
std::pair<std::array<float, 3>, std::array<float, 3>> drawnBox(TotalVolume &volume)
{
    std::array<float, 3> low{1e9f, 1e9f, 1e9f};
    std::array<float, 3> high{-1e9f, -1e9f, -1e9f};
    for (const auto &face : volume.painter().opaqueFaces()) {
        for (const auto &corner : face.corners) {
            for (int i = 0; i < 3; ++i) {
                low[size_t(i)] = std::min(low[size_t(i)], corner[i]);
                high[size_t(i)] = std::max(high[size_t(i)], corner[i]);
            }
        }
    }
    return {low, high};
}

/// One volume in the document, the cut-planes operation behind identifier 16 and an observer that
/// calls `answer` (nothing: the dialog was rejected).
struct CutFixture {
    CutFixture()
    {
        Model::Materials::MaterialFactory::instance()->setMaterial(
            Model::Materials::Material(Opaque, "Cut test", 1, 1, 0.1f, {0.8f, 0.2f, 0.1f, 1.0f}));
        volume = std::make_shared<TotalVolume>(4, 3, 5, 1.0f, 1.0f, 1.0f, Util::Vector3D(), Opaque);
        volume->painter().regenerateSurface();
        ws.document().addObject(volume);
        log = std::make_shared<ConsoleLog>(ws);
        ws.console().addObserver(log);
        redraws = std::make_shared<CountingObserver>();
        ws.addUpdateObserver(redraws);
        auto factory = std::make_shared<TestFactory>();
        factory->makers[16] = [this] {
            operation = std::make_shared<CutCellVolumeOperation>(ws);
            auto observer = std::make_shared<CountingObserver>();
            observer->onNotify = [this] {
                if (answer)
                    answer(*operation);
            };
            operation->setObserver(observer);
            return operation;
        };
        ws.setOperationFactory(factory);
    }

    Triple lower() const
    {
        Triple l{};
        Triple u{};
        volume->painter().cutLimits(l, u);
        return l;
    }
    Triple upper() const
    {
        Triple l{};
        Triple u{};
        volume->painter().cutLimits(l, u);
        return u;
    }

    Core::Workspace ws;
    TotalVolumePtr volume;
    std::shared_ptr<ConsoleLog> log;
    std::shared_ptr<CountingObserver> redraws;
    std::shared_ptr<CutCellVolumeOperation> operation;
    std::function<void(CutCellVolumeOperation &)> answer;
};

} // namespace

class tst_CutPlanes : public QObject {
    Q_OBJECT
private slots:
    void observerSeesTheSizeAndTheCurrentLimits()
    {
        CutFixture f;
        f.volume->painter().setCutLimits({1, 0, 2}, {3, 3, 4});
        Triple size{};
        Triple lower{};
        Triple upper{};
        f.answer = [&](CutCellVolumeOperation &op) { QVERIFY(op.currentLimits(size, lower, upper)); };
        f.ws.startOperation(16);
        QCOMPARE(size, (Triple{4, 3, 5}));
        QCOMPARE(lower, (Triple{1, 0, 2}));
        QCOMPARE(upper, (Triple{3, 3, 4}));
        // Without a volume there is nothing to tell.
        CutCellVolumeOperation alone(f.ws);
        QVERIFY(!alone.currentLimits(size, lower, upper));
    }

    void acceptedLimitsAreDrawn_data()
    {
        QTest::addColumn<Triple>("lower");
        QTest::addColumn<Triple>("upper");
        QTest::addColumn<size_t>("faces");
        // The whole volume, and a box of one cell (the last one on each axis).
        QTest::newRow("full range") << Triple{0, 0, 0} << Triple{4, 3, 5} << size_t(0);
        QTest::newRow("one cell") << Triple{3, 2, 4} << Triple{4, 3, 5} << size_t(6);
        QTest::newRow("slab in y") << Triple{0, 1, 0} << Triple{4, 2, 5} << size_t(0);
    }
    void acceptedLimitsAreDrawn()
    {
        QFETCH(Triple, lower);
        QFETCH(Triple, upper);
        QFETCH(size_t, faces);
        CutFixture f;
        f.answer = [&](CutCellVolumeOperation &op) { op.applyLimits(lower, upper, true); };
        f.ws.startOperation(16);
        QCOMPARE(f.log->lines.last(), QStringLiteral("Change Cut Planes: Cut planes changed."));
        QCOMPARE(f.lower(), lower);
        QCOMPARE(f.upper(), upper);
        const auto box = drawnBox(*f.volume);
        for (size_t i = 0; i < 3; ++i) {
            QCOMPARE(box.first[i], float(lower[i]));
            QCOMPARE(box.second[i], float(upper[i]));
        }
        if (faces != 0)
            QCOMPARE(f.volume->painter().opaqueFaces().size(), faces);
        QVERIFY(!f.ws.currentOperation());
        // Looking inside is not a step of the process: nothing to undo, the cells are as they were.
        QVERIFY(!f.ws.undoRedo().canUndo());
        QCOMPARE(cellStates(*f.volume), std::vector<uint32_t>(60, Opaque));
    }

    void rejectedWithoutPreviewCancels()
    {
        CutFixture f;
        f.volume->painter().setCutLimits({1, 1, 1}, {2, 2, 2});
        f.ws.startOperation(16);
        QCOMPARE(f.log->lines.last(), QStringLiteral("Change Cut Planes: Operation Canceled!"));
        QCOMPARE(f.lower(), (Triple{1, 1, 1}));
        QCOMPARE(f.upper(), (Triple{2, 2, 2}));
        QVERIFY(!f.ws.currentOperation());
        QVERIFY(!f.ws.console().requester());
    }

    void previewThenRejectKeepsTheLimits()
    {
        CutFixture f;
        int regenerated = 0;
        f.answer = [&](CutCellVolumeOperation &op) {
            op.applyLimits({0, 0, 2}, {4, 3, 5}, true);
            regenerated = f.redraws->count;
            QVERIFY(op.isPreviewed());
        };
        f.ws.startOperation(16);
        QCOMPARE(f.log->lines.last(), QStringLiteral("Change Cut Planes: Cut planes changed."));
        QCOMPARE(f.lower(), (Triple{0, 0, 2}));
        QCOMPARE(drawnBox(*f.volume).first[2], 2.0f);
        QVERIFY(regenerated > 0);
        // The preview already redrew; finishing only tells the view once more.
        QCOMPARE(f.redraws->count, regenerated + 1);
    }

    void limitsWithoutPreviewAreDrawnWhenTheStepEnds()
    {
        CutFixture f;
        f.answer = [&](CutCellVolumeOperation &op) {
            op.applyLimits({0, 0, 0}, {1, 3, 5}, false);
            QVERIFY(!op.isPreviewed());
            QVERIFY(op.limitsSet());
            // Not drawn yet.
            QCOMPARE(drawnBox(*f.volume).second[0], 4.0f);
        };
        f.ws.startOperation(16);
        QCOMPARE(f.log->lines.last(), QStringLiteral("Change Cut Planes: Cut planes changed."));
        QCOMPARE(drawnBox(*f.volume).second[0], 1.0f);
    }

    void withTwoVolumesItAsksForOne()
    {
        CutFixture f;
        auto other = std::make_shared<TotalVolume>(2, 2, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D(), Opaque);
        f.ws.document().addObject(other);
        f.answer = [](CutCellVolumeOperation &op) { op.applyLimits({1, 1, 1}, {2, 2, 2}, true); };
        f.ws.startOperation(16);
        QCOMPARE(f.log->lines.last(),
                 QStringLiteral("Change Cut Planes: Select a cell volume and press Enter/Return."));
        f.ws.selection().toggle(other);
        f.ws.console().handleLine(QString());
        QCOMPARE(f.log->lines.at(f.log->lines.size() - 2), QStringLiteral("Change Cut Planes: Cell volume selected."));
        QCOMPARE(f.log->lines.last(), QStringLiteral("Change Cut Planes: Cut planes changed."));
        Triple lower{};
        Triple upper{};
        other->painter().cutLimits(lower, upper);
        QCOMPARE(lower, (Triple{1, 1, 1}));
        QCOMPARE(f.lower(), (Triple{0, 0, 0}));
    }
};

QTEST_MAIN(tst_CutPlanes)
#include "tst_cutplanes.moc"
