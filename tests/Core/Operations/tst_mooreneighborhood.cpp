#include "Core/Operations/mooreneighborhooddeposition.h"
#include "Core/Operations/mooreneighborhooddepositionoperation.h"
#include "Core/Operations/mooreneighborhoodetching.h"
#include "Core/Operations/mooreneighborhoodetchingoperation.h"
#include "Core/workspace.h"
#include "testoperations.h"
#include "volumetesthelpers.h"

#include <QtTest>

#include <algorithm>
#include <cstdlib>

using namespace Core::Operations;
using Model::Automaton::TotalVolume;

namespace {

/// The definition, step by step on a copy: a cell changes when a neighbour had the source role
/// at the end of the previous step.
std::vector<uint32_t> referenceRun(TotalVolume &volume, uint32_t material, uint32_t steps, bool etching)
{
    std::vector<uint32_t> cells = cellStates(volume);
    const long nx = volume.sizeX(), ny = volume.sizeY(), nz = volume.sizeZ();
    auto at = [&](const std::vector<uint32_t> &v, long x, long y, long z) { return v[(x * ny + y) * nz + z]; };
    for (uint32_t s = 0; s < steps; ++s) {
        const std::vector<uint32_t> previous = cells;
        for (long x = 0; x < nx; ++x)
            for (long y = 0; y < ny; ++y)
                for (long z = 0; z < nz; ++z) {
                    const uint32_t state = at(previous, x, y, z);
                    if (etching ? state != material : state != 0)
                        continue;
                    bool reached = false;
                    for (long dx = -1; dx <= 1 && !reached; ++dx)
                        for (long dy = -1; dy <= 1 && !reached; ++dy)
                            for (long dz = -1; dz <= 1 && !reached; ++dz) {
                                if (!volume.contains(x + dx, y + dy, z + dz) || (dx == 0 && dy == 0 && dz == 0))
                                    continue;
                                const uint32_t n = at(previous, x + dx, y + dy, z + dz);
                                reached = etching ? n == 0 : n != 0;
                            }
                    if (reached)
                        cells[(x * ny + y) * nz + z] = etching ? 0 : material;
                }
    }
    return cells;
}

long chebyshevToCube(long x, long y, long z, long lo, long hi)
{
    auto axis = [&](long v) { return v < lo ? lo - v : (v > hi ? v - hi : 0); };
    return std::max({axis(x), axis(y), axis(z)});
}

} // namespace

class tst_MooreNeighborhood : public QObject {
    Q_OBJECT
private slots:
    void offsetsComeInTheirFixedOrder()
    {
        const auto &table = MooreNeighborhoodAutomaton::offsets();
        QCOMPARE(table.size(), size_t(26));
        auto same = [](MooreNeighborhoodAutomaton::Offset o, int dx, int dy, int dz) {
            return o.dx == dx && o.dy == dy && o.dz == dz;
        };
        QVERIFY(same(table[0], -1, -1, -1));
        QVERIFY(same(table[1], -1, -1, 0));
        QVERIFY(same(table[2], -1, -1, 1));
        QVERIFY(same(table[3], -1, 0, -1));
        QVERIFY(same(table[12], 0, 0, -1));
        QVERIFY(same(table[13], 0, 0, 1));
        QVERIFY(same(table[25], 1, 1, 1));
    }

    void cubeGrowsWithSquareCorners_data()
    {
        QTest::addColumn<uint32_t>("layers");
        QTest::newRow("one layer") << 1u;
        QTest::newRow("two layers") << 2u;
        QTest::newRow("four layers") << 4u;
    }
    void cubeGrowsWithSquareCorners()
    {
        QFETCH(uint32_t, layers);
        // A 2x2x2 cube of silicon in the middle of a 14^3 volume.
        auto volume = makeVolume(14, 14, 14, [](uint32_t x, uint32_t y, uint32_t z) {
            return (x >= 6 && x <= 7 && y >= 6 && y <= 7 && z >= 6 && z <= 7) ? 1u : 0u;
        });
        MooreNeighborhoodDeposition(*volume, 5, layers).run();
        const auto cells = cellStates(*volume);
        size_t film = 0;
        for (uint32_t x = 0; x < 14; ++x)
            for (uint32_t y = 0; y < 14; ++y)
                for (uint32_t z = 0; z < 14; ++z) {
                    const long d = chebyshevToCube(x, y, z, 6, 7);
                    const uint32_t expected = d == 0 ? 1u : (d <= long(layers) ? 5u : 0u);
                    QCOMPARE(cells[volume->index(x, y, z)], expected);
                    film += cells[volume->index(x, y, z)] == 5u;
                }
        const size_t side = 2 + 2 * layers;
        QCOMPARE(film, side * side * side - 8);
    }

