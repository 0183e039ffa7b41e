#include "Core/Operations/simplesioxidation.h"
#include "Model/Process/processfactory.h"
#include "catalogtesthome.h"
#include "enginetesthelpers.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace Core::Operations;
using namespace EngineTest;

namespace {

constexpr uint32_t Si = 1;
constexpr uint32_t Oxide = 3;
constexpr uint32_t Al = 4;
constexpr uint32_t PolySi = 16;

QList<uint32_t> layersOf(TotalVolume &volume, uint32_t x, uint32_t y, uint32_t state)
{
    QList<uint32_t> result;
    for (uint32_t z = 0; z < volume.sizeZ(); ++z)
        if (stateAt(volume, x, y, z) == state)
            result << z;
    return result;
}

uint32_t landscape(uint32_t x, uint32_t y, uint32_t z)
{
    const uint32_t height = 5 + (x * 7 + y * 13) % 6;
    if (z < height)
        return (x + 2 * y) % 7 == 0 && z + 2 >= height ? Al : (x % 5 == 3 ? PolySi : Si);
    if (x % 4 == 1 && y % 3 == 0 && z < height + 3)
        return Al;
    return 0;
}

} // namespace

class tst_SiOxidation : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void flatSurfaceGrowsFiveLayersOutAndFourIn_data()
    {
        QTest::addColumn<int>("threads");
        for (int threads : {1, 2, 3})
            QTest::newRow(qPrintable(QStringLiteral("%1 threads").arg(threads))) << threads;
    }
    void flatSurfaceGrowsFiveLayersOutAndFourIn()
    {
        QFETCH(int, threads);
        PoolSize pool(threads);
        // 0.1 micron at 100 cell units per micron: T = 10, 5.6 outward and 4.4 inward. Measured
        // from the middle of the surface cell, empty layer k above it is k + 0.5 away (k <= 5)
        // and silicon layer j below it j + 0.5 (j <= 3).
        auto volume = makeVolume(7, 5, 24, [](uint32_t, uint32_t, uint32_t z) { return z < 10 ? Si : 0u; });
        SimpleSiOxidation engine(*volume, 100.0);
        engine.runWithThickness(0.1);
        QVERIFY(std::fabs(engine.thickness() - 10.0) < 1e-12);
        QCOMPARE(engine.iterationCount(), 10u);
        for (uint32_t x = 0; x < 7; ++x)
            for (uint32_t y = 0; y < 5; ++y) {
                QCOMPARE(layersOf(*volume, x, y, Oxide), (QList<uint32_t>{6, 7, 8, 9, 10, 11, 12, 13, 14}));
                QCOMPARE(layersOf(*volume, x, y, Si), (QList<uint32_t>{0, 1, 2, 3, 4, 5}));
            }
    }

    void oxideGrowsOnlyFromOxidizableMaterials()
    {
        // A cross-section: silicon z < 6, with an aluminium block x < 4, z 6..11 on it.
        auto volume = makeVolume(14, 1, 20, [](uint32_t x, uint32_t, uint32_t z) {
            if (z < 6)
                return Si;
            return x < 4 && z < 12 ? Al : 0u;
        });
        SimpleSiOxidation(*volume, 1.0).runWithThickness(5.0);
        // T = 5: 2.8 outward, 2.2 inward from the middle of each exposed silicon cell.
        for (uint32_t x = 0; x < 14; ++x)
            for (uint32_t z = 6; z < 12; ++z)
                if (x < 4)
                    QCOMPARE(stateAt(*volume, x, 0, z), Al);
        // Far from the block: z 3..5 inward (0.5, 1.5 and 2.5 > 2.2: only z 4, 5), z 6, 7 outward.
        QCOMPARE(layersOf(*volume, 10, 0, Oxide), (QList<uint32_t>{4, 5, 6, 7}));
        // Under the edge of the block the oxide reaches sideways from the exposed cell (4, 5):
        // (3, 5) is sqrt(1.25) away and turns, (2, 5) at sqrt(4.25) does too, (1, 5) at sqrt(9.25)
        // does not.
        QCOMPARE(stateAt(*volume, 3, 0, 5), Oxide);
        QCOMPARE(stateAt(*volume, 2, 0, 5), Oxide);
        QCOMPARE(stateAt(*volume, 1, 0, 5), Si);
        QCOMPARE(stateAt(*volume, 0, 0, 5), Si);
        // Empty space over the block is far from any silicon and stays empty.
        for (uint32_t x = 0; x < 4; ++x)
            for (uint32_t z = 12; z < 20; ++z)
                QCOMPARE(stateAt(*volume, x, 0, z), 0u);
    }

    void nothingOxidizableChangesNothing()
    {
        auto volume = makeVolume(6, 5, 12, [](uint32_t, uint32_t, uint32_t z) { return z < 5 ? Al : 0u; });
        const auto before = states(*volume);
        SimpleSiOxidation(*volume, 100.0).runWithThickness(0.2);
        QCOMPARE(states(*volume), before);
    }

    void thicknessThatIsNotPositiveChangesNothing_data()
    {
        QTest::addColumn<double>("microns");
        QTest::addColumn<double>("conversion");
        // With T = 0 every cell the oxide never reached would hold a zero vector, and every empty
        // cell and buried silicon cell would pass the thresholds of 0.
        QTest::newRow("zero") << 0.0 << 100.0;
        QTest::newRow("zero conversion") << 0.5 << 0.0;
        QTest::newRow("negative") << -0.1 << 100.0;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 100.0;
    }
    void thicknessThatIsNotPositiveChangesNothing()
    {
        QFETCH(double, microns);
        QFETCH(double, conversion);
        auto volume = makeVolume(6, 5, 12, landscape);
        const auto before = states(*volume);
        SimpleSiOxidation(*volume, conversion).runWithThickness(microns);
        QCOMPARE(states(*volume), before);
    }

    void emptyOxidizableSetChangesNothing()
    {
        auto *catalogue = Model::Process::ProcessFactory::instance().get();
        const Model::Process::Process old = catalogue->getProcess(12);
        catalogue->setProcess(Model::Process::Process(old.name(), 12, {}));
        auto volume = makeVolume(6, 5, 12, landscape);
        const auto before = states(*volume);
        SimpleSiOxidation engine(*volume, 10.0);
        const bool empty = engine.oxidizableMaterials().isEmpty();
        engine.runWithThickness(0.3);
        const auto after = states(*volume);
        catalogue->setProcess(old);
        QVERIFY(empty);
        QCOMPARE(after, before);
    }

    void dealGroveStartsFromTheInitialOxide()
    {
        // At t = 0 the model gives back the 0.025 micron it starts from, at any temperature.
        QVERIFY(std::fabs(SimpleSiOxidation::dealGroveThickness(0.0, 1273.0, 1.0) - 0.025) < 1e-12);
        QVERIFY(std::fabs(SimpleSiOxidation::dealGroveThickness(0.0, 1373.0, 0.5) - 0.025) < 1e-12);
    }

    void dealGroveAtTheDefaults()
    {
        // 2 hours at 1273 K and 1 atm, worked out by hand from the model's constants:
        // u = 0.785546, B = 0.0105097 um^2/h, A = 0.130795 um, tau = 0.370595 h,
        // x = (sqrt(A^2 + 4 B (t + tau)) - A) / 2 = 0.1054570 um.
        const double x = SimpleSiOxidation::dealGroveThickness(2.0, 1273.0, 1.0);
        QVERIFY2(std::fabs(x - 0.10545695) < 1e-7, qPrintable(QString::number(x, 'g', 10)));
        // The textbook values for dry oxygen at 1000 C (A = 0.165 um, B = 0.0117 um^2/h,
        // tau = 0.37 h) give 0.103 um: the model agrees within a few per cent.
        QVERIFY(std::fabs(x - 0.103) < 0.005);
    }

    void dealGroveFollowsTheGrowthLaws()
    {
        // Long oxidations are diffusion-limited: the thickness grows as the square root of time.
        const double xLong = SimpleSiOxidation::dealGroveThickness(10000.0, 1273.0, 1.0);
        const double xLonger = SimpleSiOxidation::dealGroveThickness(40000.0, 1273.0, 1.0);
        QVERIFY(std::fabs(xLonger / xLong - 2.0) < 0.01);
        // Short ones are reaction-limited: the growth is linear in time.
        const double x0 = SimpleSiOxidation::dealGroveThickness(0.0, 1273.0, 1.0);
        const double x1 = SimpleSiOxidation::dealGroveThickness(0.001, 1273.0, 1.0);
        const double x2 = SimpleSiOxidation::dealGroveThickness(0.002, 1273.0, 1.0);
        QVERIFY(std::fabs((x2 - x0) / (x1 - x0) - 2.0) < 0.01);
        // Hotter grows faster (dry oxide at 1100 C for 2 hours: about 0.2 micron); less oxygen
        // grows slower.
        const double hot = SimpleSiOxidation::dealGroveThickness(2.0, 1373.0, 1.0);
        QVERIFY(hot > 0.15 && hot < 0.25);
        const double lean = SimpleSiOxidation::dealGroveThickness(2.0, 1273.0, 0.5);
        QVERIFY(lean > x0 && lean < SimpleSiOxidation::dealGroveThickness(2.0, 1273.0, 1.0));
    }

    void runForTimeGrowsTheDealGroveThickness()
    {
        auto byTime = makeVolume(5, 4, 30, [](uint32_t, uint32_t, uint32_t z) { return z < 12 ? Si : 0u; });
        SimpleSiOxidation timed(*byTime, 100.0);
        timed.runForTime(2.0, 1273.0, 1.0);
        QVERIFY(std::fabs(timed.thickness() - 100.0 * SimpleSiOxidation::dealGroveThickness(2.0, 1273.0, 1.0)) < 1e-9);
        // T = 10.55: 5.9 outward (5 layers), 4.64 inward (surface and 4 more).
        QCOMPARE(layersOf(*byTime, 2, 2, Oxide), (QList<uint32_t>{7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    }

    void resultsDoNotDependOnThreads_data()
    {
        QTest::addColumn<uint>("nx");
        QTest::addColumn<double>("thickness");
        QTest::newRow("narrow") << 3u << 4.0;
        QTest::newRow("wide") << 23u << 4.0;
        QTest::newRow("thin") << 23u << 1.3;
    }
    void resultsDoNotDependOnThreads()
    {
        QFETCH(uint, nx);
        QFETCH(double, thickness);
        CellImage reference;
        for (int threads : {1, 2, 3}) {
            PoolSize pool(threads);
            auto volume = makeVolume(nx, 9, 18, landscape);
            SimpleSiOxidation(*volume, 1.0).runWithThickness(thickness);
            const CellImage result = image(*volume);
            if (threads == 1) {
                reference = result;
                QVERIFY(reference.states != states(*makeVolume(nx, 9, 18, landscape)));
            } else {
                QVERIFY2(result == reference, qPrintable(QStringLiteral("%1 threads").arg(threads)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(tst_SiOxidation)
#include "tst_sioxidation.moc"
