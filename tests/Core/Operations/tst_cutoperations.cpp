#include "Core/Operations/cutcellvolume.h"
#include "Core/Operations/cutcellvolumeoperation.h"
#include "Core/Operations/maskedcutcellvolumeoperation.h"
#include "Core/Operations/removecutsfromvolumeoperation.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Materials/materialfactory.h"
#include "answeringscene.h"
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
            for (size_t i = 0; i < 3; ++i) {
                low[i] = std::min(low[i], corner[int(i)]);
                high[i] = std::max(high[i], corner[int(i)]);
            }
        }
    }
    return {low, high};
}

/// The cut planes operation (16) on one opaque 4 x 3 x 5 volume, counting the view's redraws.
struct PlanesScene : AnsweringScene<CutCellVolumeOperation> {
    PlanesScene()
        : AnsweringScene(16)
    {
        Model::Materials::MaterialFactory::instance()->setMaterial(
            Model::Materials::Material(Opaque, "Cut test", 1, 1, 0.1f, {0.8f, 0.2f, 0.1f, 1.0f}));
        volume->painter().regenerateSurface();
        ws.document().addObject(volume);
        ws.addUpdateObserver(redraws);
    }
    std::pair<Triple, Triple> limits() const
    {
        std::pair<Triple, Triple> result;
        volume->painter().cutLimits(result.first, result.second);
        return result;
    }
    TotalVolumePtr volume = std::make_shared<TotalVolume>(4, 3, 5, 1.0f, 1.0f, 1.0f, Util::Vector3D(), Opaque);
    std::shared_ptr<CountingObserver> redraws = std::make_shared<CountingObserver>();
};

/// A mask of width x height whose bit (x, y) is set where `covered` says so.
QBitArray maskBits(uint32_t width, uint32_t height, const std::function<bool(uint32_t, uint32_t)> &covered)
{
    QBitArray bits(int(width * height));
    for (uint32_t x = 0; x < width; ++x)
        for (uint32_t y = 0; y < height; ++y)
            bits.setBit(int(x * height + y), covered(x, y));
    return bits;
}

/// The masked cut (34) on a 6 x 4 x 3 volume.
struct MaskScene : AnsweringScene<MaskedCutCellVolumeOperation> {
    MaskScene()
        : AnsweringScene(34)
    {
        ws.document().addObject(volume);
    }
    void cut(const QBitArray &bits, uint32_t width, uint32_t height)
    {
        answer = [=](MaskedCutCellVolumeOperation &op) { op.setMask(bits, width, height); };
        start();
    }
    std::shared_ptr<TotalVolume> volume =
        makeVolume(6, 4, 3, [](uint32_t x, uint32_t, uint32_t z) { return z < 2 ? 1u + x % 2 : 0u; });
};

std::shared_ptr<TotalVolume> filled(uint32_t nx, uint32_t ny, uint32_t nz)
{
    return makeVolume(nx, ny, nz, [](uint32_t, uint32_t, uint32_t) { return 1u; });
}

} // namespace

