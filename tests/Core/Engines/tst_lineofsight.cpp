#include "Core/Engines/LineOfSight/lineofsighttransport.h"
#include "Core/Formats/csvdataexporter.h"
#include "Model/Volume/surfaceflux.h"
#include "Util/runcontrol.h"
#include "enginetesthelpers.h"

#include <QtTest>

#include <cmath>
#include <stdexcept>
#include <thread>

using namespace Core::Operations;
using namespace EngineTest;
using Settings = LineOfSightTransport::Settings;
using Mode = LineOfSightTransport::Mode;

namespace {

constexpr uint32_t substrate = 1;
constexpr uint32_t film = 2;
constexpr uint32_t mask = 3;
constexpr uint32_t base = 4; // layers under the trench bottom

// A long trench along y, periodic: `width` cells of trench beside `width` cells of land, `depth`
// units deep. Cells are 1 x 1 x cz, so that a thin film is many layers thick while the trench keeps
// its shape: depth / cz layers of substrate under the land.
struct Trench {
    uint32_t width;
    double depth;
    float cz;
    uint32_t ny = 4;

    uint32_t depthLayers() const { return uint32_t(std::lround(depth / cz)); }
    uint32_t top() const { return base + depthLayers(); }
    bool inTrench(uint32_t x) const { return x >= width / 2 && x < width / 2 + width; }
    std::shared_ptr<TotalVolume> volume(uint32_t headroom) const
    {
        const Trench t = *this;
        return makeVolume(
            2 * width, ny, top() + headroom,
            [t](uint32_t x, uint32_t, uint32_t z) {
                return z < base || (z < t.top() && !t.inTrench(x)) ? substrate : 0u;
            },
            cz);
    }
};

// Cells of `material` in column (x, y) from z = from upwards, up to the first other cell.
uint32_t filmRun(TotalVolume &volume, uint32_t x, uint32_t y, uint32_t from, uint32_t material = film)
{
    uint32_t n = 0;
    while (from + n < volume.sizeZ() && stateAt(volume, x, y, from + n) == material)
        ++n;
    return n;
}

// Film cells in row (y, z) from x = from on, stepping by `step`.
double filmAcross(TotalVolume &volume, uint32_t from, int step, uint32_t y, uint32_t z)
{
    uint32_t n = 0;
    for (long long x = from; x >= 0 && x < volume.sizeX() && stateAt(volume, uint32_t(x), y, z) == film; x += step)
        ++n;
    return n;
}

struct Coverage {
    double field = 0.0;  // layers on the land
    double bottom = 0.0; // layers at the bottom centre
    double wallTop = 0.0;
    double wallBottom = 0.0; // cells across the wall film, near the top and near the bottom
    double corner = 0.0;     // cells the film reaches into the trench just above its edge
};

Coverage deposit(const Trench &trench, double thickness, double sticking, double exponent, uint32_t rays)
{
    auto volume = trench.volume(uint32_t(thickness) + 8);
    LineOfSightTransport engine(*volume, Settings{Mode::Deposition, film, thickness, sticking, exponent});
    engine.setSeed(11);
    engine.setRaysPerCell(rays);
    engine.run();
    Coverage c;
    const uint32_t w = trench.width;
    const uint32_t leftWall = w / 2; // first trench column
    const uint32_t wallNearTop = trench.top() - trench.depthLayers() / 10;
    const uint32_t wallNearBottom = base + trench.depthLayers() / 4;
    int columns = 0;
    int bottoms = 0;
    for (uint32_t y = 0; y < trench.ny; ++y) {
        for (uint32_t x = 0; x < 2 * w; ++x) {
            if (x >= 2 * w - w / 4 || x < w / 4) {
                c.field += filmRun(*volume, x, y, trench.top());
                ++columns;
            }
            if (x + w / 10 >= w && x < w + w / 10) {
                c.bottom += filmRun(*volume, x, y, base);
                ++bottoms;
            }
        }
        // The wall film is a cell or two thick: averaged over a band of layers at each height.
        const uint32_t band = std::max(1u, trench.depthLayers() / 20);
        for (uint32_t z = 0; z < band; ++z) {
            c.wallTop += filmAcross(*volume, leftWall, 1, y, wallNearTop - z) / band;
            c.wallBottom += filmAcross(*volume, leftWall, 1, y, wallNearBottom + z) / band;
        }
        c.corner += filmAcross(*volume, leftWall, 1, y, trench.top());
    }
    c.field /= columns;
    c.bottom /= bottoms;
    c.wallTop /= trench.ny;
    c.wallBottom /= trench.ny;
    c.corner /= trench.ny;
    return c;
}

} // namespace

