#include "Core/Operations/anisotropicfilmdeposition.h"
#include "Core/Operations/anisotropicfilmetching.h"
#include "Core/Operations/distancecountingiterations.h"
#include "Core/Operations/electrodeposition.h"
#include "Core/Operations/isotropicfilmdeposition.h"
#include "Core/Operations/isotropicfilmetching.h"
#include "Core/Operations/simplephysicalvapordeposition.h"
#include "enginetesthelpers.h"

#include <QtTest>

#include <cmath>

using namespace Core::Operations;
using namespace EngineTest;

namespace {

constexpr uint32_t Si = 1;
constexpr uint32_t Oxide = 3;
constexpr uint32_t Al = 4;
constexpr uint32_t Cu = 5;

/// A rough landscape with pillars, an overhang and a pocket of oxide: enough variety for fronts
/// to cross slice borders in every direction.
uint32_t landscape(uint32_t x, uint32_t y, uint32_t z)
{
    const uint32_t height = 3 + (x * 7 + y * 13) % 5;
    if (z < height)
        return (x + y) % 4 == 0 ? Oxide : Si;
    if (x % 6 == 2 && y % 5 == 1 && z < 12)
        return Al;
    if (z == 10 && x % 6 >= 2 && x % 6 <= 4 && y % 5 <= 3)
        return Al;
    return 0;
}

using EngineRun = std::function<void(TotalVolume &)>;

/// Isotropic deposition that puts every passable neighbour of a changed cell into the next front,
/// as the plain automaton does; the engines keep only the neighbours a change improves.
class FullFrontDeposition final : public AbstractDistanceCountingAutomatonNoFinalize {
public:
    FullFrontDeposition(TotalVolume &volume, uint32_t material, float thickness)
        : AbstractDistanceCountingAutomatonNoFinalize(volume)
        , m_material(material)
        , m_thickness(thickness)
    {
        m_passableStates = {0, material};
    }
    using AbstractDistanceCountingAutomatonNoFinalize::run;
    void run()
    {
        AbstractDistanceCountingAutomatonNoFinalize::run(
            DistanceCountingIterations::forDeposition(m_thickness, minCellSize()));
    }

protected:
    void initializeCell(uint32_t index, uint32_t slice) override
    {
        auto &cell = m_cells[index];
        cell.setSettled(cell.state() != 0);
        if (cell.state() != 0) {
            cell.setDistance(0, 0, 0);
            return;
        }
        cell.setDistance(m_thickness, m_thickness, m_thickness);
        if (anyNeighbour(index, [](const Model::Automaton::Voxel &n) { return n.state() != 0; }))
            joinFront(index, slice);
    }
    void updateCell(uint32_t index, uint32_t begin, uint32_t end, FrontSet &next, uint32_t slice) override
    {
        const auto &cell = m_cells[index];
        if (cell.isSettled())
            return;
        if (updateDistance(index, cell.state() ? cell.state() : m_material, m_thickness * m_thickness, begin, end, next,
                           slice))
            enqueueNeighbours(index, begin, end, next, slice);
    }

private:
    uint32_t m_material;
    float m_thickness;
};

} // namespace

Q_DECLARE_METATYPE(EngineRun)

class tst_DistanceCountingEngines : public QObject {
    Q_OBJECT
private slots:
    void iterationCounts_data()
    {
        QTest::addColumn<bool>("deposition");
        QTest::addColumn<float>("thickness");
        QTest::addColumn<float>("minCellSize");
        QTest::addColumn<uint>("expected");
        QTest::newRow("deposition 10") << true << 10.0f << 1.0f << 17u;  // trunc(10 * 1.7071)
        QTest::newRow("deposition 16") << true << 16.0f << 1.0f << 27u;  // trunc(27.31)
        QTest::newRow("deposition 9.2") << true << 9.2f << 1.0f << 17u;  // ceil first: 10 cells
        QTest::newRow("deposition flat") << true << 0.5f << 0.25f << 3u; // trunc(2 * 1.7071)
        QTest::newRow("deposition 0") << true << 0.0f << 1.0f << 0u;
        QTest::newRow("deposition negative") << true << -4.0f << 1.0f << 0u;
        QTest::newRow("etching 3") << false << 3.0f << 1.0f << 6u;    // ceil(5.12)
        QTest::newRow("etching 10") << false << 10.0f << 1.0f << 18u; // ceil(17.07)
        QTest::newRow("etching 9.2") << false << 9.2f << 1.0f << 16u; // ceil(15.7), no ceiling of t first
        QTest::newRow("etching 0") << false << 0.0f << 1.0f << 0u;
    }
    void iterationCounts()
    {
        QFETCH(bool, deposition);
        QFETCH(float, thickness);
        QFETCH(float, minCellSize);
        QFETCH(uint, expected);
        const uint32_t count = deposition ? DistanceCountingIterations::forDeposition(thickness, minCellSize)
                                          : DistanceCountingIterations::forEtching(thickness, minCellSize);
        QCOMPARE(count, expected);
    }

