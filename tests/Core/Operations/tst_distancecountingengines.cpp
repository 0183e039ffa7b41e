#include "Core/Operations/anisotropicfilmdeposition.h"
#include "Core/Operations/anisotropicfilmetching.h"
#include "Core/Operations/distancecountingiterations.h"
#include "Core/Operations/electrodeposition.h"
#include "Core/Operations/isotropicfilmdeposition.h"
#include "Core/Operations/isotropicfilmetching.h"
#include "Core/Operations/simplephysicalvapordeposition.h"
#include "Core/Operations/simplereactiveionetching.h"
#include "enginetesthelpers.h"

#include <QtTest>

using namespace Core::Operations;
using namespace EngineTest;

namespace {

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

/// Silicon from z 2 to 11 with an oxide cap on column (1, 1) and an oxide foot under (3, 2).
uint32_t block(uint32_t x, uint32_t y, uint32_t z)
{
    if ((x == 1 && y == 1 && z == 12) || (x == 3 && y == 2 && z == 1))
        return Oxide;
    return z >= 2 && z <= 11 ? Si : 0u;
}

void rie(const char *name, uint8_t direction, uint32_t depth)
{
    scene(
        name, {5, 4, 14}, block, [=](TotalVolume &v) { SimpleReactiveIonEtching(v, Si, depth, direction).run(); },
        [=](uint32_t x, uint32_t y, uint32_t z) {
            if (block(x, y, z) != Si)
                return block(x, y, z);
            const bool fromTop = (direction & 1) && !(x == 1 && y == 1) && z + depth > 11;
            const bool fromBelow = (direction & 2) && !(x == 3 && y == 2) && z < 2 + depth;
            return fromTop || fromBelow ? 0u : Si;
        });
}

/// A floor z < 2, a pillar at x = 0 and a shelf three cells thick (z 7..9) reaching to x = 5.
uint32_t overhang(uint32_t x, uint32_t, uint32_t z)
{
    return z < 2 || (x == 0 && z < 10) || (x <= 5 && z >= 7 && z <= 9) ? Si : 0u;
}

/// Film of 2 on the chosen sides: filled within distance 2 of a source face, found by search.
void pvd(const char *name, uint8_t side)
{
    scene(
        name, {12, 2, 14}, overhang,
        [=](TotalVolume &v) { SimplePhysicalVaporDeposition(v, Al, 2.0f, 1.0f, side).run(); },
        [=](uint32_t x, uint32_t, uint32_t z) {
            if (overhang(x, 0, z) != 0)
                return Si;
            for (uint32_t sx = 0; sx < 12; ++sx)
                for (uint32_t sz = 0; sz < 14; ++sz) {
                    const bool top = (side & 1) && sz + 1 < 14 && overhang(sx, 0, sz + 1) == 0;
                    const bool bottom = (side & 2) && sz > 0 && overhang(sx, 0, sz - 1) == 0;
                    const float dx = float(sx) - float(x), dz = float(sz) - float(z);
                    if (overhang(sx, 0, sz) != 0 && (top || bottom) && dx * dx + dz * dz <= 4.0f)
                        return Al;
                }
            return 0u;
        });
}

} // namespace

class tst_DistanceCountingEngines : public QObject {
    Q_OBJECT
private slots:
    void iterationCounts_data()
    {
        QTest::addColumn<bool>("deposition");
        QTest::addColumn<float>("thickness");
        QTest::addColumn<float>("minCellSize");
        QTest::addColumn<uint>("expected");
        QTest::newRow("deposition 16") << true << 16.0f << 1.0f << 27u;  // trunc(16 * 1.7071)
        QTest::newRow("deposition 9.2") << true << 9.2f << 1.0f << 17u;  // ceil first: 10 cells
        QTest::newRow("deposition flat") << true << 0.5f << 0.25f << 3u; // trunc(2 * 1.7071)
        QTest::newRow("deposition negative") << true << -4.0f << 1.0f << 0u;
        QTest::newRow("etching 3") << false << 3.0f << 1.0f << 6u;    // ceil(5.12)
        QTest::newRow("etching 9.2") << false << 9.2f << 1.0f << 16u; // ceil(15.7), no ceiling of t first
        QTest::newRow("etching 0") << false << 0.0f << 1.0f << 0u;
    }
    void iterationCounts()
    {
        QFETCH(bool, deposition);
        QFETCH(float, thickness);
        QFETCH(float, minCellSize);
        QFETCH(uint, expected);
        QCOMPARE(deposition ? DistanceCountingIterations::forDeposition(thickness, minCellSize)
                            : DistanceCountingIterations::forEtching(thickness, minCellSize),
                 expected);
    }