    void cavityNarrowerThanTwiceTheFilmFills_data()
    {
        QTest::addColumn<uint32_t>("cavity");
        QTest::addColumn<uint32_t>("layers");
        QTest::addColumn<bool>("filled");
        QTest::newRow("3 wide, 2 layers") << 3u << 2u << true;
        QTest::newRow("4 wide, 2 layers") << 4u << 2u << true;
        QTest::newRow("5 wide, 2 layers") << 5u << 2u << false;
        QTest::newRow("5 wide, 3 layers") << 5u << 3u << true;
    }
    void cavityNarrowerThanTwiceTheFilmFills()
    {
        QFETCH(uint32_t, cavity);
        QFETCH(uint32_t, layers);
        QFETCH(bool, filled);
        // A closed box of material 3 with a cubic cavity inside.
        const uint32_t n = cavity + 2;
        auto volume = makeVolume(n, n, n, [n](uint32_t x, uint32_t y, uint32_t z) {
            const bool wall = x == 0 || y == 0 || z == 0 || x == n - 1 || y == n - 1 || z == n - 1;
            return wall ? 3u : 0u;
        });
        MooreNeighborhoodDeposition(*volume, 4, layers).run();
        const auto cells = cellStates(*volume);
        const size_t empty = size_t(std::count(cells.begin(), cells.end(), 0u));
        QCOMPARE(empty == 0, filled);
        QCOMPARE(stateAt(*volume, 1, 1, 1), 4u);
    }

    void etchingStopsAtOtherMaterials()
    {
        // Silicon below, three layers of oxide (2) above it, empty space on top.
        auto volume =
            makeVolume(6, 5, 8, [](uint32_t, uint32_t, uint32_t z) { return z < 2 ? 1u : (z < 5 ? 2u : 0u); });
        MooreNeighborhoodEtching(*volume, 2, 10).run();
        for (uint32_t x = 0; x < 6; ++x)
            for (uint32_t y = 0; y < 5; ++y)
                for (uint32_t z = 0; z < 8; ++z)
                    QCOMPARE(stateAt(*volume, x, y, z), z < 2 ? 1u : 0u);
    }

    void etchingDoesNotPassThroughOtherMaterials()
    {
        // Oxide enclosed by a silicon shell is never reached, however deep the etch.
        auto volume = makeVolume(5, 5, 7, [](uint32_t x, uint32_t y, uint32_t z) {
            if (z >= 5)
                return 0u;
            const bool inner = x >= 1 && x <= 3 && y >= 1 && y <= 3 && z >= 1 && z <= 3;
            return inner ? 2u : 1u;
        });
        const auto before = cellStates(*volume);
        MooreNeighborhoodEtching(*volume, 2, 50).run();
        QCOMPARE(cellStates(*volume), before);
    }

    void diagonalContactIsEtchedInTheFirstStep_data()
    {
        QTest::addColumn<uint32_t>("x");
        QTest::addColumn<uint32_t>("y");
        QTest::addColumn<uint32_t>("z");
        QTest::newRow("face contact") << 1u << 0u << 0u;
        QTest::newRow("edge contact") << 1u << 1u << 0u;
        QTest::newRow("corner contact") << 1u << 1u << 1u;
    }
    void diagonalContactIsEtchedInTheFirstStep()
    {
        QFETCH(uint32_t, x);
        QFETCH(uint32_t, y);
        QFETCH(uint32_t, z);
        // Everything is oxide except the single empty corner cell (0, 0, 0).
        auto volume = makeVolume(4, 4, 4, [](uint32_t a, uint32_t b, uint32_t c) { return a + b + c == 0 ? 0u : 2u; });
        MooreNeighborhoodEtching(*volume, 2, 1).run();
        QCOMPARE(stateAt(*volume, x, y, z), 0u);
        QCOMPARE(stateAt(*volume, 2, 0, 0), 2u);
        QCOMPARE(stateAt(*volume, 2, 2, 2), 2u);
    }

    void zeroLayersOrEmptyMaterialChangeNothing()
    {
        auto volume =
            makeVolume(6, 6, 6, [](uint32_t x, uint32_t y, uint32_t z) { return patternState(x, y, z, 3, 2); });
        const auto before = cellStates(*volume);
        MooreNeighborhoodDeposition(*volume, 1, 0).run();
        MooreNeighborhoodEtching(*volume, 1, 0).run();
        MooreNeighborhoodDeposition(*volume, 0, 3).run();
        QCOMPARE(cellStates(*volume), before);
    }