    void sliceBoundaries_data()
    {
        QTest::addColumn<int>("threads");
        QTest::addColumn<uint>("nx");
        QTest::addColumn<QList<uint>>("bounds");
        QTest::newRow("even") << 2 << 8u << QList<uint>{0, 4, 8};
        QTest::newRow("first slices wider") << 4 << 13u << QList<uint>{0, 4, 7, 10, 13};
        QTest::newRow("last slice takes the rest") << 4 << 10u << QList<uint>{0, 2, 4, 6, 10};
        QTest::newRow("narrower than the pool") << 7 << 3u << QList<uint>{0, 3};
        QTest::newRow("one thread") << 1 << 5u << QList<uint>{0, 5};
    }
    void sliceBoundaries()
    {
        QFETCH(int, threads);
        QFETCH(uint, nx);
        QFETCH(QList<uint>, bounds);
        PoolSize pool(threads);
        auto volume = makeVolume(nx, 2, 2, [](uint32_t, uint32_t, uint32_t) { return 0u; });
        IsotropicFilmDeposition engine(*volume, Oxide, 1.0f);
        QCOMPARE(engine.sliceCount() + 1, uint32_t(bounds.size()));
        for (uint32_t i = 0; i < engine.sliceCount(); ++i) {
            QCOMPARE(engine.sliceBegin(i), bounds[int(i)]);
            QCOMPARE(engine.sliceEnd(i), bounds[int(i) + 1]);
        }
    }

    void flatSurfaceGetsExactlyTheThickness_data()
    {
        QTest::addColumn<int>("threads");
        QTest::addColumn<uint>("nx");
        for (int threads : {1, 2, 3, 7})
            for (uint nx : {2u, 11u}) {
                const QByteArray name = QByteArray::number(threads) + " threads, nx " + QByteArray::number(nx);
                QTest::newRow(name.constData()) << threads << nx;
            }
    }
    void flatSurfaceGetsExactlyTheThickness()
    {
        QFETCH(int, threads);
        QFETCH(uint, nx);
        PoolSize pool(threads);
        auto volume = makeVolume(nx, 4, 20, [](uint32_t, uint32_t, uint32_t z) { return z < 3 ? Si : 0u; });
        IsotropicFilmDeposition engine(*volume, Oxide, 10.0f);
        engine.run();
        for (uint32_t x = 0; x < nx; ++x)
            for (uint32_t y = 0; y < 4; ++y)
                for (uint32_t z = 0; z < 20; ++z) {
                    const uint32_t expected = z < 3 ? Si : z < 13 ? Oxide : 0u;
                    QCOMPARE(stateAt(*volume, x, y, z), expected);
                }
    }

    void zeroThicknessChangesNothing()
    {
        auto volume = makeVolume(6, 5, 8, landscape);
        const auto before = states(*volume);
        IsotropicFilmDeposition deposition(*volume, Oxide, 0.0f);
        deposition.run();
        QCOMPARE(states(*volume), before);
        IsotropicFilmEtching etching(*volume, Si, 0.0f);
        etching.run();
        QCOMPARE(states(*volume), before);
        Electrodeposition plating(*volume, Cu, Al, 0.0f);
        plating.run();
        QCOMPARE(states(*volume), before);
    }

    void filmThinnerThanACell()
    {
        const Shape floor = [](uint32_t, uint32_t, uint32_t z) { return z < 2 ? Si : 0u; };
        auto cubic = makeVolume(3, 3, 6, floor);
        const auto before = states(*cubic);
        IsotropicFilmDeposition onCubic(*cubic, Oxide, 0.5f);
        onCubic.run();
        QCOMPARE(states(*cubic), before);

        // Cells a quarter as tall: half a unit is two layers.
        auto flat = makeVolume(3, 3, 6, floor, 1.0f, 1.0f, 0.25f);
        IsotropicFilmDeposition onFlat(*flat, Oxide, 0.5f);
        onFlat.run();
        for (uint32_t z = 0; z < 6; ++z)
            QCOMPARE(stateAt(*flat, 1, 1, z), z < 2 ? Si : z < 4 ? Oxide : 0u);
    }