class tst_LineOfSight : public QObject {
    Q_OBJECT
private slots:
    void flatSurfaceGetsTheThickness_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<double>("amount");
        QTest::addColumn<double>("sticking");
        QTest::addColumn<double>("exponent");
        QTest::newRow("deposition, cosine") << int(Mode::Deposition) << 5.0 << 1.0 << 1.0;
        QTest::newRow("deposition, low sticking") << int(Mode::Deposition) << 3.0 << 0.05 << 1.0;
        QTest::newRow("deposition, three quarters round up") << int(Mode::Deposition) << 2.75 << 1.0 << 1.0;
        QTest::newRow("etching, collimated") << int(Mode::Etching) << 4.0 << 0.3 << 200.0;
    }
    void flatSurfaceGetsTheThickness()
    {
        // Every particle meets the flat surface: the share s of each stays there, the rest leaves
        // upwards, so the open surface grows (or recedes) by the amount, nothing else changes.
        QFETCH(int, mode);
        QFETCH(double, amount);
        QFETCH(double, sticking);
        QFETCH(double, exponent);
        const bool deposition = Mode(mode) == Mode::Deposition;
        auto volume = makeVolume(6, 5, 16, [](uint32_t, uint32_t, uint32_t z) { return z < 8 ? substrate : 0u; });
        LineOfSightTransport engine(*volume,
                                    Settings{Mode(mode), deposition ? film : substrate, amount, sticking, exponent});
        engine.setSeed(5);
        engine.setRaysPerCell(400);
        engine.run();
        // Each column a whole number of cells, within one of the amount, and on average the amount.
        double total = 0.0;
        for (uint32_t x = 0; x < 6; ++x)
            for (uint32_t y = 0; y < 5; ++y) {
                const uint32_t changed =
                    deposition ? filmRun(*volume, x, y, 8) : 8 - filmRun(*volume, x, y, 0, substrate);
                QVERIFY(std::abs(changed - amount) <= 1.0);
                total += changed;
                for (uint32_t z = 0; z < 16; ++z) {
                    const uint32_t want = deposition ? (z < 8 ? substrate : (z < 8 + changed ? film : 0u))
                                                     : (z < 8 - changed ? substrate : 0u);
                    QCOMPARE(stateAt(*volume, x, y, z), want);
                }
            }
        QVERIFY2(std::abs(total / 30.0 - std::round(amount)) <= 0.1, qPrintable(QString::number(total / 30.0)));
        QCOMPARE(engine.raysTraced(), uint64_t(6 * 5 * 200) * (1 + uint64_t(std::ceil(amount * 2.0 - 0.5))));
    }

    void lowStickingFlatFilmKeepsItsThickness()
    {
        // Cubes make a flat surface a staircase here and there. Particles re-emitted about the
        // faces of the steps would meet the next step again and again, and a film of s = 0.01
        // would come out half as thick again; about the surface's normal they leave, as from a
        // flat surface.
        auto volume = makeVolume(40, 4, 40, [](uint32_t, uint32_t, uint32_t z) { return z < 4 ? substrate : 0u; });
        LineOfSightTransport engine(*volume, Settings{Mode::Deposition, film, 16.0, 0.01, 1.0});
        engine.setSeed(5);
        engine.run();
        double total = 0.0;
        for (uint32_t x = 0; x < 40; ++x)
            for (uint32_t y = 0; y < 4; ++y)
                total += filmRun(*volume, x, y, 4);
        QVERIFY2(std::abs(total / 160.0 / 16.0 - 1.0) <= 0.15, qPrintable(QString::number(total / 160.0)));
    }

    void trenchBottomFollowsTheViewFactor_data()
    {
        QTest::addColumn<double>("aspect");
        QTest::newRow("A = 1") << 1.0;
        QTest::newRow("A = 2") << 2.0;
    }
    void trenchBottomFollowsTheViewFactor()
    {
        // Sticking 1, cosine source, film thin against the width: the bottom centre sees the
        // opening under the 2D view factor 1/sqrt(1 + 4 A^2) (0.447 at A = 1, 0.243 at A = 2).
        QFETCH(double, aspect);
        const Trench trench{40, 40.0 * aspect, 0.125f};
        const Coverage c = deposit(trench, 24.0, 1.0, 1.0, 48);
        const double viewFactor = 1.0 / std::sqrt(1.0 + 4.0 * aspect * aspect);
        const double ratio = c.bottom / c.field;
        QVERIFY2(std::abs(ratio / viewFactor - 1.0) <= 0.15,
                 qPrintable(QStringLiteral("bottom %1, field %2, ratio %3, view factor %4")
                                .arg(c.bottom)
                                .arg(c.field)
                                .arg(ratio)
                                .arg(viewFactor)));
        QVERIFY(std::abs(c.field - 24.0) <= 1.0);
        // The wall sees less of the source deep down than near the top.
        QVERIFY2(c.wallBottom < c.wallTop, qPrintable(QStringLiteral("%1 %2").arg(c.wallBottom).arg(c.wallTop)));
        // The top corner sees most of the source: the film overhangs the wall there.
        QVERIFY2(c.corner > c.wallTop, qPrintable(QStringLiteral("%1 %2").arg(c.corner).arg(c.wallTop)));
    }

    void lowStickingCoatsConformally()
    {
        // s = 0.01 with diffuse re-emission: particles bounce many times inside the trench
        // before they stay, the bottom of an A = 2 trench gets most of the field thickness.
        const Trench trench{20, 40.0, 0.125f};
        const Coverage c = deposit(trench, 16.0, 0.01, 1.0, 32);
        QVERIFY2(c.bottom / c.field >= 0.8, qPrintable(QStringLiteral("%1 / %2").arg(c.bottom).arg(c.field)));
    }

    void collimatedSourceFillsTheBottom()
    {
        // A narrow beam (n = 400) reaches the bottom as the field; vertical walls stay bare.
        const Trench trench{20, 40.0, 1.0f};
        const Coverage c = deposit(trench, 8.0, 1.0, 400.0, 64);
        QVERIFY2(std::abs(c.bottom / c.field - 1.0) <= 0.1,
                 qPrintable(QStringLiteral("%1 / %2").arg(c.bottom).arg(c.field)));
        QVERIFY2(c.wallTop <= 0.1 * c.field && c.wallBottom <= 0.1 * c.field,
                 qPrintable(QStringLiteral("%1 %2").arg(c.wallTop).arg(c.wallBottom)));
    }

    void etchingLeavesTheMask()
    {
        // A collimated etch through a mask opening: the opening goes down by the depth, the
        // mask and the silicon under it stay.
        auto volume = makeVolume(12, 3, 20, [](uint32_t x, uint32_t, uint32_t z) {
            if (z < 12)
                return substrate;
            return z == 12 && (x < 4 || x >= 8) ? mask : 0u;
        });
        LineOfSightTransport engine(*volume, Settings{Mode::Etching, substrate, 5.0, 1.0, 1000.0});
        engine.setSeed(3);
        engine.setRaysPerCell(64);
        engine.run();
        for (uint32_t y = 0; y < 3; ++y) {
            for (uint32_t x = 0; x < 12; ++x) {
                const bool open = x >= 4 && x < 8;
                QCOMPARE(stateAt(*volume, x, y, 12), open ? 0u : mask);
                for (uint32_t z = 0; z < 12; ++z)
                    QCOMPARE(stateAt(*volume, x, y, z), open && z >= 7 ? 0u : substrate);
            }
        }
    }

    void sameSeedSameCellsForAnyThreadCount()
    {
        const Trench trench{8, 10.0, 1.0f, 3};
        std::vector<uint32_t> reference;
        for (int threads : {1, 2, 4}) {
            PoolThreads pool(threads);
            auto volume = trench.volume(8);
            LineOfSightTransport engine(*volume, Settings{Mode::Deposition, film, 4.0, 0.2, 1.0});
            engine.setSeed(99);
            engine.setRaysPerCell(8);
            engine.run();
            if (reference.empty()) {
                reference = cellStates(*volume);
                continue;
            }
            QVERIFY2(cellStates(*volume) == reference, qPrintable(QStringLiteral("%1 threads").arg(threads)));
        }
        auto other = trench.volume(8);
        LineOfSightTransport engine(*other, Settings{Mode::Deposition, film, 4.0, 0.2, 1.0});
        engine.setSeed(100);
        engine.setRaysPerCell(8);
        engine.run();
        QVERIFY(cellStates(*other) != reference);
    }

    void flatSurfaceFluxIsEven_data()
    {
        QTest::addColumn<double>("sticking");
        QTest::addColumn<double>("exponent");
        QTest::newRow("collimated, s = 1") << 1.0 << 10000.0;
        QTest::newRow("cosine, s = 0.3") << 0.3 << 1.0;
    }
    void flatSurfaceFluxIsEven()
    {
        // A uniform source over a flat open surface: every surface cell sees the whole source and
        // collects the same flux, the share s of what falls on it; re-emitted particles leave
        // upwards. In units of a flat open surface's flux: 1 on every top cell. The CSV export
        // writes one row per surface cell.
        QFETCH(double, sticking);
        QFETCH(double, exponent);
        auto volume = makeVolume(6, 5, 16, [](uint32_t, uint32_t, uint32_t z) { return z < 8 ? substrate : 0u; });
        LineOfSightTransport engine(*volume, Settings{Mode::Deposition, film, 1.0, sticking, exponent});
        engine.setSeed(2);
        engine.setRaysPerCell(64);
        engine.run();
        // The last round's sites are the empty cells on the substrate: a quarter, a half and a
        // quarter of a cell arrive in the three rounds, and the film cell turns at the end.
        const auto &flux = engine.lastFlux();
        QCOMPARE(flux.size(), size_t(30));
        for (const auto &site : flux) {
            uint32_t x, y, z;
            volume->coordinates(site.first, x, y, z);
            QCOMPARE(z, 8u);
            QVERIFY2(std::abs(site.second - 1.0) < 1e-6, qPrintable(QString::number(site.second)));
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("flux.csv"));
        Core::Operations::CSVDataExporter exporter(path);
        auto field = std::make_shared<Model::Automaton::SurfaceFlux>(flux);
        QCOMPARE(exporter.saveDataToFile(Model::Automaton::SurfaceFlux::name(), QVariant::fromValue(field), 6, 5, 16),
                 0);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), 32); // the header, 30 rows, the empty end
        QCOMPARE(lines[0], QByteArray("x,y,z,flux"));
        QCOMPARE(lines[1], QByteArray("0,0,8,1.000000e+00"));
        QCOMPARE(lines[30], QByteArray("5,4,8,1.000000e+00"));
    }

    void stopIsSeenWithinARound()
    {
        // One round of many rays: a stop asked for once the first source rows are done ends the
        // run before the round does, with no cell changed and no ray counted.
        auto volume = makeVolume(16, 2, 8, [](uint32_t, uint32_t, uint32_t z) { return z < 4 ? substrate : 0u; });
        const auto start = cellStates(*volume);
        LineOfSightTransport engine(*volume, Settings{Mode::Deposition, film, 0.25, 1.0, 1.0});
        engine.setSeed(1);
        engine.setRaysPerCell(1u << 22);
        Util::RunControl control;
        engine.setRunControl(&control);
        std::thread watcher([&control] {
            while (control.done() == 0)
                std::this_thread::yield();
            control.requestStop();
        });
        engine.run();
        watcher.join();
        QVERIFY(control.wasStopped());
        QVERIFY(control.done() < control.total());
        QCOMPARE(engine.raysTraced(), uint64_t(0));
        QCOMPARE(cellStates(*volume), start);
    }

    void refusedSettings_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<double>("amount");
        QTest::addColumn<double>("sticking");
        QTest::addColumn<double>("exponent");
        QTest::addColumn<QString>("message");
        QTest::newRow("sticking 0") << int(Mode::Deposition) << 1.0 << 0.0 << 1.0
                                    << "Sticking Coefficient must be greater than 0 and at most 1, not 0.";
        QTest::newRow("probability above 1") << int(Mode::Etching) << 1.0 << 1.5 << 1.0
                                             << "Reaction Probability must be greater than 0 and at most 1, not 1.5.";
        QTest::newRow("exponent below 1")
            << int(Mode::Deposition) << 1.0 << 1.0 << 0.5 << "Source Exponent must be from 1 to 10000, not 0.5.";
        QTest::newRow("negative depth") << int(Mode::Etching) << -2.0 << 1.0 << 1.0
                                        << "Etch Depth must be from 0 to 100000 cells, not -2.";
    }
    void refusedSettings()
    {
        QFETCH(int, mode);
        QFETCH(double, amount);
        QFETCH(double, sticking);
        QFETCH(double, exponent);
        QFETCH(QString, message);
        auto volume = makeVolume(2, 2, 2, [](uint32_t, uint32_t, uint32_t z) { return z == 0 ? substrate : 0u; });
        try {
            LineOfSightTransport(*volume, Settings{Mode(mode), substrate, amount, sticking, exponent});
            QFAIL("accepted");
        } catch (const std::invalid_argument &e) {
            QCOMPARE(QString::fromStdString(e.what()), message);
        }
    }
};

QTEST_GUILESS_MAIN(tst_LineOfSight)
#include "tst_lineofsight.moc"