    void resultsDoNotDependOnSlices_data()
    {
        QTest::addColumn<int>("threads");
        QTest::addColumn<uint32_t>("nx");
        QTest::addColumn<bool>("etching");
        QTest::newRow("deposition, one thread") << 1 << 17u << false;
        QTest::newRow("deposition, two slices") << 2 << 17u << false;
        QTest::newRow("deposition, eight slices of two") << 8 << 17u << false;
        QTest::newRow("deposition, narrow volume") << 4 << 7u << false;
        QTest::newRow("etching, one thread") << 1 << 17u << true;
        QTest::newRow("etching, three slices") << 3 << 17u << true;
        QTest::newRow("etching, eight slices of two") << 8 << 17u << true;
        QTest::newRow("etching, narrow volume") << 4 << 7u << true;
    }
    void resultsDoNotDependOnSlices()
    {
        QFETCH(int, threads);
        QFETCH(uint32_t, nx);
        QFETCH(bool, etching);
        PoolThreads pool(threads);
        // Sparse occupancy for deposition, a mostly-filled block for etching.
        auto volume = makeVolume(nx, 9, 10, [etching](uint32_t x, uint32_t y, uint32_t z) {
            const uint32_t s = patternState(x, y, z, 11, 8);
            if (etching)
                return s == 0 ? 0u : (s < 7 ? 2u : 1u);
            return s == 1 ? 1u : 0u;
        });
        const auto expected = referenceRun(*volume, 2, 3, etching);
        if (etching) {
            MooreNeighborhoodEtching engine(*volume, 2, 3);
            QCOMPARE(engine.sliceCount(), nx / uint32_t(threads) < 2 ? 1u : uint32_t(threads));
            engine.run();
        } else {
            MooreNeighborhoodDeposition engine(*volume, 2, 3);
            QCOMPARE(engine.sliceCount(), nx / uint32_t(threads) < 2 ? 1u : uint32_t(threads));
            engine.run();
        }
        QCOMPARE(cellStates(*volume), expected);
    }

    void slicesCoverTheVolume()
    {
        PoolThreads pool(3);
        auto volume = makeVolume(11, 2, 2, [](uint32_t, uint32_t, uint32_t) { return 0u; });
        MooreNeighborhoodDeposition engine(*volume, 1, 1);
        QCOMPARE(engine.sliceCount(), 3u);
        QCOMPARE(engine.slice(0).begin, 0u);
        QCOMPARE(engine.slice(0).end, 3u);
        QCOMPARE(engine.slice(1).begin, 3u);
        QCOMPARE(engine.slice(2).begin, 6u);
        QCOMPARE(engine.slice(2).end, 11u);
    }

    void operationsRunUndoAndRedo_data()
    {
        QTest::addColumn<bool>("etching");
        QTest::newRow("deposition") << false;
        QTest::newRow("etching") << true;
    }
    void operationsRunUndoAndRedo()
    {
        QFETCH(bool, etching);
        Core::Workspace ws;
        auto volume = makeVolume(8, 8, 8, [](uint32_t, uint32_t, uint32_t z) { return z < 4 ? 2u : 0u; });
        ws.document().addObject(volume);
        const auto before = cellStates(*volume);
        auto observer = std::make_shared<CountingObserver>();
        auto factory = std::make_shared<TestFactory>();
        factory->makers[18] = [&ws, observer] {
            return withObserver(std::make_shared<MooreNeighborhoodDepositionOperation>(ws), observer);
        };
        factory->makers[19] = [&ws, observer] {
            return withObserver(std::make_shared<MooreNeighborhoodEtchingOperation>(ws), observer);
        };
        ws.setOperationFactory(factory);
        observer->onNotify = [&ws] {
            if (auto op = std::dynamic_pointer_cast<MooreNeighborhoodDepositionOperation>(ws.currentOperation())) {
                op->setMaterial(3);
                op->setLayerCount(2);
            } else if (auto e = std::dynamic_pointer_cast<MooreNeighborhoodEtchingOperation>(ws.currentOperation())) {
                e->setMaterial(2);
                e->setLayerCount(2);
            }
        };

        ws.startOperation(etching ? 19 : 18);
        QCOMPARE(observer->count, 1);
        QCOMPARE(ws.console().message(), QStringLiteral("Moore film deposition: Operation finished."));
        QCOMPARE(ws.undoRedo().undoName(), QStringLiteral("Moore film deposition"));
        QCOMPARE(ws.lastOperation(volume->id()), etching ? 19u : 18u);
        const uint32_t changedZ = etching ? 3u : 5u;
        QCOMPARE(stateAt(*volume, 4, 4, changedZ), etching ? 0u : 3u);
        const auto after = cellStates(*volume);

        QVERIFY(ws.undoRedo().undo());
        QCOMPARE(cellStates(*volume), before);
        QVERIFY(ws.undoRedo().redo());
        QCOMPARE(cellStates(*volume), after);
    }

    void rejectedDialogCancels()
    {
        Core::Workspace ws;
        auto volume = makeVolume(4, 4, 4, [](uint32_t, uint32_t, uint32_t z) { return z < 2 ? 1u : 0u; });
        ws.document().addObject(volume);
        const auto before = cellStates(*volume);
        auto op = std::make_shared<MooreNeighborhoodEtchingOperation>(ws);
        op->setMaterial(1); // the layer count never comes
        op->start();
        QCOMPARE(ws.console().message(), QStringLiteral("Moore film deposition: Operation canceled."));
        QCOMPARE(cellStates(*volume), before);
        QVERIFY(!ws.undoRedo().canUndo());
    }
};

QTEST_GUILESS_MAIN(tst_MooreNeighborhood)
#include "tst_mooreneighborhood.moc"