    void convexEdgeGivesAQuarterCylinder()
    {
        // A block x < 5, z < 5 (uniform in y); its edge is the cell column (4, *, 4).
        const float t = 6.0f;
        auto volume = makeVolume(16, 3, 16, [](uint32_t x, uint32_t, uint32_t z) { return x < 5 && z < 5 ? Si : 0u; });
        IsotropicFilmDeposition engine(*volume, Oxide, t);
        engine.run();
        for (uint32_t x = 5; x < 16; ++x)
            for (uint32_t z = 5; z < 16; ++z) {
                const float dx = float(x - 4), dz = float(z - 4);
                const uint32_t expected = dx * dx + dz * dz <= t * t ? Oxide : 0u;
                QVERIFY2(stateAt(*volume, x, 1, z) == expected,
                         qPrintable(QStringLiteral("cell %1, %2").arg(x).arg(z)));
            }
        // Straight faces away from the edge are t thick.
        QCOMPARE(stateAt(*volume, 1, 1, 10), Oxide);
        QCOMPARE(stateAt(*volume, 1, 1, 11), 0u);
        QCOMPARE(stateAt(*volume, 10, 1, 1), Oxide);
        QCOMPARE(stateAt(*volume, 11, 1, 1), 0u);
    }

    void concaveCornerIsFilled()
    {
        // A floor z < 3 and a wall x < 3: the film fills the inner corner completely.
        const uint32_t t = 4;
        auto volume = makeVolume(14, 3, 14, [](uint32_t x, uint32_t, uint32_t z) { return x < 3 || z < 3 ? Si : 0u; });
        IsotropicFilmDeposition engine(*volume, Oxide, float(t));
        engine.run();
        for (uint32_t x = 3; x < 14; ++x)
            for (uint32_t z = 3; z < 14; ++z) {
                const bool nearFloor = z - 2 <= t;
                const bool nearWall = x - 2 <= t;
                QCOMPARE(stateAt(*volume, x, 1, z), nearFloor || nearWall ? Oxide : 0u);
            }
    }

    void etchingSparesOtherMaterialsAndStopsAtTheDepth()
    {
        // Oxide z < 10 with a silicon plug in the top two layers of column (2, 2).
        auto volume = makeVolume(6, 5, 14, [](uint32_t x, uint32_t y, uint32_t z) {
            if (z >= 10)
                return 0u;
            return x == 2 && y == 2 && z >= 8 ? Si : Oxide;
        });
        IsotropicFilmEtching engine(*volume, Oxide, 3.0f);
        engine.run();
        for (uint32_t x = 0; x < 6; ++x)
            for (uint32_t y = 0; y < 5; ++y)
                for (uint32_t z = 0; z < 14; ++z) {
                    uint32_t expected = z >= 7 ? 0u : Oxide;
                    if (x == 2 && y == 2 && z >= 8 && z < 10)
                        expected = Si;
                    // Under the plug the nearest empty cell is sqrt(10) away, beyond the depth.
                    if (x == 2 && y == 2 && z == 7)
                        expected = Oxide;
                    QCOMPARE(stateAt(*volume, x, y, z), expected);
                }
    }

    void electroplatingGrowsOnlyFromTheConductor()
    {
        // A floor of oxide (x < 5) and aluminium (x >= 5), one cell deep in y.
        auto volume =
            makeVolume(10, 1, 6, [](uint32_t x, uint32_t, uint32_t z) { return z == 0 ? (x < 5 ? Oxide : Al) : 0u; });
        Electrodeposition engine(*volume, Cu, Al, 2.0f);
        engine.run();
        for (uint32_t x = 0; x < 10; ++x)
            for (uint32_t z = 0; z < 6; ++z) {
                uint32_t expected = 0;
                if (z == 0)
                    expected = x < 5 ? Oxide : Al;
                else if (x >= 5 && z <= 2)
                    expected = Cu;
                else if (x == 4 && z == 1) // sqrt(2) from the conductor's edge
                    expected = Cu;
                QCOMPARE(stateAt(*volume, x, 0, z), expected);
            }
    }

    void anisotropicRatioOneEqualsIsotropic()
    {
        auto a = makeVolume(9, 7, 16, landscape);
        auto b = makeVolume(9, 7, 16, landscape);
        IsotropicFilmDeposition iso(*a, Cu, 3.5f);
        iso.run();
        AnisotropicFilmDeposition aniso(*b, Cu, 3.5f, 1.0f);
        aniso.run();
        QCOMPARE(states(*b), states(*a));
        QVERIFY(states(*a) != states(*makeVolume(9, 7, 16, landscape)));
    }

