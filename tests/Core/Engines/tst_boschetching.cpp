#include "Core/Engines/LineOfSight/boschetching.h"
#include "enginetesthelpers.h"

#include <QtTest>

#include <cmath>
#include <stdexcept>

using namespace Core::Operations;
using namespace EngineTest;
using Settings = BoschEtching::Settings;

namespace {

constexpr uint32_t mask = Oxide;
constexpr uint32_t maskLayers = 2;

// A slice of a wafer with long openings along y (periodic): silicon up to `top`, an oxide mask of
// two layers above it with openings of the given widths, each in a period of `pitch` cells.
struct Wafer {
    std::vector<uint32_t> openings;
    uint32_t pitch = 32;
    uint32_t top = 48;
    uint32_t headroom = 6;
    uint32_t ny = 4;

    uint32_t nx() const { return pitch * uint32_t(openings.size()); }
    uint32_t nz() const { return top + maskLayers + headroom; }
    // The first and the last column of opening k.
    uint32_t first(size_t k) const { return uint32_t(k) * pitch + (pitch - openings[k]) / 2; }
    uint32_t last(size_t k) const { return first(k) + openings[k] - 1; }
    std::shared_ptr<TotalVolume> volume() const
    {
        const Wafer w = *this;
        return makeVolume(nx(), ny, nz(), [w](uint32_t x, uint32_t, uint32_t z) {
            if (z < w.top)
                return Si;
            if (z >= w.top + maskLayers)
                return 0u;
            const size_t k = x / w.pitch;
            return x >= w.first(k) && x <= w.last(k) ? 0u : mask;
        });
    }
};

Settings bosch(uint32_t cycles, double etch = 3.0)
{
    Settings s;
    s.material = Si;
    s.cycles = cycles;
    s.etchPerCycle = etch;
    s.passivationThickness = 1.0;
    s.reactionProbability = 0.1;
    s.passivationMaterial = Polymer;
    return s;
}

std::shared_ptr<TotalVolume> etched(const Wafer &wafer, const Settings &settings, uint64_t seed = 7)
{
    auto volume = wafer.volume();
    BoschEtching engine(*volume, settings);
    engine.setSeed(seed);
    engine.run();
    return volume;
}

// Empty cells below the mask in the middle half of opening k, on average over its columns.
double depth(TotalVolume &volume, const Wafer &wafer, size_t k)
{
    const uint32_t w = wafer.openings[k];
    double sum = 0.0;
    int columns = 0;
    for (uint32_t y = 0; y < wafer.ny; ++y)
        for (uint32_t x = wafer.first(k) + w / 4; x <= wafer.last(k) - w / 4; ++x, ++columns)
            for (uint32_t z = wafer.top; z-- > 0 && stateAt(volume, x, y, z) == 0;)
                sum += 1.0;
    return sum / columns;
}

// Where the left wall of opening k stands in layer z: the first empty column from the opening's
// left side, searched from its centre, on average over y (cells from the mask's edge; below 0:
// under the mask).
double leftWall(TotalVolume &volume, const Wafer &wafer, size_t k, uint32_t z)
{
    const uint32_t centre = wafer.first(k) + wafer.openings[k] / 2;
    double sum = 0.0;
    for (uint32_t y = 0; y < wafer.ny; ++y) {
        uint32_t x = centre;
        while (x > 0 && stateAt(volume, x - 1, y, z) == 0)
            --x;
        sum += double(x) - double(wafer.first(k));
    }
    return sum / wafer.ny;
}

size_t count(TotalVolume &volume, uint32_t material)
{
    size_t n = 0;
    for (uint32_t state : cellStates(volume))
        n += state == material;
    return n;
}

// Openings 24 and 6 cells wide, 64 cells of silicon under them.
Wafer twoOpenings()
{
    Wafer wafer{{24, 6}};
    wafer.pitch = 40;
    wafer.top = 64;
    return wafer;
}

// The wall of the wide opening from the mask down to where the last cycle's bowl begins.
std::vector<double> wallProfile(TotalVolume &volume, const Wafer &wafer, double etch)
{
    std::vector<double> wall;
    const double bottom = double(wafer.top) - depth(volume, wafer, 0) + etch;
    for (uint32_t z = wafer.top; z-- > 0 && double(z) >= bottom;)
        wall.push_back(leftWall(volume, wafer, 0, z));
    return wall;
}

// The least-squares slope of the profile: cells sideways per layer.
double slope(const std::vector<double> &wall)
{
    const double n = double(wall.size());
    double sz = 0.0, sx = 0.0, szz = 0.0, szx = 0.0;
    for (size_t z = 0; z < wall.size(); ++z) {
        sz += double(z);
        sx += wall[z];
        szz += double(z) * double(z);
        szx += double(z) * wall[z];
    }
    return (n * szx - sz * sx) / (n * szz - sz * sz);
}

// The autocorrelation of the profile (its mean taken off) at a lag, against its variance.
double autocorrelation(const std::vector<double> &wall, size_t lag)
{
    double mean = 0.0;
    for (double x : wall)
        mean += x;
    mean /= double(wall.size());
    double variance = 0.0;
    double product = 0.0;
    for (size_t z = 0; z < wall.size(); ++z) {
        variance += (wall[z] - mean) * (wall[z] - mean);
        if (z + lag < wall.size())
            product += (wall[z] - mean) * (wall[z + lag] - mean);
    }
    return product / double(wall.size() - lag) / (variance / double(wall.size()));
}

} // namespace

