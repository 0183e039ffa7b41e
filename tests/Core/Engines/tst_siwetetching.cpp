#include "Core/BatchRun/stepparameters.h"
#include "Core/Engines/Lattice/etchant.h"
#include "Core/Engines/Lattice/etchanttables.h"
#include "Core/Processes/parameternames.h"
#include "Core/Processes/processstep.h"
#include "Core/Processes/siwetetchingprocess.h"
#include "Model/Volume/silattice.h"
#include "engineoperationcases.h"
#include "siwetetchscenes.h"

#include <QtTest>

#include <cmath>
#include <map>
#include <numeric>

using namespace Core::Operations;
using Core::Processes::CommandId;
using Model::Automaton::SiLattice;
using Model::Automaton::SiSite;
using Model::Automaton::TotalVolume;
using namespace WetEtchScene;
using EngineTest::atomCounts;

namespace {

/// H. Seidel et al., J. Electrochem. Soc. 137 (1990) 3612: Ea of (100) 0.595 eV, and
/// R(20 %) / R(30 %) = 1.09 at equal temperature. (Sato's rates: siwetetchscenes.h.)
constexpr double seidelEa100 = 0.595;
constexpr double seidel20to30 = 1.09;

/// Bath: the continuous model calibrated to an etch bath, run for the steps in which a (100)
/// surface recedes by the depth.
enum EtchModel { Bca, Cca, Bath };

void etch(TotalVolume &volume, int model, double depth)
{
    if (model == Bca)
        BondCountingWetEtchEngine(volume, depth).run();
    else if (model == Cca)
        ContinuousWetEtchEngine(volume, depth).run();
    else
        ContinuousWetEtchEngine(volume, ContinuousWetEtchEngine::steps(depth) * EtchantTables::stepsPer100Layer,
                                ContinuousWetEtchEngine::Calibrated{})
            .run();
}

/// Depths along the line y = n / 2 (or x = n / 2 when `alongY`).
std::vector<uint32_t> profile(TotalVolume &volume, const Pit &pit, bool alongY = false)
{
    std::vector<uint32_t> depths;
    for (uint32_t t = 0; t < pit.n; ++t)
        depths.push_back(alongY ? depthAt(volume, pit.height, pit.n / 2, t)
                                : depthAt(volume, pit.height, t, pit.n / 2));
    return depths;
}

QString text(const std::vector<uint32_t> &depths)
{
    QStringList parts;
    for (uint32_t d : depths)
        parts << QString::number(d);
    return parts.join(' ');
}

uint32_t maximum(const std::vector<uint32_t> &depths) { return *std::max_element(depths.begin(), depths.end()); }

void addModels(bool bath = false)
{
    QTest::addColumn<int>("model");
    QTest::newRow("BCA") << int(Bca);
    QTest::newRow("CCA") << int(Cca);
    if (bath)
        QTest::newRow("KOH bath") << int(Bath);
}

const uint32_t operationId = 700;

/// The bond-counting rule by brute force, to check the engine against: every step looks at every
/// present atom of the lattice as the step found it, then removes those that go. An atom stays
/// while it keeps four bonds, or three whose atoms hold at least nine further bonds; the atom at
/// the other end of a bond holds its other bonds that are not absent, and an atom of another
/// material (the mask) or beyond the volume's faces is fully bonded: three besides this one.
/// Returns the lattice's atom states (by key) and leaves the cells whose every atom went empty.
std::map<uint64_t, uint8_t> bruteForceEtch(TotalVolume &volume, uint64_t steps)
{
    const auto lattice = volume.createSiLattice();
    std::vector<SiSite> atoms;
    lattice->forEachAtomInSlab(0, int32_t(volume.sizeX()), [&](const SiSite &s, int64_t, int64_t) {
        if (lattice->state(s) == SiLattice::Present)
            atoms.push_back(s);
    });
    auto bonded = [&](const SiSite &s, uint32_t slot) { return lattice->bondState(s, slot) != SiLattice::Absent; };
    for (uint64_t step = 0; step < steps; ++step) {
        std::vector<SiSite> going;
        for (const SiSite &s : atoms) {
            if (lattice->state(s) != SiLattice::Present)
                continue;
            unsigned n1 = 0;
            unsigned n2 = 0;
            for (uint32_t slot = 0; slot < 4; ++slot) {
                if (!bonded(s, slot))
                    continue;
                ++n1;
                const SiSite n = SiLattice::neighbourSite(s, slot);
                if (lattice->bondState(s, slot) == SiLattice::Fixed) {
                    n2 += 3;
                    continue;
                }
                for (uint32_t other = 0; other < 4; ++other)
                    n2 += !(SiLattice::neighbourSite(n, other) == s) && bonded(n, other) ? 1 : 0;
            }
            if (!(n1 == 4 || (n1 == 3 && n2 >= 9)))
                going.push_back(s);
        }
        if (going.empty())
            break;
        for (const SiSite &s : going)
            lattice->setState(s, SiLattice::Absent);
    }
    std::map<uint64_t, uint8_t> states;
    std::vector<bool> keepsAnAtom(volume.cellCount(), false);
    for (const SiSite &s : atoms) {
        states[lattice->key(s)] = lattice->state(s);
        keepsAnAtom[size_t(lattice->cellIndex(s))] =
            keepsAnAtom[size_t(lattice->cellIndex(s))] || lattice->state(s) == SiLattice::Present;
    }
    Model::Automaton::CellLock lock(volume);
    for (size_t c = 0; c < volume.cellCount(); ++c) {
        if (lock.cells().state(c) == Silicon && !keepsAnAtom[c])
            lock.cells().setState(c, 0);
    }
    return states;
}

/// Makes the workspace's factory give the model's operation, whose dialog answers `depth`, and
/// (as the next id) a deposition of two cells of silicon.
void install(Core::Workspace &ws, int model, double depth)
{
    const EngineCases::Maker make =
        EngineCases::command(model == Bca ? CommandId::BondCountingWetEtch : CommandId::ContinuousWetEtch,
                             {{EngineCases::Parameter::Depth, depth}});
    const EngineCases::Maker deposit =
        EngineCases::command(CommandId::IsotropicDeposition,
                             EngineCases::values<Core::Processes::IsotropicDepositionProcess>({Silicon, 2.0}));
    auto factory = std::make_shared<TestFactory>();
    factory->makers[operationId] = [&ws, make] { return make(ws, true); };
    factory->makers[operationId + 1] = [&ws, deposit] { return deposit(ws, true); };
    ws.setOperationFactory(factory);
}

// ---- etch baths ----

double arrhenius(double ea, double celsius1, double celsius2)
{
    const double k = 8.617333e-5;
    return std::exp(-ea / k * (1.0 / (celsius2 + 273.15) - 1.0 / (celsius1 + 273.15)));
}

uint64_t bathSteps(double percent, double celsius, double minutes)
{
    Core::Processes::SiWetEtchingParameters params;
    params.etchant = QStringLiteral("KOH");
    params.concentration = percent;
    params.temperature = celsius;
    params.etchTime = minutes;
    params.cellSize = 1.0;
    return Core::Processes::SiWetEtchingProcess::calibratedSteps(params);
}

/// The extreme coordinate (`axis`, in cells) of the present atoms in the cells whose other two
/// coordinates are `a` and `b`: the highest over column (x = a, y = b) for z, the lowest along the
/// row (y = a, z = b) for x.
double atomFront(TotalVolume &volume, int axis, uint32_t a, uint32_t b)
{
    const SiLattice &l = *volume.siLattice();
    const int64_t ny = volume.sizeY();
    const int64_t nz = volume.sizeZ();
    double front = axis == 2 ? -1e9 : 1e9;
    const int32_t x0 = axis == 2 ? int32_t(a) : 0;
    const int32_t x1 = axis == 2 ? int32_t(a) + 1 : int32_t(volume.sizeX());
    l.forEachAtomInSlab(x0, x1, [&](const SiSite &s, int64_t cell, int64_t) {
        if (l.state(s) != SiLattice::Present)
            return;
        const int64_t y = (cell / nz) % ny;
        const int64_t z = cell % nz;
        const auto c = l.cellCoordinates(s);
        if (axis == 2 && y == b)
            front = std::max(front, c[2]);
        else if (axis == 0 && y == a && z == b)
            front = std::min(front, c[0]);
    });
    return front;
}

/// Silicon for x >= 2, empty before: the wall facing -x is a {110} plane of the (100) lattice
/// (its <110> directions run along x and y); the volume's faces, fixed, hold it above and below.
std::shared_ptr<TotalVolume> wall110(uint32_t nx, uint32_t ny, uint32_t nz)
{
    std::vector<uint32_t> states(size_t(nx) * ny * nz, Silicon);
    for (uint32_t x = 0; x < 2; ++x)
        for (uint32_t y = 0; y < ny; ++y)
            for (uint32_t z = 0; z < nz; ++z)
                states[(size_t(x) * ny + y) * nz + z] = 0;
    return std::make_shared<TotalVolume>(nx, ny, nz, 1.0f, 1.0f, 1.0f, Util::Vector3D(), states);
}

/// How far (cells) a flat surface recedes in a KOH bath: (100) the top of a fully open wafer,
/// (110) the wall of wall110, measured at the middle, far from where the volume's faces hold it.
double bathRecession(int plane, double percent, double celsius, double minutes)
{
    const Pit wafer{40, 26, 40};
    const auto volume = plane == 100 ? wafer.volume() : wall110(20, 24, 44);
    volume->createSiLattice();
    auto front = [&] { return plane == 100 ? atomFront(*volume, 2, 20, 20) : atomFront(*volume, 0, 12, 22); };
    const double before = front();
    ContinuousWetEtchEngine(*volume, bathSteps(percent, celsius, minutes), ContinuousWetEtchEngine::Calibrated{}).run();
    return plane == 100 ? before - front() : front() - before;
}

} // namespace