class tst_CutOperations : public QObject {
    Q_OBJECT
private slots:
    void limitsAreDrawn_data()
    {
        QTest::addColumn<Triple>("lower");
        QTest::addColumn<Triple>("upper");
        QTest::addColumn<bool>("preview");
        QTest::addColumn<size_t>("faces");
        // The whole volume, a box of one cell (the last one on each axis), slabs.
        QTest::newRow("full range") << Triple{0, 0, 0} << Triple{4, 3, 5} << true << size_t(2 * (12 + 20 + 15));
        QTest::newRow("one cell") << Triple{3, 2, 4} << Triple{4, 3, 5} << true << size_t(6);
        QTest::newRow("slab in y") << Triple{0, 1, 0} << Triple{4, 2, 5} << true << size_t(2 * (4 + 20 + 5));
        QTest::newRow("upper z, previewed") << Triple{0, 0, 2} << Triple{4, 3, 5} << true << size_t(2 * (12 + 12 + 9));
        QTest::newRow("slab in x, not previewed")
            << Triple{0, 0, 0} << Triple{1, 3, 5} << false << size_t(2 * (3 + 5 + 15));
    }
    void limitsAreDrawn()
    {
        QFETCH(Triple, lower);
        QFETCH(Triple, upper);
        QFETCH(bool, preview);
        QFETCH(size_t, faces);
        PlanesScene s;
        int redrawsInDialog = -1;
        s.answer = [&](CutCellVolumeOperation &op) {
            op.applyLimits(lower, upper, preview);
            QCOMPARE(op.isPreviewed(), preview);
            QVERIFY(op.limitsSet());
            redrawsInDialog = s.redraws->count;
            // Without a preview nothing is drawn before the step ends.
            QCOMPARE(drawnBox(*s.volume).second[0], preview ? float(upper[0]) : 4.0f);
        };
        s.start();
        QCOMPARE(s.last(), QStringLiteral("Change Cut Planes: Cut planes changed."));
        QCOMPARE(s.limits(), std::make_pair(lower, upper));
        const auto box = drawnBox(*s.volume);
        for (size_t i = 0; i < 3; ++i) {
            QCOMPARE(box.first[i], float(lower[i]));
            QCOMPARE(box.second[i], float(upper[i]));
        }
        QCOMPARE(s.volume->painter().opaqueFaces().size(), faces);
        // A preview already redrew; finishing only tells the view once more.
        if (preview)
            QCOMPARE(s.redraws->count, redrawsInDialog + 1);
        QVERIFY(redrawsInDialog > 0 || !preview);
        QVERIFY(!s.ws.currentOperation());
        // Looking inside is not a step of the process: nothing to undo, the cells are as they were.
        QVERIFY(!s.ws.undoRedo().canUndo());
        QCOMPARE(cellStates(*s.volume), std::vector<uint32_t>(60, Opaque));
    }

    void engineCutsUncoveredColumnsOnly()
    {
        auto volume = filled(5, 3, 2);
        // Covers x < 2 for every y; the mask is narrower than the volume.
        CutCellVolume engine(*volume, maskBits(2, 3, [](uint32_t, uint32_t) { return true; }), 2, 3);
        engine.cut();
        engine.cut();
        for (uint32_t x = 0; x < 5; ++x)
            for (uint32_t y = 0; y < 3; ++y)
                for (uint32_t z = 0; z < 2; ++z)
                    QCOMPARE(cutCounts(*volume)[volume->index(x, y, z)], x < 2 ? 0u : 2u);
        engine.uncut();
        QCOMPARE(cutCounts(*volume)[volume->index(4, 2, 1)], 1u);
        engine.removeAllCuts();
        QCOMPARE(cutCounts(*volume)[volume->index(4, 2, 1)], 0u);
        // States are never touched.
        QCOMPARE(cellStates(*volume), std::vector<uint32_t>(30, 1u));
    }

    void inconsistentOrEmptyMaskCoversNothing_data()
    {
        QTest::addColumn<int>("bitCount");
        QTest::addColumn<uint32_t>("width");
        QTest::addColumn<uint32_t>("height");
        QTest::newRow("empty") << 0 << 0u << 0u;
        QTest::newRow("too few bits") << 3 << 2u << 2u;
        QTest::newRow("too many bits") << 5 << 2u << 2u;
    }
    void inconsistentOrEmptyMaskCoversNothing()
    {
        QFETCH(int, bitCount);
        QFETCH(uint32_t, width);
        QFETCH(uint32_t, height);
        auto volume = filled(3, 3, 1);
        CutCellVolume engine(*volume, QBitArray(bitCount, true), width, height);
        QVERIFY(!engine.covers(0, 0));
        engine.cut();
        QCOMPARE(cutCounts(*volume), std::vector<uint32_t>(9, 1u));
    }

    void cutsDoNotDependOnTheThreadCount()
    {
        PoolThreads pool(3);
        auto wide = filled(8, 2, 2);
        QCOMPARE(CutCellVolume(*wide, QBitArray(), 0, 0).sliceCount(), 3u);
        const QBitArray bits = maskBits(8, 2, [](uint32_t x, uint32_t y) { return (x + y) % 3 == 0; });
        CutCellVolume(*wide, bits, 8, 2).cut();
        auto single = filled(8, 2, 2);
        {
            PoolThreads one(1);
            CutCellVolume(*single, bits, 8, 2).cut();
        }
        QCOMPARE(cutCounts(*wide), cutCounts(*single));
    }