class tst_BoschEtching : public QObject {
    Q_OBJECT
private slots:
    void depthGrowsInProportionToTheCycles_data()
    {
        QTest::addColumn<uint>("cycles");
        QTest::newRow("1 cycle") << 1u;
        QTest::newRow("3 cycles") << 3u;
        QTest::newRow("6 cycles") << 6u;
    }
    void depthGrowsInProportionToTheCycles()
    {
        // Each cycle clears the floor and etches it by about the etch per cycle: the wide opening
        // (aspect ratio up to 1.5) gets nearly the flux of an open surface.
        QFETCH(uint, cycles);
        const Wafer wafer = twoOpenings();
        auto volume = etched(wafer, bosch(cycles, 6.0));
        const double perCycle = depth(*volume, wafer, 0) / cycles;
        QVERIFY2(perCycle > 0.85 * 6.0 && perCycle < 1.05 * 6.0, qPrintable(QString::number(perCycle)));
    }

    void wallsAreVerticalWithAScallopPerCycle()
    {
        const Wafer wafer = twoOpenings();
        const uint32_t cycles = 6;
        auto volume = etched(wafer, bosch(cycles, 6.0));
        const std::vector<double> wall = wallProfile(*volume, wafer, 6.0);
        QVERIFY(wall.size() >= 24);
        // On average vertical: at least 87 degrees from the horizontal.
        const double angle = 90.0 - std::atan(std::abs(slope(wall))) * 180.0 / M_PI;
        QVERIFY2(angle >= 87.0, qPrintable(QString::number(angle)));
        // The wall moves in and out once per cycle's advance: in step with itself one period down,
        // against itself half a period down (a straight, merely rough wall gives neither).
        const double period = depth(*volume, wafer, 0) / cycles;
        const double inStep = autocorrelation(wall, size_t(std::lround(period)));
        const double halfWay = autocorrelation(wall, size_t(std::lround(period / 2)));
        QVERIFY2(inStep > 0.2 && halfWay < 0.0 && inStep - halfWay > 0.5, qPrintable(QStringLiteral("%1 %2").arg(inStep).arg(halfWay)));
    }

    void narrowOpeningEtchesShallower()
    {
        // Aspect-ratio-dependent etching: fewer radicals reach the floor of a narrow opening.
        const Wafer wafer = twoOpenings();
        auto volume = etched(wafer, bosch(4, 6.0));
        const double wide = depth(*volume, wafer, 0);
        const double narrow = depth(*volume, wafer, 1);
        QVERIFY2(narrow < 0.8 * wide, qPrintable(QStringLiteral("%1 %2").arg(narrow).arg(wide)));
    }

