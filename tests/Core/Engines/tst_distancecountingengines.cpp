#include "Core/Engines/Columns/simplereactiveionetching.h"
#include "Core/Engines/DistanceCounting/distancecountingiterations.h"
#include "Core/Engines/DistanceCounting/electrodeposition.h"
#include "Core/Engines/DistanceCounting/filmdepositionengine.h"
#include "Core/Engines/DistanceCounting/filmetchingengine.h"
#include "Core/Engines/DistanceCounting/ionimplantation.h"
#include "Core/Engines/DistanceCounting/simpledoping.h"
#include "Core/Engines/DistanceCounting/simplephysicalvapordeposition.h"
#include "Core/Engines/DistanceCounting/simplesioxidation.h"
#include "catalogtesthome.h"
#include "enginetesthelpers.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace Core::Operations;
using namespace EngineTest;

namespace {

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

/// Silicon below z = top, with the layers `changed` turned into `material`.
Shape layered(uint32_t top, uint32_t material = Si, const QList<uint32_t> &changed = {})
{
    return [=](uint32_t, uint32_t, uint32_t z) { return z >= top ? 0u : (changed.contains(z) ? material : Si); };
}

void doping(const char *name, float depth, const QList<uint32_t> &doped)
{
    scene(
        name, {5, 4, 10}, layered(6), [=](TotalVolume &v) { SimpleDoping(v, NSi, depth).run(); },
        layered(6, NSi, doped));
}

void implantation(const char *name, float depth, float spread, float annealing, const QList<uint32_t> &implanted,
                  float cz = 1.0f)
{
    scene(
        name, {4, 3, 11}, layered(8), [=](TotalVolume &v) { IonImplantation(v, PSi, depth, spread, annealing).run(); },
        layered(8, PSi, implanted), cz);
}

} // namespace