class tst_SiWetEtching : public QObject {
    Q_OBJECT
private slots:
    void stepCounts_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<double>("depth");
        QTest::addColumn<qulonglong>("steps");
        // One (100) atomic layer is a quarter cell; halves round away from zero.
        QTest::newRow("BCA 1") << int(Bca) << 1.0 << 4ull;
        QTest::newRow("BCA 0.125") << int(Bca) << 0.125 << 1ull;
        QTest::newRow("CCA 2.6") << int(Cca) << 2.6 << 10ull;
        QTest::newRow("CCA not a number") << int(Cca) << std::nan("") << 0ull;
    }
    void stepCounts()
    {
        QFETCH(int, model);
        QFETCH(double, depth);
        QFETCH(qulonglong, steps);
        QCOMPARE(
            qulonglong(model == Bca ? BondCountingWetEtchEngine::steps(depth) : ContinuousWetEtchEngine::steps(depth)),
            steps);
    }

    // Flat surfaces in a KOH bath recede at the published rate within 10 % (cell edge 1 um).
    void bathRecessionFollowsPublishedRates_data()
    {
        QTest::addColumn<int>("plane");
        QTest::addColumn<double>("percent");
        QTest::addColumn<double>("celsius");
        QTest::addColumn<double>("minutes");
        QTest::addColumn<double>("rate");
        QTest::newRow("(100) 30 % 70 C") << 100 << 30.0 << 70.0 << 15.0 << sato100;
        QTest::newRow("(100) 30 % 80 C") << 100 << 30.0 << 80.0 << 15.0 << sato100 * arrhenius(seidelEa100, 70, 80);
        QTest::newRow("(100) 20 % 70 C") << 100 << 20.0 << 70.0 << 15.0 << sato100 * seidel20to30;
        QTest::newRow("(110) 30 % 70 C") << 110 << 30.0 << 70.0 << 8.0 << sato110;
    }
    void bathRecessionFollowsPublishedRates()
    {
        QFETCH(int, plane);
        QFETCH(double, percent);
        QFETCH(double, celsius);
        QFETCH(double, minutes);
        QFETCH(double, rate);
        const double recession = bathRecession(plane, percent, celsius, minutes);
        const QString text = QStringLiteral("%1 cells, published %2").arg(recession).arg(rate * minutes);
        qInfo("%s", qPrintable(text));
        QVERIFY2(std::fabs(recession / (rate * minutes) - 1.0) < 0.10, qPrintable(text));
    }

    // 80 degC against 70 degC in 30 % KOH: the (100) depth ratio is exp(-Ea/k (1/T2 - 1/T1)) = 1.77,
    // within an atomic layer of the 12-cell depth.
    void bathTemperatureFollowsArrhenius()
    {
        const double ratio = bathRecession(100, 30, 80, 15) / bathRecession(100, 30, 70, 15);
        qInfo("depth ratio %g, Arrhenius %g", ratio, arrhenius(seidelEa100, 70, 80));
        QVERIFY2(std::fabs(ratio / arrhenius(seidelEa100, 70, 80) - 1.0) < 0.25 / 12,
                 qPrintable(QString::number(ratio)));
        QVERIFY(std::fabs(arrhenius(seidelEa100, 70, 80) - 1.77) < 0.005);
    }

    void invertedPyramidStopsOnItsWalls_data() { addModels(true); }
    void invertedPyramidStopsOnItsWalls()
    {
        QFETCH(int, model);
        const Pit pit{36, 30, 24};
        // Part way down: a flat (100) bottom, W - sqrt(2) d wide, between {111} walls.
        const double d = 8.0;
        auto volume = pit.volume();
        const size_t maskCells = count(*volume, Mask);
        etch(*volume, model, d);
        for (bool alongY : {false, true}) {
            const auto depths = profile(*volume, pit, alongY);
            QVERIFY2(maximum(depths) == uint32_t(d), qPrintable(text(depths)));
            const long bottom = std::count(depths.begin(), depths.end(), uint32_t(d));
            QVERIFY2(std::abs(bottom - (pit.width - std::sqrt(2.0) * d)) <= 2.0, qPrintable(text(depths)));
            // The wall from the opening's edge down to the bottom: atan(sqrt 2) = 54.74 degrees.
            std::vector<double> x, z;
            for (uint32_t t = 0; t < pit.n / 2; ++t) {
                if (depths[t] > 0 && depths[t] < uint32_t(d)) {
                    x.push_back(t);
                    z.push_back(depths[t]);
                }
            }
            QVERIFY(x.size() >= 4);
            const double angle = degrees(std::atan(wallSlope(x, z)));
            QVERIFY2(std::abs(angle - degrees(std::atan(std::sqrt(2.0)))) <= 3.0,
                     qPrintable(QString::number(angle) + " degrees: " + text(depths)));
        }
        // The mask is never etched, and nothing outside the opening and its walls is.
        QCOMPARE(count(*volume, Mask), maskCells);
        for (uint32_t x = 0; x < pit.n; ++x)
            QCOMPARE(depthAt(*volume, pit.height, x, 2), 0u);

        // On to 30: the four {111} walls meet at W / sqrt 2 = 17 cells; the last cells near the apex
        // keep atoms of the walls, so the empty cells reach a little less deep.
        etch(*volume, model, 30.0 - d);
        const auto depths = profile(*volume, pit);
        const double apex = pit.width / std::sqrt(2.0);
        QVERIFY2(maximum(depths) >= apex - 2.5 && maximum(depths) <= apex, qPrintable(text(depths)));
        // 90 cells of (100) etching more: the bond-counting etch stays stopped; the continuous one
        // lets the {111} walls recede by at most 90 / 30 cells, the apex sinking sqrt 3 times that.
        const auto before = cellStates(*volume);
        etch(*volume, model, 90.0);
        const double sunk = double(maximum(profile(*volume, pit))) - double(maximum(depths));
        if (model == Bca)
            QVERIFY(cellStates(*volume) == before);
        QVERIFY2(sunk >= 0.0 && sunk <= std::sqrt(3.0) * 90.0 / 30.0 + 1.0, qPrintable(QString::number(sunk)));
        // In the bath the walls recede at the published (111) rate: 90 R(111) / R(100) = 0.56 cells.
        if (model == Bath)
            QVERIFY2(sunk <= std::sqrt(3.0) * 90.0 * sato111 / sato100 + 1.0, qPrintable(QString::number(sunk)));
    }

    // A square mask island with <110> edges in the bath, etched 2 cells deep: its convex corners are
    // undercut along the diagonal by fast planes, while the middle of each straight edge, held by
    // a {111} wall, keeps its silicon under the mask.
    void bathUndercutsTheConvexCornersOfAnIsland()
    {
        const Pit island{40, 14, 16, true};
        auto volume = island.volume();
        etch(*volume, Bath, 2.0);
        const uint32_t low = island.lower();
        const uint32_t high = low + island.width - 1;
        const uint32_t middle = island.n / 2;
        auto undercut = [&](uint32_t x, uint32_t y) { return depthAt(*volume, island.height, x, y) > 0; };
        for (uint32_t x : {low, high})
            for (uint32_t y : {low, high})
                QVERIFY2(undercut(x, y), qPrintable(QStringLiteral("corner %1 %2").arg(x).arg(y)));
        QVERIFY(!undercut(low, middle));
        QVERIFY(!undercut(high, middle));
        QVERIFY(!undercut(middle, low));
        QVERIFY(!undercut(middle, high));
        QCOMPARE(count(*volume, Mask), size_t(16 * 16));
    }

    // The crystal's {110} mirror planes through the middle of the volume are mirror planes of the
    // lattice in x and in y, so a mask island in the middle is undercut alike on opposite sides.
    // Between x and y the crystal differs by a quarter cell in depth (a 90 degree turn about z
    // maps it onto itself moved a quarter cell down): depths under the island then differ by at most
    // a cell.
    void bathUndercutsAnIslandSymmetrically()
    {
        const Pit island{47, 14, 19, true};
        auto volume = island.volume();
        const uint32_t last = island.n - 1;
        for (int part = 0; part < 4; ++part) {
            etch(*volume, Bath, 2.0);
            for (uint32_t x = 0; x < island.n; ++x) {
                for (uint32_t y = 0; y < island.n; ++y) {
                    const int d = int(depthAt(*volume, island.height, x, y));
                    const QString where = QStringLiteral("%1 cells deep at %2 %3").arg(2 * part + 2).arg(x).arg(y);
                    QVERIFY2(d == int(depthAt(*volume, island.height, last - x, y)), qPrintable(where));
                    QVERIFY2(d == int(depthAt(*volume, island.height, x, last - y)), qPrintable(where));
                    QVERIFY2(std::abs(d - int(depthAt(*volume, island.height, y, x))) <= 1, qPrintable(where));
                }
            }
        }
    }

    // A square mask island with four convex corners: the bond-counting etch removes exactly the
    // atoms the rule removes when applied to every atom at every step, for any thread count. Under
    // the island's edges the atoms bonded to mask atoms decide how far the etch reaches.
    void bondCountingEtchAroundAMaskIsland()
    {
        const Pit island{24, 8, 8, true};
        const double depth = 3.0;
        auto reference = island.volume();
        const auto expectedAtoms = bruteForceEtch(*reference, BondCountingWetEtchEngine::steps(depth));
        const auto expectedCells = cellStates(*reference);
        for (int threads : {1, 3}) {
            PoolThreads pool(threads);
            auto volume = island.volume();
            etch(*volume, Bca, depth);
            const auto lattice = volume->siLattice();
            size_t differing = 0;
            for (const auto &atom : expectedAtoms)
                differing += lattice->state(lattice->site(atom.first)) != atom.second ? 1 : 0;
            QVERIFY2(differing == 0,
                     qPrintable(QStringLiteral("%1 threads: %2 atoms differ").arg(threads).arg(differing)));
            QVERIFY(cellStates(*volume) == expectedCells);
        }
        // What the rule makes of the island, by hand: the open silicon far from it loses three
        // cells, the silicon under its middle nothing, and the mask stays.
        auto volume = island.volume();
        etch(*volume, Bca, depth);
        QCOMPARE(depthAt(*volume, island.height, 4, 4), 3u);
        QCOMPARE(depthAt(*volume, island.height, 12, 12), 0u);
        QCOMPARE(count(*volume, Mask), size_t(8 * 8));
    }

    void coveredSiliconLosesNothing_data() { addModels(true); }
    void coveredSiliconLosesNothing()
    {
        QFETCH(int, model);
        // Covered by the mask and cut by the volume's faces, no atom is bare: nothing is etched.
        auto volume = Pit{16, 11, 0}.volume();
        const auto before = cellStates(*volume);
        etch(*volume, model, 50.0);
        QVERIFY(cellStates(*volume) == before);
        const auto atoms = atomCounts(*volume);
        QCOMPARE(std::accumulate(atoms.begin(), atoms.end(), size_t(0)), volume->siLattice()->presentAtomCount());
        // Silicon to the volume's top face: the top is a cut too.
        auto full = makeVolume(12, 12, 8, [](uint32_t, uint32_t, uint32_t) { return Silicon; });
        etch(*full, model, 10.0);
        QCOMPARE(count(*full, Silicon), size_t(12 * 12 * 8));
    }

    void cellsEmptyWithTheirLastAtom_data() { addModels(true); }
    void cellsEmptyWithTheirLastAtom()
    {
        QFETCH(int, model);
        const Pit pit{28, 16, 16};
        auto fresh = pit.volume();
        fresh->createSiLattice();
        const auto sites = atomCounts(*fresh);
        auto volume = pit.volume();
        etch(*volume, model, 5.0);
        auto lattice = volume->siLattice();
        // Recount the present atoms of every cell from the lattice.
        std::vector<uint32_t> present(volume->cellCount(), 0);
        for (int32_t i = 0; i < int32_t(lattice->sizeI()); ++i)
            for (int32_t j = lattice->rowBegin(i); j < lattice->rowEnd(i); ++j)
                for (int32_t k = 0; k < int32_t(lattice->sizeK()); ++k)
                    for (uint32_t b = 0; b < 8; ++b) {
                        const SiSite s{i, j, k, b};
                        if (lattice->state(s) == SiLattice::Present)
                            ++present[size_t(lattice->cellIndex(s))];
                    }
        const auto cells = cellStates(*volume);
        const auto counts = atomCounts(*volume);
        size_t partial = 0;
        for (size_t c = 0; c < cells.size(); ++c) {
            QCOMPARE(counts[c], present[c]);
            if (cells[c] == Silicon)
                QVERIFY(counts[c] > 0); // a cell keeps its state while an atom remains
            else
                QCOMPARE(counts[c], 0u);
            partial += cells[c] == Silicon && counts[c] < sites[c];
        }
        QVERIFY(partial > 0); // the walls cut through cells
    }

    void etchInPartsEqualsOneEtch()
    {
        // The lattice keeps what an etch removed from cells that still hold atoms.
        const Pit pit{30, 16, 20};
        auto once = pit.volume();
        etch(*once, Bca, 6.0);
        auto parts = pit.volume();
        for (int i = 0; i < 4; ++i)
            etch(*parts, Bca, 1.5);
        QVERIFY(cellStates(*parts) == cellStates(*once));
        QVERIFY(atomCounts(*parts) == atomCounts(*once));
    }

    void newSiliconIsEtchedWithoutANewLattice()
    {
        // Cells that became silicon after the lattice was laid get their atoms at the next etch.
        const Pit open{16, 6, 16};
        auto volume = open.volume();
        volume->createSiLattice();
        {
            Model::Automaton::CellLock lock(*volume);
            for (uint32_t x = 0; x < 16; ++x)
                for (uint32_t y = 0; y < 16; ++y)
                    lock.cells().setState(volume->index(x, y, 6), Silicon);
        }
        BondCountingWetEtchEngine(*volume, 1.0).run();
        for (uint32_t x = 4; x < 12; ++x)
            QCOMPARE(stateAt(*volume, x, 8, 6), 0u);
        QCOMPARE(stateAt(*volume, 8, 8, 5), Silicon);
    }

    void operationKeepsTheLatticeInStepWithTheCells_data() { addModels(); }
    void operationKeepsTheLatticeInStepWithTheCells()
    {
        QFETCH(int, model);
        const Pit pit{24, 12, 14};
        Core::Workspace ws;
        auto volume = pit.volume();
        ws.document().addObject(volume);
        // Less than an atomic layer: no step, but the lattice is laid.
        QVERIFY(ws.isLatticeOutOfDate(volume->id()));
        install(ws, model, 0.1);
        ws.startOperation(operationId);
        QVERIFY(!ws.isLatticeOutOfDate(volume->id()));
        QCOMPARE(cellStates(*volume), cellStates(*pit.volume()));
        QCOMPARE(volume->siLattice()->presentAtomCount(), pit.volume()->createSiLattice()->presentAtomCount());
        const auto first = volume->siLattice();
        const auto cellsBefore = cellStates(*volume);
        const auto atomsBefore = atomCounts(*volume);
        const auto latticeBefore = latticeBytes(*first);

        install(ws, model, 3.0);
        auto expected = pit.volume();
        etch(*expected, model, 3.0);
        ws.startOperation(operationId);
        QCOMPARE(volume->siLattice(), first); // up to date: kept
        QCOMPARE(cellStates(*volume), cellStates(*expected));
        QCOMPARE(atomCounts(*volume), atomCounts(*expected));
        QVERIFY(volume->siLattice());
        QVERIFY(!ws.isLatticeOutOfDate(volume->id()));

        // Undone, cells, atom counts and lattice are back as the first etch left them; etching on
        // after the redo removes what etching on without the detour removes.
        QVERIFY(ws.undoRedo().undo());
        QCOMPARE(cellStates(*volume), cellsBefore);
        QCOMPARE(atomCounts(*volume), atomsBefore);
        QCOMPARE(latticeBytes(*volume->siLattice()), latticeBefore);
        QVERIFY(!ws.isLatticeOutOfDate(volume->id()));
        QVERIFY(ws.undoRedo().redo());
        const auto once = cellStates(*volume);
        QCOMPARE(once, cellStates(*expected));
        install(ws, model, 2.0);
        ws.startOperation(operationId);
        etch(*expected, model, 2.0);
        QCOMPARE(cellStates(*volume), cellStates(*expected));
        QCOMPARE(atomCounts(*volume), atomCounts(*expected));
        QVERIFY(ws.undoRedo().undo());
        QCOMPARE(cellStates(*volume), once);

        // Silicon deposited after an etch marks the lattice; the next etch lays it anew and etches
        // the new silicon too.
        const auto old = volume->siLattice();
        const auto oldBytes = latticeBytes(*old);
        const auto oldAtoms = atomCounts(*volume);
        ws.startOperation(operationId + 1);
        QVERIFY(ws.isLatticeOutOfDate(volume->id()));
        TotalVolume deposited(pit.n, pit.n, pit.height + 2, 1.0f, 1.0f, 1.0f, Util::Vector3D(), cellStates(*volume));
        ws.startOperation(operationId);
        QVERIFY(volume->siLattice() != old);
        QVERIFY(!ws.isLatticeOutOfDate(volume->id()));
        etch(deposited, model, 2.0);
        QCOMPARE(cellStates(*volume), cellStates(deposited));
        // Both undone: the lattice is the one from before the deposition again, and up to date.
        QVERIFY(ws.undoRedo().undo());
        QVERIFY(ws.undoRedo().undo());
        QVERIFY(!ws.isLatticeOutOfDate(volume->id()));
        QCOMPARE(latticeBytes(*volume->siLattice()), oldBytes);
        QCOMPARE(atomCounts(*volume), oldAtoms);
    }
};

QTEST_GUILESS_MAIN(tst_SiWetEtching)
#include "tst_siwetetching.moc"