    void strippingLeavesNoFilm_data()
    {
        QTest::addColumn<bool>("strip");
        QTest::newRow("stripped") << true;
        QTest::newRow("kept") << false;
    }
    void strippingLeavesNoFilm()
    {
        QFETCH(bool, strip);
        const Wafer wafer = twoOpenings();
        auto before = wafer.volume();
        Settings settings = bosch(3, 6.0);
        settings.stripPassivation = strip;
        auto volume = etched(wafer, settings);
        QCOMPARE(count(*volume, mask), count(*before, mask));
        const size_t film = count(*volume, Polymer);
        if (strip) {
            QCOMPARE(film, size_t(0));
            return;
        }
        // Kept, the film lines the walls the first two cycles etched (in the wide opening alone two
        // walls of 4 rows, about 2 x 6 layers deep), and the floor the ions cleared stays bare.
        QVERIFY2(film >= 2 * 4 * 10, qPrintable(QString::number(film)));
        const uint32_t floor = wafer.top - uint32_t(std::lround(depth(*volume, wafer, 0))) - 1;
        const uint32_t centre = wafer.first(0) + wafer.openings[0] / 2;
        QCOMPARE(stateAt(*volume, centre, 0, floor), Si);
    }

    void sameSeedSameCellsForAnyThreadCount()
    {
        const Wafer wafer = twoOpenings();
        std::vector<uint32_t> reference;
        for (int threads : {1, 2, 4}) {
            PoolThreads pool(threads);
            auto volume = etched(wafer, bosch(2, 4.0), 21);
            if (reference.empty())
                reference = cellStates(*volume);
            else
                QVERIFY2(cellStates(*volume) == reference, qPrintable(QStringLiteral("%1 threads").arg(threads)));
        }
        QVERIFY(cellStates(*etched(wafer, bosch(2, 4.0), 22)) != reference);
    }

    void refusedSettings_data()
    {
        QTest::addColumn<uint>("cycles");
        QTest::addColumn<double>("etch");
        QTest::addColumn<double>("passivation");
        QTest::addColumn<double>("probability");
        QTest::addColumn<uint>("film");
        QTest::addColumn<QString>("message");
        QTest::newRow("no cycles") << 0u << 2.0 << 1.0 << 0.1 << Polymer << "Cycles must be from 1 to 10000, not 0.";
        QTest::newRow("negative etch") << 2u << -1.0 << 1.0 << 0.1 << Polymer
                                       << "Etch Per Cycle must be from 0 to 10000 cells, not -1.";
        QTest::newRow("endless film") << 2u << 2.0 << qInf() << 0.1 << Polymer
                                      << "Passivation Thickness must be from 0 to 10000 cells, not inf.";
        QTest::newRow("no reaction") << 2u << 2.0 << 1.0 << 0.0 << Polymer
                                     << "Reaction Probability must be greater than 0 and at most 1, not 0.";
        QTest::newRow("no film material")
            << 2u << 2.0 << 1.0 << 0.1 << 0u << "Passivation Material must be a material of the catalogue, not 0.";
        QTest::newRow("film of the etched material")
            << 2u << 2.0 << 1.0 << 0.1 << Si << "Passivation Material must differ from the etched Material.";
    }
    void refusedSettings()
    {
        QFETCH(uint, cycles);
        QFETCH(double, etch);
        QFETCH(double, passivation);
        QFETCH(double, probability);
        QFETCH(uint, film);
        QFETCH(QString, message);
        Settings settings = bosch(cycles, etch);
        settings.passivationThickness = passivation;
        settings.reactionProbability = probability;
        settings.passivationMaterial = film;
        QCOMPARE(BoschEtching::checkSettings(settings), message);
        auto volume = twoOpenings().volume();
        QVERIFY_EXCEPTION_THROWN(BoschEtching(*volume, settings), std::invalid_argument);
    }
};

QTEST_GUILESS_MAIN(tst_BoschEtching)
#include "tst_boschetching.moc"
