#include "Core/Operations/cutcellvolume.h"
#include "Core/Operations/maskedcutcellvolumeoperation.h"
#include "Core/Operations/removecutsfromvolumeoperation.h"
#include "Core/workspace.h"
#include "testoperations.h"
#include "volumetesthelpers.h"

#include <QtTest>

using namespace Core::Operations;
using Model::Automaton::TotalVolume;

namespace {

/// A mask of width x height whose bit (x, y) is set where `covered` says so.
QBitArray maskBits(uint32_t width, uint32_t height, const std::function<bool(uint32_t, uint32_t)> &covered)
{
    QBitArray bits(int(width * height));
    for (uint32_t x = 0; x < width; ++x)
        for (uint32_t y = 0; y < height; ++y)
            bits.setBit(int(x * height + y), covered(x, y));
    return bits;
}

struct CutFixture {
    CutFixture()
    {
        volume = makeVolume(6, 4, 3, [](uint32_t x, uint32_t, uint32_t z) { return z < 2 ? 1u + x % 2 : 0u; });
        ws.document().addObject(volume);
        factory = std::make_shared<TestFactory>();
        factory->makers[34] = [this] {
            return withObserver(std::make_shared<MaskedCutCellVolumeOperation>(ws), observer);
        };
        factory->makers[35] = [this] { return std::make_shared<RemoveCutsFromVolumeOperation>(ws); };
        ws.setOperationFactory(factory);
        observer = std::make_shared<CountingObserver>();
        observer->onNotify = [this] {
            if (auto op = std::dynamic_pointer_cast<MaskedCutCellVolumeOperation>(ws.currentOperation()))
                op->setMask(nextMask, nextWidth, nextHeight);
        };
    }

    void cut(const QBitArray &bits, uint32_t width, uint32_t height)
    {
        nextMask = bits;
        nextWidth = width;
        nextHeight = height;
        ws.startOperation(34);
    }

    Core::Workspace ws;
    std::shared_ptr<TotalVolume> volume;
    std::shared_ptr<TestFactory> factory;
    std::shared_ptr<CountingObserver> observer;
    QBitArray nextMask;
    uint32_t nextWidth = 0;
    uint32_t nextHeight = 0;
};

} // namespace

class tst_MaskedCut : public QObject {
    Q_OBJECT
private slots:
    void engineCutsUncoveredColumnsOnly()
    {
        auto volume = makeVolume(5, 3, 2, [](uint32_t, uint32_t, uint32_t) { return 1u; });
        // Covers x < 2 for every y; the mask is narrower than the volume.
        const QBitArray bits = maskBits(2, 3, [](uint32_t, uint32_t) { return true; });
        CutCellVolume engine(*volume, bits, 2, 3);
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
        auto volume = makeVolume(3, 3, 1, [](uint32_t, uint32_t, uint32_t) { return 1u; });
        CutCellVolume engine(*volume, QBitArray(bitCount, true), width, height);
        QVERIFY(!engine.covers(0, 0));
        engine.cut();
        QCOMPARE(cutCounts(*volume), std::vector<uint32_t>(9, 1u));
    }

    void slicesSplitTheRemainderOverTheFirstOnes()
    {
        PoolThreads pool(3);
        auto wide = makeVolume(8, 2, 2, [](uint32_t, uint32_t, uint32_t) { return 1u; });
        QCOMPARE(CutCellVolume(*wide, QBitArray(), 0, 0).sliceCount(), 3u);
        auto narrow = makeVolume(5, 2, 2, [](uint32_t, uint32_t, uint32_t) { return 1u; });
        QCOMPARE(CutCellVolume(*narrow, QBitArray(), 0, 0).sliceCount(), 1u);
        // Every column is reached exactly once whatever the slicing.
        const QBitArray bits = maskBits(8, 2, [](uint32_t x, uint32_t y) { return (x + y) % 3 == 0; });
        CutCellVolume(*wide, bits, 8, 2).cut();
        const auto parallel = cutCounts(*wide);
        auto single = makeVolume(8, 2, 2, [](uint32_t, uint32_t, uint32_t) { return 1u; });
        {
            PoolThreads one(1);
            CutCellVolume(*single, bits, 8, 2).cut();
        }
        QCOMPARE(parallel, cutCounts(*single));
    }