    void handWorkedResults_data()
    {
        QTest::addColumn<Scene>("scene");
        const Shape floor = [](uint32_t, uint32_t, uint32_t z) { return z < 3 ? Si : 0u; };
        scene(
            "flat surface gets exactly the thickness", {11, 4, 20}, floor,
            [](TotalVolume &v) { IsotropicFilmDeposition(v, Oxide, 10.0f).run(); },
            [](uint32_t, uint32_t, uint32_t z) { return z < 3 ? Si : (z < 13 ? Oxide : 0u); });
        unchanged("film thinner than a cell adds nothing", {3, 3, 6}, floor,
                  [](TotalVolume &v) { IsotropicFilmDeposition(v, Oxide, 0.5f).run(); });
        scene(
            "half a unit is two quarter-height layers", {3, 3, 8}, floor,
            [](TotalVolume &v) { IsotropicFilmDeposition(v, Oxide, 0.5f).run(); },
            [](uint32_t, uint32_t, uint32_t z) { return z < 3 ? Si : (z < 5 ? Oxide : 0u); }, 0.25f);
        unchanged("zero thickness and depth change nothing", {6, 5, 8}, rough, [](TotalVolume &v) {
            IsotropicFilmDeposition(v, Oxide, 0).run();
            IsotropicFilmEtching(v, Si, 0).run();
            Electrodeposition(v, Cu, Al, 0).run();
        });
        // A block x < 5, z < 5 whose edge is the cell column (4, *, 4): a quarter cylinder of 6.
        scene(
            "convex edge", {16, 3, 16}, [](uint32_t x, uint32_t, uint32_t z) { return x < 5 && z < 5 ? Si : 0u; },
            [](TotalVolume &v) { IsotropicFilmDeposition(v, Oxide, 6.0f).run(); },
            [](uint32_t x, uint32_t, uint32_t z) {
                const float dx = x < 5 ? 0.0f : float(x - 4), dz = z < 5 ? 0.0f : float(z - 4);
                return x < 5 && z < 5 ? Si : (dx * dx + dz * dz <= 36.0f ? Oxide : 0u);
            });
        scene(
            "concave corner is filled", {14, 3, 14},
            [](uint32_t x, uint32_t, uint32_t z) { return x < 3 || z < 3 ? Si : 0u; },
            [](TotalVolume &v) { IsotropicFilmDeposition(v, Oxide, 4.0f).run(); },
            [](uint32_t x, uint32_t, uint32_t z) { return x < 3 || z < 3 ? Si : (z <= 6 || x <= 6 ? Oxide : 0u); });
        // Oxide z < 10 with a silicon plug in the top two layers of column (2, 2); under the plug
        // the nearest empty cell is sqrt(10) away, beyond the depth of 3.
        const Shape plugged = [](uint32_t x, uint32_t y, uint32_t z) {
            return z >= 10 ? 0u : (x == 2 && y == 2 && z >= 8 ? Si : Oxide);
        };
        scene(
            "etching spares other materials", {6, 5, 14}, plugged,
            [](TotalVolume &v) { IsotropicFilmEtching(v, Oxide, 3.0f).run(); },
            [plugged](uint32_t x, uint32_t y, uint32_t z) {
                return plugged(x, y, z) == Oxide && z >= 7 && !(x == 2 && y == 2) ? 0u : plugged(x, y, z);
            });
        // Oxide floor for x < 5, aluminium for x >= 5; (4, 1) is sqrt 2 from the conductor's edge.
        const Shape pads = [](uint32_t x, uint32_t, uint32_t z) { return z == 0 ? (x < 5 ? Oxide : Al) : 0u; };
        scene(
            "electroplating grows only from the conductor", {10, 1, 6}, pads,
            [](TotalVolume &v) { Electrodeposition(v, Cu, Al, 2.0f).run(); },
            [pads](uint32_t x, uint32_t y, uint32_t z) {
                return (z > 0 && x >= 5 && z <= 2) || (x == 4 && z == 1) ? Cu : pads(x, y, z);
            });
        // Oxide z < 10 under a silicon mask (z == 10) with a slot at x = 4, 5.
        const Shape slotted = [](uint32_t x, uint32_t, uint32_t z) {
            return z < 10 ? Oxide : (z == 10 && x != 4 && x != 5 ? Si : 0u);
        };
        scene(
            "anisotropic etching with ratio 0 goes straight down", {10, 3, 14}, slotted,
            [](TotalVolume &v) { AnisotropicFilmEtching(v, Oxide, 4.0f, 0.0f).run(); },
            [slotted](uint32_t x, uint32_t y, uint32_t z) {
                return (x == 4 || x == 5) && z >= 6 && z < 10 ? 0u : slotted(x, y, z);
            });
        pvd("pvd on top", 1);
        pvd("pvd on bottom", 2);
        pvd("pvd on top and bottom", 3);
        rie("rie from top", SimpleReactiveIonEtching::fromTop, 3);
        rie("rie from below", 2, 3);
        rie("rie both ways", 3, 3);
        rie("rie in no direction", 0, 3);
        rie("rie through the block", 3, 40);
        scene(
            "rie never etches sideways", {6, 2, 8},
            [](uint32_t x, uint32_t, uint32_t z) { return x == 2 && z < 6 ? Si : 0u; },
            [](TotalVolume &v) { SimpleReactiveIonEtching(v, Si, 2, SimpleReactiveIonEtching::fromTop).run(); },
            [](uint32_t x, uint32_t, uint32_t z) { return x == 2 && z < 4 ? Si : 0u; });
    }
    void handWorkedResults() { checkScene(); }