    void maskedCutsAddUpAndUndoRestoresEveryCount()
    {
        MaskScene s;
        const auto original = cutCounts(*s.volume);
        s.cut(maskBits(6, 4, [](uint32_t x, uint32_t) { return x < 3; }), 6, 4);
        QCOMPARE(s.last(), QStringLiteral("Masked Cut: Cut planes changed."));
        QCOMPARE(s.ws.undoRedo().undoName(), QStringLiteral("Masked Cut"));
        QVERIFY(s.volume->upperMask().isEmpty());
        const auto afterFirst = cutCounts(*s.volume);
        s.cut(maskBits(6, 4, [](uint32_t, uint32_t y) { return y < 2; }), 6, 4);
        const auto afterSecond = cutCounts(*s.volume);
        // Cuts add up: a column left open by both masks carries two.
        QCOMPARE(afterSecond[s.volume->index(5, 3, 0)], 2u);
        QCOMPARE(afterSecond[s.volume->index(0, 3, 0)], 1u);
        QCOMPARE(afterSecond[s.volume->index(0, 0, 0)], 0u);
        QVERIFY(s.ws.undoRedo().undo());
        QCOMPARE(cutCounts(*s.volume), afterFirst);
        QVERIFY(s.ws.undoRedo().undo());
        QCOMPARE(cutCounts(*s.volume), original);
        QVERIFY(s.ws.undoRedo().redo());
        QCOMPARE(cutCounts(*s.volume), afterFirst);
        QVERIFY(s.ws.undoRedo().redo());
        QCOMPARE(cutCounts(*s.volume), afterSecond);
    }

    void removeCutsGivesZero()
    {
        MaskScene s;
        s.cut(maskBits(6, 4, [](uint32_t x, uint32_t) { return x == 0; }), 6, 4);
        s.cut(maskBits(3, 3, [](uint32_t, uint32_t) { return false; }), 3, 3);
        QCOMPARE(cutCounts(*s.volume)[s.volume->index(5, 3, 2)], 2u);
        s.volume->setUpperMask(QBitArray(4, true), 2, 2);
        auto factory = std::make_shared<TestFactory>();
        factory->makers[35] = [&s] { return std::make_shared<RemoveCutsFromVolumeOperation>(s.ws); };
        s.ws.setOperationFactory(factory);
        s.ws.startOperation(35);
        QCOMPARE(s.last(), QStringLiteral("Remove Cuts: Cut planes changed."));
        QCOMPARE(cutCounts(*s.volume), std::vector<uint32_t>(s.volume->cellCount(), 0u));
        QVERIFY(s.volume->upperMask().isEmpty());
        // Removing cuts is not undoable: the last masked cut is still on top.
        QCOMPARE(s.ws.undoRedo().undoName(), QStringLiteral("Masked Cut"));
    }

    void maskedCutWithoutMaskCancels_data()
    {
        QTest::addColumn<uint32_t>("width");
        QTest::addColumn<uint32_t>("height");
        QTest::addColumn<bool>("previewFirst");
        QTest::newRow("no mask given") << 0u << 0u << false;
        QTest::newRow("zero height") << 3u << 0u << false;
        QTest::newRow("previewed mask taken back") << 0u << 0u << true;
    }
    void maskedCutWithoutMaskCancels()
    {
        QFETCH(uint32_t, width);
        QFETCH(uint32_t, height);
        QFETCH(bool, previewFirst);
        MaskScene s;
        s.answer = [&](MaskedCutCellVolumeOperation &op) {
            if (previewFirst) {
                op.setMask(QBitArray(6, true), 2, 3);
                QCOMPARE(s.volume->upperMask(), QBitArray(6, true));
            }
            op.setMask(QBitArray(), width, height);
        };
        s.start();
        QCOMPARE(s.last(), QStringLiteral("Masked Cut: Operation Canceled!"));
        QCOMPARE(cutCounts(*s.volume), std::vector<uint32_t>(s.volume->cellCount(), 0u));
        QVERIFY(!s.ws.undoRedo().canUndo());
        QVERIFY(!s.ws.currentOperation());
    }
};

QTEST_MAIN(tst_CutOperations)
#include "tst_cutoperations.moc"
