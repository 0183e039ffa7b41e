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

enum EtchModel { Bca, Cca };

void etch(TotalVolume &volume, int model, double depth)
{
    if (model == Bca)
        BondCountingWetEtchEngine(volume, depth).run();
    else
        ContinuousWetEtchEngine(volume, depth).run();
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

size_t count(TotalVolume &volume, uint32_t state)
{
    const auto s = cellStates(volume);
    return size_t(std::count(s.begin(), s.end(), state));
}

void addModels()
{
    QTest::addColumn<int>("model");
    QTest::newRow("BCA") << int(Bca);
    QTest::newRow("CCA") << int(Cca);
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
/// What the lattice stores: every atom's state and every unit cell's kept mark.
std::vector<uint8_t> latticeBytes(const SiLattice &lattice)
{
    std::vector<uint8_t> bytes(lattice.storedByteCount());
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = lattice.storedByte(i);
    return bytes;
}

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

    void invertedPyramidStopsOnItsWalls_data() { addModels(); }
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

    void coveredSiliconLosesNothing_data() { addModels(); }
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

    void cellsEmptyWithTheirLastAtom_data() { addModels(); }
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