    void anisotropicHalfRatioOnTopAndWall()
    {
        // A floor z < 2 and a full-height wall x < 3.
        auto volume = makeVolume(20, 3, 30, [](uint32_t x, uint32_t, uint32_t z) { return x < 3 || z < 2 ? Si : 0u; });
        AnisotropicFilmDeposition engine(*volume, Oxide, 10.0f, 0.5f);
        engine.run();
        // Far from the wall the floor receives 10 layers.
        for (uint32_t z = 2; z < 30; ++z)
            QCOMPARE(stateAt(*volume, 15, 1, z), z < 12 ? Oxide : 0u);
        // High above the floor the wall receives 5 cells.
        for (uint32_t x = 3; x < 20; ++x)
            QCOMPARE(stateAt(*volume, x, 1, 20), x < 8 ? Oxide : 0u);
    }

    void anisotropicEtchingWithRatioZeroGoesStraightDown()
    {
        // Oxide z < 10 under a silicon mask (z == 10) with a slot at x = 4, 5.
        auto volume = makeVolume(10, 3, 14, [](uint32_t x, uint32_t, uint32_t z) {
            if (z < 10)
                return Oxide;
            if (z == 10)
                return x == 4 || x == 5 ? 0u : Si;
            return 0u;
        });
        AnisotropicFilmEtching engine(*volume, Oxide, 4.0f, 0.0f);
        engine.run();
        for (uint32_t x = 0; x < 10; ++x)
            for (uint32_t y = 0; y < 3; ++y)
                for (uint32_t z = 0; z < 10; ++z) {
                    const bool inSlot = x == 4 || x == 5;
                    QCOMPARE(stateAt(*volume, x, y, z), inSlot && z >= 6 ? 0u : Oxide);
                }
    }

    void pvdSides_data()
    {
        QTest::addColumn<uint>("side");
        QTest::addColumn<bool>("onTop");
        QTest::addColumn<bool>("underneath");
        QTest::newRow("on top") << 1u << true << false;
        QTest::newRow("on bottom") << 2u << false << true;
        QTest::newRow("on top and bottom") << 3u << true << true;
    }
    void pvdSides()
    {
        QFETCH(uint, side);
        QFETCH(bool, onTop);
        QFETCH(bool, underneath);
        // A floor z < 2, a pillar at x = 0 and a shelf three cells thick (z 7..9) reaching to x = 5.
        const Shape overhang = [](uint32_t x, uint32_t, uint32_t z) {
            if (z < 2 || (x == 0 && z < 10) || (x <= 5 && z >= 7 && z <= 9))
                return Si;
            return 0u;
        };
        auto volume = makeVolume(12, 2, 14, overhang);
        SimplePhysicalVaporDeposition engine(*volume, Al, 2.0f, 1.0f, side);
        engine.run();

        // Worked by hand: the shelf's top (z 10, 11), its underside (z 5, 6), the floor (z 2, 3).
        for (uint32_t x = 1; x <= 4; ++x) {
            QCOMPARE(stateAt(*volume, x, 0, 10) == Al, onTop);
            QCOMPARE(stateAt(*volume, x, 0, 11) == Al, onTop);
            QCOMPARE(stateAt(*volume, x, 0, 12), 0u);
            QCOMPARE(stateAt(*volume, x, 0, 6) == Al, underneath);
            QCOMPARE(stateAt(*volume, x, 0, 5) == Al, underneath);
            QCOMPARE(stateAt(*volume, x, 0, 4), 0u);
            QCOMPARE(stateAt(*volume, x, 0, 2) == Al, onTop);
        }
        QCOMPARE(stateAt(*volume, 9, 1, 3) == Al, onTop);
        QCOMPARE(stateAt(*volume, 9, 1, 4), 0u);

        // Everywhere: filled exactly within distance 2 of a source face of the chosen sides.
        auto reference = makeVolume(12, 2, 14, overhang);
        for (uint32_t x = 0; x < 12; ++x)
            for (uint32_t z = 0; z < 14; ++z) {
                if (overhang(x, 0, z) != 0)
                    continue;
                bool near = false;
                for (uint32_t sx = 0; sx < 12; ++sx)
                    for (uint32_t sz = 0; sz < 14; ++sz) {
                        if (overhang(sx, 0, sz) == 0)
                            continue;
                        const bool top = (side & 1) && sz + 1 < 14 && overhang(sx, 0, sz + 1) == 0;
                        const bool bottom = (side & 2) && sz > 0 && overhang(sx, 0, sz - 1) == 0;
                        const float dx = float(sx) - float(x), dz = float(sz) - float(z);
                        if ((top || bottom) && dx * dx + dz * dz <= 4.0f)
                            near = true;
                    }
                QVERIFY2((stateAt(*volume, x, 1, z) == Al) == near,
                         qPrintable(QStringLiteral("cell %1, %2").arg(x).arg(z)));
            }
    }