class tst_DistanceCountingEngines : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void iterationCounts_data()
    {
        QTest::addColumn<bool>("deposition");
        QTest::addColumn<float>("thickness");
        QTest::addColumn<float>("minCellSize");
        QTest::addColumn<uint>("expected");
        // ceil(sqrt 3 t / c) + 1: the steps along the space diagonal and one for rounding.
        QTest::newRow("deposition 16") << true << 16.0f << 1.0f << 29u;        // ceil(27.71) + 1
        QTest::newRow("deposition 9.2") << true << 9.2f << 1.0f << 17u;        // ceil(15.93) + 1
        QTest::newRow("etching 100") << false << 100.0f << 1.0f << 175u;       // ceil(173.21) + 1
        QTest::newRow("etching, half cells") << false << 10.0f << 0.5f << 36u; // ceil(34.64) + 1
        QTest::newRow("deposition negative") << true << -4.0f << 1.0f << 0u;
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
            [](TotalVolume &v) { FilmDepositionEngine(v, Oxide, 10.0f).run(); },
            [](uint32_t, uint32_t, uint32_t z) { return z < 3 ? Si : (z < 13 ? Oxide : 0u); });
        unchanged("film thinner than a cell adds nothing", {3, 3, 6}, floor,
                  [](TotalVolume &v) { FilmDepositionEngine(v, Oxide, 0.5f).run(); });
        scene(
            "half a unit is two quarter-height layers", {3, 3, 8}, floor,
            [](TotalVolume &v) { FilmDepositionEngine(v, Oxide, 0.5f).run(); },
            [](uint32_t, uint32_t, uint32_t z) { return z < 3 ? Si : (z < 5 ? Oxide : 0u); }, 0.25f);
        unchanged("zero thickness and depth change nothing", {6, 5, 8}, rough, [](TotalVolume &v) {
            FilmDepositionEngine(v, Oxide, 0).run();
            FilmEtchingEngine(v, Si, 0).run();
            Electrodeposition(v, Cu, Al, 0).run();
        });
        // A block x < 5, z < 5 whose edge is the cell column (4, *, 4): a quarter cylinder of 6.
        scene(
            "convex edge", {16, 3, 16}, [](uint32_t x, uint32_t, uint32_t z) { return x < 5 && z < 5 ? Si : 0u; },
            [](TotalVolume &v) { FilmDepositionEngine(v, Oxide, 6.0f).run(); },
            [](uint32_t x, uint32_t, uint32_t z) {
                const float dx = x < 5 ? 0.0f : float(x - 4), dz = z < 5 ? 0.0f : float(z - 4);
                return x < 5 && z < 5 ? Si : (dx * dx + dz * dz <= 36.0f ? Oxide : 0u);
            });
        scene(
            "concave corner is filled", {14, 3, 14},
            [](uint32_t x, uint32_t, uint32_t z) { return x < 3 || z < 3 ? Si : 0u; },
            [](TotalVolume &v) { FilmDepositionEngine(v, Oxide, 4.0f).run(); },
            [](uint32_t x, uint32_t, uint32_t z) { return x < 3 || z < 3 ? Si : (z <= 6 || x <= 6 ? Oxide : 0u); });
        // Oxide z < 10 with a silicon plug in the top two layers of column (2, 2); under the plug
        // the nearest empty cell is sqrt(10) away, beyond the depth of 3.
        const Shape plugged = [](uint32_t x, uint32_t y, uint32_t z) {
            return z >= 10 ? 0u : (x == 2 && y == 2 && z >= 8 ? Si : Oxide);
        };
        scene(
            "etching spares other materials", {6, 5, 14}, plugged,
            [](TotalVolume &v) { FilmEtchingEngine(v, Oxide, 3.0f).run(); },
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
            [](TotalVolume &v) { FilmEtchingEngine(v, Oxide, 4.0f, 0.0f).run(); },
            [slotted](uint32_t x, uint32_t y, uint32_t z) {
                return (x == 4 || x == 5) && z >= 6 && z < 10 ? 0u : slotted(x, y, z);
            });
        pvd("pvd on top", 1);
        pvd("pvd on bottom", 2);
        rie("rie both ways", 3, 3);
        rie("rie through the block", 3, 40);
        scene(
            "rie never etches sideways", {6, 2, 8},
            [](uint32_t x, uint32_t, uint32_t z) { return x == 2 && z < 6 ? Si : 0u; },
            [](TotalVolume &v) { SimpleReactiveIonEtching(v, Si, 2, SimpleReactiveIonEtching::fromTop).run(); },
            [](uint32_t x, uint32_t, uint32_t z) { return x == 2 && z < 4 ? Si : 0u; });
        // Below a flat surface the top silicon cell is 1 from the empty cell above it, the next 2...
        doping("doping 0.9: nothing", 0.9f, {});
        doping("doping 1: the top layer", 1.0f, {5});
        doping("doping 3", 3.0f, {3, 4, 5});
        unchanged(
            "shield thicker than the depth", {5, 4, 14},
            [](uint32_t, uint32_t, uint32_t z) { return z < 6 ? Si : (z < 10 ? Oxide : 0u); },
            [](TotalVolume &v) { SimpleDoping(v, NSi, 3.0f).run(); });
        unchanged("no dopable material", {6, 5, 12}, rough, [](TotalVolume &v) {
            CompatibleMaterials none(13, {});
            SimpleDoping(v, NSi, 5.0f).run();
            IonImplantation(v, NSi, 2.0f, 1.0f, 2.0f).run();
        });
        // Silicon z < 6 under an oxide mask z 6..9 over x < 5: open silicon is doped two layers
        // deep; under the mask only cells within 2.5 of the empty cell (5, 6): (4, 5) at sqrt 2,
        // (4, 4) and (3, 5) at sqrt 5; (3, 4) at sqrt 8 is too far.
        const Shape masked = [](uint32_t x, uint32_t, uint32_t z) {
            return z < 6 ? Si : (x < 5 && z < 10 ? Oxide : 0u);
        };
        scene(
            "doping spreads under the edge of a mask", {10, 1, 12}, masked,
            [](TotalVolume &v) { SimpleDoping(v, NSi, 2.5f).run(); },
            [masked](uint32_t x, uint32_t y, uint32_t z) {
                const bool open = z < 6 && x >= 5 && z >= 4;
                const bool underEdge = (x == 4 && (z == 5 || z == 4)) || (x == 3 && z == 5);
                return open || underEdge ? NSi : masked(x, y, z);
            });
        // The top silicon cell is z = 7 (d = 1); cells with |d cz - D| <= cz / 2 + S are implanted.
        implantation("implantation S 0, D 2.5", 2.5f, 0.0f, 0.0f, {5, 6});
        implantation("implantation S 1, D 3", 3.0f, 1.0f, 0.0f, {4, 5, 6});
        implantation("implantation in half-height cells", 2.5f, 0.0f, 0.0f, {3}, 0.5f);
        implantation("implantation D 0 reaches the top cell", 0.0f, 0.5f, 0.0f, {7});
        // Annealing spreads the band z 5, 6 through silicon by the annealing distance.
        implantation("annealing 2", 2.5f, 0.0f, 2.0f, {3, 4, 5, 6, 7});
        // The band z 3, 4 (d = 4, 5); annealing 3 would reach z 0 and 1 only through the oxide.
        scene(
            "annealing stops at other materials", {4, 4, 10},
            [](uint32_t, uint32_t, uint32_t z) { return z == 2 ? Oxide : (z < 8 ? Si : 0u); },
            [](TotalVolume &v) { IonImplantation(v, PSi, 4.5f, 0.0f, 3.0f).run(); },
            [](uint32_t, uint32_t, uint32_t z) { return z == 2 ? Oxide : (z < 3 ? Si : (z < 8 ? PSi : 0u)); });
        // Column 0: oxide z 6, 7 on silicon; 1: silicon with a void at z 6; 2: empty; 3: silicon
        // z < 4. The band is d = 2, 3 below each column's topmost occupied cell, where dopable.
        scene(
            "implantation counts from the topmost occupied cell", {4, 1, 10},
            [](uint32_t x, uint32_t, uint32_t z) {
                const uint32_t columns[4] = {z < 6 ? Si : (z < 8 ? Oxide : 0u), z < 8 && z != 6 ? Si : 0u, 0u,
                                             z < 4 ? Si : 0u};
                return columns[x];
            },
            [](TotalVolume &v) { IonImplantation(v, PSi, 2.5f, 0.0f, 0.0f).run(); },
            [](uint32_t x, uint32_t, uint32_t z) {
                const uint32_t columns[4] = {z == 5 ? PSi : (z < 6 ? Si : (z < 8 ? Oxide : 0u)),
                                             z == 5 ? PSi : (z < 8 && z != 6 ? Si : 0u), 0u,
                                             z == 1 || z == 2 ? PSi : (z < 4 ? Si : 0u)};
                return columns[x];
            });
        // 0.1 micron at 100 cell units per micron: T = 10, 5.6 outward and 4.4 inward, measured
        // from the middle of the surface cell: empty layer k is k + 0.5 away, silicon layer j too.
        scene(
            "oxide on a flat surface", {7, 5, 24}, layered(10),
            [](TotalVolume &v) { SimpleSiOxidation(v, 100.0).runWithThickness(0.1); },
            [](uint32_t, uint32_t, uint32_t z) { return z < 6 ? Si : (z < 15 ? Oxide : 0u); });
        // Deal-Grove for 2 h at 1273 K: T = 10.55, 5.9 outward (5 layers), 4.64 inward (5 layers).
        scene(
            "oxide grown for a time", {5, 4, 30}, layered(12),
            [](TotalVolume &v) { SimpleSiOxidation(v, 100.0).runForTime(2.0, 1273.0, 1.0); },
            [](uint32_t, uint32_t, uint32_t z) { return z < 7 ? Si : (z < 17 ? Oxide : 0u); });
        unchanged(
            "nothing oxidizable", {6, 5, 12}, [](uint32_t, uint32_t, uint32_t z) { return z < 5 ? Al : 0u; },
            [](TotalVolume &v) { SimpleSiOxidation(v, 100.0).runWithThickness(0.2); });
        unchanged("no oxidizable material", {6, 5, 12}, rough, [](TotalVolume &v) {
            CompatibleMaterials none(12, {});
            SimpleSiOxidation(v, 10.0).runWithThickness(0.3);
        });
        // With T = 0 every empty and buried silicon cell would pass the thresholds of 0.
        unchanged("oxide thickness not positive", {6, 5, 12}, rough, [](TotalVolume &v) {
            SimpleSiOxidation(v, 100.0).runWithThickness(0.0);
            SimpleSiOxidation(v, 0.0).runWithThickness(0.5);
            SimpleSiOxidation(v, 100.0).runWithThickness(-0.1);
            SimpleSiOxidation(v, 100.0).runWithThickness(std::numeric_limits<double>::quiet_NaN());
        });
    }
    void handWorkedResults() { checkScene(); }

    // A one-cell source in the corner of a volume cut to one octant reaches exactly the cells
    // whose centres lie within the distance of its centre, those along the space diagonal too
    // (sqrt 3 t face steps away). The spare layer beyond t shows where the ball ends. The octant
    // holds 35,385, 117,290 and 535,339 such cells, at most 69, 103 and 173 face steps away.
    void pointSourceReachesTheWholeBall_data()
    {
        QTest::addColumn<Scene>("scene");
        const auto inBall = [](uint32_t t) {
            return [t](uint32_t x, uint32_t y, uint32_t z) {
                return uint64_t(x) * x + uint64_t(y) * y + uint64_t(z) * z <= uint64_t(t) * t;
            };
        };
        const auto corner = [](uint32_t inside, uint32_t outside) {
            return [=](uint32_t x, uint32_t y, uint32_t z) { return x + y + z == 0 ? inside : outside; };
        };
        for (uint32_t t : {40u, 60u, 100u}) {
            const auto ball = inBall(t);
            scene(
                qPrintable(QStringLiteral("etching from a one-cell hole, depth %1").arg(t)), {t + 2, t + 2, t + 2},
                corner(0u, Si), [t](TotalVolume &v) { FilmEtchingEngine(v, Si, float(t)).run(); },
                [ball](uint32_t x, uint32_t y, uint32_t z) { return ball(x, y, z) ? 0u : Si; });
        }
        const uint32_t t = 100;
        const auto ball = inBall(t);
        scene(
            "deposition on a one-cell seed, thickness 100", {t + 2, t + 2, t + 2}, corner(Si, 0u),
            [](TotalVolume &v) { FilmDepositionEngine(v, Oxide, 100.0f).run(); },
            [ball](uint32_t x, uint32_t y, uint32_t z) { return x + y + z == 0 ? Si : (ball(x, y, z) ? Oxide : 0u); });
        scene(
            "electroplating on a one-cell conductor, thickness 100", {t + 2, t + 2, t + 2}, corner(Al, 0u),
            [](TotalVolume &v) { Electrodeposition(v, Cu, Al, 100.0f).run(); },
            [ball](uint32_t x, uint32_t y, uint32_t z) { return x + y + z == 0 ? Al : (ball(x, y, z) ? Cu : 0u); });
    }
    void pointSourceReachesTheWholeBall() { checkScene(); }

    void bandEdgeIsComputedInSinglePrecision()
    {
        QVERIFY(IonImplantation::inBand(2, 1.0f, 2.5f, 0.0f));
        QVERIFY(IonImplantation::inBand(3, 1.0f, 2.5f, 0.0f));
        QVERIFY(!IonImplantation::inBand(1, 1.0f, 2.5f, 0.0f));
        QVERIFY(!IonImplantation::inBand(4, 1.0f, 2.5f, 0.0f));
        // Where 0.1 is not exact in binary single precision decides; double would answer otherwise.
        QVERIFY(IonImplantation::inBand(3, 0.1f, 0.0f, 0.25f));
        QVERIFY(!IonImplantation::inBand(3, 0.1f, 0.2f, 0.05f));
    }

    void oxideGrowsOnlyFromOxidizableMaterials()
    {
        // Silicon z < 6 with an aluminium block x < 4, z 6..11 on it; T = 5: 2.8 out, 2.2 in.
        auto volume = makeVolume(14, 1, 20, [](uint32_t x, uint32_t, uint32_t z) {
            return z < 6 ? Si : x < 4 && z < 12 ? Al : 0u;
        });
        SimpleSiOxidation(*volume, 1.0).runWithThickness(5.0);
        for (uint32_t z = 0; z < 20; ++z) {
            // Far from the block: z 4, 5 inward (0.5, 1.5 < 2.2 < 2.5), z 6, 7 outward.
            QCOMPARE(stateAt(*volume, 10, 0, z), z < 4 ? Si : z < 8 ? Oxide : 0u);
            // Over the block all is aluminium or empty, far from any silicon.
            if (z >= 6)
                QCOMPARE(stateAt(*volume, 0, 0, z), z < 12 ? Al : 0u);
        }
        // Under the block's edge from the exposed cell (4, 5): (3, 5) at sqrt(1.25) and (2, 5) at
        // sqrt(4.25) turn, (1, 5) at sqrt(9.25) does not.
        QCOMPARE(stateAt(*volume, 3, 0, 5), Oxide);
        QCOMPARE(stateAt(*volume, 2, 0, 5), Oxide);
        QCOMPARE(stateAt(*volume, 1, 0, 5), Si);
    }

    void dealGroveThickness()
    {
        auto x = [](double hours, double kelvin, double atm) {
            return SimpleSiOxidation::dealGroveThickness(hours, kelvin, atm);
        };
        // At t = 0 the model gives back the 0.025 micron it starts from.
        QVERIFY(std::fabs(x(0.0, 1373.0, 0.5) - 0.025) < 1e-12);
        // 2 h at 1273 K and 1 atm by hand: B = 0.0105097 um^2/h, A = 0.130795 um, tau = 0.370595 h,
        // x = (sqrt(A^2 + 4 B (t + tau)) - A) / 2; textbook dry oxide at 1000 C gives 0.103 um.
        QVERIFY2(std::fabs(x(2.0, 1273.0, 1.0) - 0.10545695) < 1e-7, qPrintable(QString::number(x(2.0, 1273.0, 1.0))));
        QVERIFY(std::fabs(x(2.0, 1273.0, 1.0) - 0.103) < 0.005);
        // Long runs are diffusion-limited (square root of time), short ones reaction-limited (linear).
        QVERIFY(std::fabs(x(40000.0, 1273.0, 1.0) / x(10000.0, 1273.0, 1.0) - 2.0) < 0.01);
        const double x0 = x(0.0, 1273.0, 1.0);
        QVERIFY(std::fabs((x(0.002, 1273.0, 1.0) - x0) / (x(0.001, 1273.0, 1.0) - x0) - 2.0) < 0.01);
        // Hotter grows faster (about 0.2 micron in 2 h at 1100 C); less oxygen grows slower.
        QVERIFY(x(2.0, 1373.0, 1.0) > 0.15 && x(2.0, 1373.0, 1.0) < 0.25);
        QVERIFY(x(2.0, 1273.0, 0.5) > x0 && x(2.0, 1273.0, 0.5) < x(2.0, 1273.0, 1.0));
    }

    void anisotropicHalfRatioOnTopAndWall()
    {
        // A floor z < 2 and a full-height wall x < 3: 10 layers on the floor, 5 cells on the wall.
        auto volume = makeVolume(20, 3, 30, [](uint32_t x, uint32_t, uint32_t z) { return x < 3 || z < 2 ? Si : 0u; });
        FilmDepositionEngine(*volume, Oxide, 10.0f, 0.5f).run();
        for (uint32_t z = 2; z < 30; ++z)
            QCOMPARE(stateAt(*volume, 15, 1, z), z < 12 ? Oxide : 0u);
        for (uint32_t x = 3; x < 20; ++x)
            QCOMPARE(stateAt(*volume, x, 1, 20), x < 8 ? Oxide : 0u);
    }

    void hugeThicknessStopsWhenNothingCanChange()
    {
        // The bound is some 1.7 billion iterations; the run ends once every front is empty.
        auto volume = makeVolume(6, 5, 12, rough);
        FilmDepositionEngine engine(*volume, Cu, 1.0e9f);
        QVERIFY(engine.iterationCount() > 1000000000u);
        engine.run();
        QVERIFY(engine.iterationsRun() < 40u);
        for (uint32_t state : cellStates(*volume))
            QVERIFY(state != 0);
    }

    // A run keeps distance vectors only where its fronts went. A film of 3 on the flat top of a
    // 16 x 16 x 64 block (silicon below z = 32) reaches the layers z = 32, 33, 34 (1, 2 and 3 above
    // the centres of the top cells; 4 is beyond): one brick of 8 x 8 cells along z (z = 32 to 39),
    // two along y, in each of the 16 x planes. The whole volume would take 16 x 2 x 8 = 256.
    void aFlatFilmKeepsTheVectorsOfItsBandOnly()
    {
        for (int threads : {1, 3}) {
            PoolThreads pool(threads);
            auto volume = makeVolume(16, 16, 64, [](uint32_t, uint32_t, uint32_t z) { return z < 32 ? Si : 0u; });
            FilmDepositionEngine engine(*volume, Cu, 3.0f);
            engine.run();
            QCOMPARE(engine.bricksUsed(), size_t(32));
            QCOMPARE(stateAt(*volume, 5, 7, 34), Cu);
            QCOMPARE(stateAt(*volume, 5, 7, 35), 0u);
        }
    }

    // Engines change states only: the lattice's atom counts and the cut marks stay as they were.
    void otherFieldsAreLeftAlone()
    {
        auto volume = makeVolume(5, 4, 8, rough);
        const auto lattice = volume->createSiLattice();
        {
            Model::Automaton::CellLock lock(*volume);
            for (size_t i = 0; i < volume->cellCount(); ++i) {
                lattice->setAtomCount(i, uint32_t(i % 200));
                if (i % 3 == 0)
                    lock.cells().addCut(i);
            }
        }
        FilmDepositionEngine(*volume, Cu, 2.0f).run();
        QCOMPARE(volume->siLattice(), lattice);
        Model::Automaton::CellLock lock(*volume);
        for (size_t i = 0; i < volume->cellCount(); ++i) {
            QCOMPARE(lattice->atomCount(i), uint32_t(i % 200));
            QCOMPARE(lock.cells().isCut(i), i % 3 == 0);
        }
    }
};

QTEST_GUILESS_MAIN(tst_DistanceCountingEngines)
#include "tst_distancecountingengines.moc"
