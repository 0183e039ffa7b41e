#include "Core/Operations/mooreneighborhooddeposition.h"
#include "Core/Operations/mooreneighborhoodetching.h"
#include "enginetesthelpers.h"
#include "volumetesthelpers.h"

#include <QtTest>

#include <algorithm>

using namespace Core::Operations;
using EngineTest::scene;
using EngineTest::Scene;
using EngineTest::TotalVolume;
using EngineTest::unchanged;

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

/// A 2x2x2 silicon cube in a 14^3 volume grows a cube of film: Chebyshev distance <= layers.
void cube(const char *name, uint32_t layers)
{
    const auto distance = [](uint32_t x, uint32_t y, uint32_t z) {
        auto axis = [](long v) { return v < 6 ? 6 - v : (v > 7 ? v - 7 : 0); };
        return std::max({axis(x), axis(y), axis(z)});
    };
    scene(
        name, {14, 14, 14}, [=](uint32_t x, uint32_t y, uint32_t z) { return distance(x, y, z) == 0 ? 1u : 0u; },
        [=](TotalVolume &v) { MooreNeighborhoodDeposition(v, 5, layers).run(); },
        [=](uint32_t x, uint32_t y, uint32_t z) {
            const long d = distance(x, y, z);
            return d == 0 ? 1u : (d <= long(layers) ? 5u : 0u);
        });
}

/// A closed box of material 3 around a cubic cavity: cells within `layers` of a wall fill.
void cavity(const char *name, uint32_t width, uint32_t layers)
{
    const uint32_t n = width + 2;
    const auto toWall = [n](uint32_t x, uint32_t y, uint32_t z) {
        return std::min({x, y, z, n - 1 - x, n - 1 - y, n - 1 - z});
    };
    scene(
        name, {n, n, n}, [=](uint32_t x, uint32_t y, uint32_t z) { return toWall(x, y, z) == 0 ? 3u : 0u; },
        [=](TotalVolume &v) { MooreNeighborhoodDeposition(v, 4, layers).run(); },
        [=](uint32_t x, uint32_t y, uint32_t z) {
            const uint32_t d = toWall(x, y, z);
            return d == 0 ? 3u : (d <= layers ? 4u : 0u);
        });
}

} // namespace

class tst_MooreNeighborhood : public QObject {
    Q_OBJECT
private slots:
    void handWorkedResults_data()
    {
        QTest::addColumn<Scene>("scene");
        cube("cube grows one layer", 1);
        cube("cube grows two layers", 2);
        cube("cube grows four layers", 4);
        cavity("cavity 3 wide fills with 2 layers", 3, 2);
        cavity("cavity 4 wide fills with 2 layers", 4, 2);
        cavity("cavity 5 wide keeps its middle with 2 layers", 5, 2);
        cavity("cavity 5 wide fills with 3 layers", 5, 3);
        // Silicon below, three layers of oxide (2) above it: all the oxide goes, the silicon stays.
        scene(
            "etching stops at other materials", {6, 5, 8},
            [](uint32_t, uint32_t, uint32_t z) { return z < 2 ? 1u : (z < 5 ? 2u : 0u); },
            [](TotalVolume &v) { MooreNeighborhoodEtching(v, 2, 10).run(); },
            [](uint32_t, uint32_t, uint32_t z) { return z < 2 ? 1u : 0u; });
        unchanged(
            "etching does not pass through other materials", {5, 5, 7},
            [](uint32_t x, uint32_t y, uint32_t z) {
                const bool inner = x >= 1 && x <= 3 && y >= 1 && y <= 3 && z >= 1 && z <= 3;
                return z >= 5 ? 0u : (inner ? 2u : 1u);
            },
            [](TotalVolume &v) { MooreNeighborhoodEtching(v, 2, 50).run(); });
        // Oxide everywhere but the empty corner (0, 0, 0): face, edge and corner contacts go at once.
        scene(
            "diagonal contact is etched in the first step", {4, 4, 4},
            [](uint32_t x, uint32_t y, uint32_t z) { return x + y + z == 0 ? 0u : 2u; },
            [](TotalVolume &v) { MooreNeighborhoodEtching(v, 2, 1).run(); },
            [](uint32_t x, uint32_t y, uint32_t z) { return x <= 1 && y <= 1 && z <= 1 ? 0u : 2u; });
        unchanged(
            "zero layers or no material change nothing", {6, 6, 6},
            [](uint32_t x, uint32_t y, uint32_t z) { return patternState(x, y, z, 3, 2); },
            [](TotalVolume &v) {
                MooreNeighborhoodDeposition(v, 1, 0).run();
                MooreNeighborhoodEtching(v, 1, 0).run();
                MooreNeighborhoodDeposition(v, 0, 3).run();
            });
    }
    void handWorkedResults() { EngineTest::checkScene(); }

    void resultsFollowTheDefinitionForAnySlices_data()
    {
        QTest::addColumn<int>("threads");
        QTest::addColumn<uint32_t>("nx");
        QTest::addColumn<bool>("etching");
        QTest::newRow("deposition, two slices") << 2 << 17u << false;
        QTest::newRow("deposition, eight slices of two") << 8 << 17u << false;
        QTest::newRow("deposition, narrow volume") << 4 << 7u << false;
        QTest::newRow("etching, three slices") << 3 << 17u << true;
        QTest::newRow("etching, eight slices of two") << 8 << 17u << true;
        QTest::newRow("etching, narrow volume") << 4 << 7u << true;
    }
    void resultsFollowTheDefinitionForAnySlices()
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
        QVERIFY(expected != cellStates(*volume));
        if (etching)
            MooreNeighborhoodEtching(*volume, 2, 3).run();
        else
            MooreNeighborhoodDeposition(*volume, 2, 3).run();
        QCOMPARE(cellStates(*volume), expected);
    }
};

QTEST_GUILESS_MAIN(tst_MooreNeighborhood)
#include "tst_mooreneighborhood.moc"