    void anisotropicRatioOneEqualsIsotropic()
    {
        auto a = makeVolume(9, 7, 16, rough);
        auto b = makeVolume(9, 7, 16, rough);
        IsotropicFilmDeposition(*a, Cu, 3.5f).run();
        AnisotropicFilmDeposition(*b, Cu, 3.5f, 1.0f).run();
        QCOMPARE(states(*b), states(*a));
        QVERIFY(states(*a) != states(*makeVolume(9, 7, 16, rough)));
    }

    void anisotropicHalfRatioOnTopAndWall()
    {
        // A floor z < 2 and a full-height wall x < 3: 10 layers on the floor, 5 cells on the wall.
        auto volume = makeVolume(20, 3, 30, [](uint32_t x, uint32_t, uint32_t z) { return x < 3 || z < 2 ? Si : 0u; });
        AnisotropicFilmDeposition(*volume, Oxide, 10.0f, 0.5f).run();
        for (uint32_t z = 2; z < 30; ++z)
            QCOMPARE(stateAt(*volume, 15, 1, z), z < 12 ? Oxide : 0u);
        for (uint32_t x = 3; x < 20; ++x)
            QCOMPARE(stateAt(*volume, x, 1, 20), x < 8 ? Oxide : 0u);
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
        auto pruned = makeVolume(13, 11, 16, rough, 1.0f, 1.0f, cellSizeZ);
        auto full = makeVolume(13, 11, 16, rough, 1.0f, 1.0f, cellSizeZ);
        IsotropicFilmDeposition(*pruned, Cu, thickness).run();
        FullFrontDeposition(*full, Cu, thickness).run();
        QVERIFY(image(*pruned) == image(*full));
        QVERIFY(states(*pruned) != states(*makeVolume(13, 11, 16, rough)));
    }

    void hugeThicknessStopsWhenNothingCanChange()
    {
        // The bound is some 1.7 billion iterations; the run ends once every front is empty.
        auto volume = makeVolume(6, 5, 12, rough);
        IsotropicFilmDeposition engine(*volume, Cu, 1.0e9f);
        QVERIFY(engine.iterationCount() > 1000000000u);
        engine.run();
        QVERIFY(engine.iterationsRun() < 40u);
        for (uint32_t state : states(*volume))
            QVERIFY(state != 0);
    }

    void otherFieldsAreLeftAlone()
    {
        auto volume = makeVolume(5, 4, 8, rough);
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