    void maskedCutAndUndoRestoreEveryCount()
    {
        CutFixture f;
        const QBitArray first = maskBits(6, 4, [](uint32_t x, uint32_t) { return x < 3; });
        const QBitArray second = maskBits(6, 4, [](uint32_t, uint32_t y) { return y < 2; });
        const auto original = cutCounts(*f.volume);
        f.cut(first, 6, 4);
        QCOMPARE(f.ws.console().message(), QStringLiteral("Masked Cut: Cut planes changed."));
        QCOMPARE(f.ws.undoRedo().undoName(), QStringLiteral("Masked Cut"));
        QVERIFY(f.volume->upperMask().isEmpty());
        const auto afterFirst = cutCounts(*f.volume);
        f.cut(second, 6, 4);
        const auto afterSecond = cutCounts(*f.volume);
        // Cuts add up: a column left open by both masks carries two.
        QCOMPARE(afterSecond[f.volume->index(5, 3, 0)], 2u);
        QCOMPARE(afterSecond[f.volume->index(0, 3, 0)], 1u);
        QCOMPARE(afterSecond[f.volume->index(0, 0, 0)], 0u);

        QVERIFY(f.ws.undoRedo().undo());
        QCOMPARE(cutCounts(*f.volume), afterFirst);
        QVERIFY(f.ws.undoRedo().undo());
        QCOMPARE(cutCounts(*f.volume), original);
        QVERIFY(f.ws.undoRedo().redo());
        QCOMPARE(cutCounts(*f.volume), afterFirst);
        QVERIFY(f.ws.undoRedo().redo());
        QCOMPARE(cutCounts(*f.volume), afterSecond);
    }

    void twoCutsAndRemoveCutsGiveZero()
    {
        CutFixture f;
        f.cut(maskBits(6, 4, [](uint32_t x, uint32_t) { return x == 0; }), 6, 4);
        f.cut(maskBits(3, 3, [](uint32_t, uint32_t) { return false; }), 3, 3);
        QVERIFY(cutCounts(*f.volume)[f.volume->index(5, 3, 2)] == 2u);
        f.volume->setUpperMask(QBitArray(4, true), 2, 2);
        f.ws.startOperation(35);
        QCOMPARE(f.ws.console().message(), QStringLiteral("Remove Cuts: Cut planes changed."));
        QCOMPARE(cutCounts(*f.volume), std::vector<uint32_t>(f.volume->cellCount(), 0u));
        QVERIFY(f.volume->upperMask().isEmpty());
        // Removing cuts is not undoable: the last masked cut is still on top.
        QCOMPARE(f.ws.undoRedo().undoName(), QStringLiteral("Masked Cut"));
    }

    void maskedCutWithoutMaskCancels_data()
    {
        QTest::addColumn<uint32_t>("width");
        QTest::addColumn<uint32_t>("height");
        QTest::newRow("no mask given") << 0u << 0u;
        QTest::newRow("zero height") << 3u << 0u;
    }
    void maskedCutWithoutMaskCancels()
    {
        QFETCH(uint32_t, width);
        QFETCH(uint32_t, height);
        CutFixture f;
        f.cut(QBitArray(), width, height);
        QCOMPARE(f.ws.console().message(), QStringLiteral("Masked Cut: Operation Canceled!"));
        QCOMPARE(cutCounts(*f.volume), std::vector<uint32_t>(f.volume->cellCount(), 0u));
        QVERIFY(!f.ws.undoRedo().canUndo());
        QVERIFY(!f.ws.currentOperation());
    }

    void maskIsPreviewedOnTheVolume()
    {
        CutFixture f;
        auto op = std::make_shared<MaskedCutCellVolumeOperation>(f.ws);
        f.observer->onNotify = [&] {
            op->setMask(QBitArray(6, true), 2, 3);
            QCOMPARE(f.volume->upperMask(), QBitArray(6, true));
            op->setMask(QBitArray(), 0, 0);
        };
        op->start();
        // The last mask handed over was empty, so nothing is cut.
        QCOMPARE(f.ws.console().message(), QStringLiteral("Masked Cut: Operation Canceled!"));
    }

    void removeCutsWithoutVolumeCancels()
    {
        Core::Workspace ws;
        ws.document().addObject(makeVolume(2, 2, 2, [](uint32_t, uint32_t, uint32_t) { return 1u; }));
        ws.document().addObject(makeVolume(2, 2, 2, [](uint32_t, uint32_t, uint32_t) { return 1u; }));
        auto op = std::make_shared<RemoveCutsFromVolumeOperation>(ws);
        op->start();
        QCOMPARE(ws.console().message(), QStringLiteral("Remove Cuts: Select a cell volume and press Enter/Return."));
        op->cancel();
        QCOMPARE(ws.console().message(), QStringLiteral("Remove Cuts: Operation Canceled!"));
    }
};

QTEST_GUILESS_MAIN(tst_MaskedCut)
#include "tst_maskedcut.moc"