    void resultsDoNotDependOnThreads_data()
    {
        QTest::addColumn<EngineRun>("engine");
        QTest::addColumn<uint>("nx");
        const QList<QPair<QByteArray, EngineRun>> engines{
            {"isotropic deposition", [](TotalVolume &v) { IsotropicFilmDeposition(v, Cu, 4.5f).run(); }},
            {"isotropic etching", [](TotalVolume &v) { IsotropicFilmEtching(v, Si, 3.0f).run(); }},
            {"electroplating", [](TotalVolume &v) { Electrodeposition(v, Cu, Al, 3.0f).run(); }},
            {"anisotropic deposition", [](TotalVolume &v) { AnisotropicFilmDeposition(v, Cu, 5.0f, 0.4f).run(); }},
            {"anisotropic etching", [](TotalVolume &v) { AnisotropicFilmEtching(v, Si, 4.0f, 0.7f).run(); }},
            {"pvd", [](TotalVolume &v) { SimplePhysicalVaporDeposition(v, Cu, 3.0f, 0.5f, 3).run(); }},
        };
        for (const auto &e : engines)
            for (uint nx : {3u, 23u})
                QTest::newRow((e.first + " nx " + QByteArray::number(nx)).constData()) << e.second << nx;
    }
    void resultsDoNotDependOnThreads()
    {
        QFETCH(EngineRun, engine);
        QFETCH(uint, nx);
        CellImage reference;
        for (int threads : {1, 2, 3, 7}) {
            PoolSize pool(threads);
            auto volume = makeVolume(nx, 9, 16, landscape);
            engine(*volume);
            const CellImage result = image(*volume);
            if (threads == 1) {
                reference = result;
                QVERIFY(reference.states != states(*makeVolume(nx, 9, 16, landscape)));
            } else {
                QVERIFY2(result == reference, qPrintable(QStringLiteral("%1 threads").arg(threads)));
            }
        }
    }

    void prunedFrontsGiveTheSameCells_data()
    {
        QTest::addColumn<float>("thickness");
        QTest::addColumn<float>("cellSizeZ");
        QTest::newRow("thin") << 1.5f << 1.0f;
        QTest::newRow("thick") << 7.3f << 1.0f;
        QTest::newRow("flat cells") << 4.0f << 0.4f;
    }
    void prunedFrontsGiveTheSameCells()
    {
        QFETCH(float, thickness);
        QFETCH(float, cellSizeZ);
        auto pruned = makeVolume(13, 11, 16, landscape, 1.0f, 1.0f, cellSizeZ);
        auto full = makeVolume(13, 11, 16, landscape, 1.0f, 1.0f, cellSizeZ);
        IsotropicFilmDeposition(*pruned, Cu, thickness).run();
        FullFrontDeposition(*full, Cu, thickness).run();
        QVERIFY(image(*pruned) == image(*full));
        QVERIFY(states(*pruned) != states(*makeVolume(13, 11, 16, landscape)));
    }

    void hugeThicknessStopsWhenNothingCanChange()
    {
        // The bound is some 1.7 billion iterations; the run ends once every front is empty.
        auto volume = makeVolume(6, 5, 12, landscape);
        IsotropicFilmDeposition engine(*volume, Cu, 1.0e9f);
        QVERIFY(engine.iterationCount() > 1000000000u);
        engine.run();
        QVERIFY(engine.iterationsRun() < 40u);
        for (uint32_t state : states(*volume))
            QVERIFY(state != 0);
    }

    void otherFieldsAreLeftAlone()
    {
        auto volume = makeVolume(5, 4, 8, landscape);
        {
            Model::Automaton::CellLock lock(*volume);
            for (size_t i = 0; i < volume->cellCount(); ++i) {
                lock.cells()[i].setAtomCount(uint32_t(i));
                if (i % 3 == 0)
                    lock.cells()[i].addCut();
            }
        }
        IsotropicFilmDeposition(*volume, Cu, 2.0f).run();
        Model::Automaton::CellLock lock(*volume);
        for (size_t i = 0; i < volume->cellCount(); ++i) {
            QCOMPARE(lock.cells()[i].atomCount(), uint32_t(i));
            QCOMPARE(lock.cells()[i].isCut(), i % 3 == 0);
        }
    }
};

QTEST_GUILESS_MAIN(tst_DistanceCountingEngines)
#include "tst_distancecountingengines.moc"
