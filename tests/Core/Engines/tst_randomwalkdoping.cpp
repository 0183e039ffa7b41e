#include "Core/Engines/RandomWalk/randomwalkdoping.h"
#include "Core/Engines/RandomWalk/randomwalkdopinginput.h"
#include "Core/Processes/randomwalkdopingprocess.h"
#include "Model/Volume/particlecounts.h"
#include "consolelog.h"
#include "engineoperationcases.h"

#include <QtTest>

#include <cmath>
#include <numeric>
#include <stdexcept>

using namespace Core::Operations;
using Model::Automaton::ParticleCounts;
using Model::Automaton::ParticleCountsPtr;
using namespace EngineTest;

namespace {

const QList<uint32_t> silicon{1, 14, 15, 16};

// Cells of 1 m, so that concentrations (m^-3) are particle counts per cell exactly, and q = D dt.
struct Walk {
    double d = 0.0;
    double dt = 1.0;
    double n0 = 50.0;
    double threshold = 1e9;
    uint32_t material = 15;
};

std::unique_ptr<RandomWalkDoping> engine(TotalVolume &volume, const Walk &w, uint64_t seed = 1)
{
    auto e = std::make_unique<RandomWalkDoping>(volume, w.material, w.d, w.dt, 1.0, w.n0, w.threshold);
    e->setDopableMaterials(silicon);
    e->setSeed(seed);
    return e;
}

// A silicon slab of `depth` layers under empty space.
std::shared_ptr<TotalVolume> slab(uint32_t nx, uint32_t ny, uint32_t nz, uint32_t depth)
{
    return makeVolume(nx, ny, nz, [depth](uint32_t, uint32_t, uint32_t z) { return z < depth ? 1u : 0u; });
}

std::vector<uint64_t> totals(const TotalVolume &volume, const QString &name = ParticleCounts::pTypeName())
{
    const ParticleCountsPtr counts = ParticleCounts::of(volume, name);
    std::vector<uint64_t> result;
    if (!counts)
        return result;
    for (size_t i = 0; i < counts->cellCount(); ++i)
        result.push_back(counts->total(i));
    return result;
}

std::vector<uint32_t> rawCounts(const TotalVolume &volume)
{
    const ParticleCountsPtr counts = ParticleCounts::of(volume, ParticleCounts::pTypeName());
    return std::vector<uint32_t>(counts->data(), counts->data() + counts->cellCount() * ParticleCounts::slotsPerCell);
}

} // namespace

class tst_RandomWalkDoping : public QObject {
    Q_OBJECT
private slots:
    void countsFromConcentrations()
    {
        // a = 2 um, C0 = 1e20 cm^-3 = 1e26 m^-3: 8e-18 m^3 * 1e26 = 8e8 particles is too many to count;
        // a = 0.5 um gives 1.25e7; 10 % of it is the threshold.
        auto volume = slab(2, 2, 4, 2);
        RandomWalkDoping e(*volume, 15, 1e-14, 1.0, 0.5e-6, 1e26, 1e25);
        QCOMPARE(e.surfaceCount(), 12500000u);
        QCOMPARE(e.thresholdCount(), 1250000u);
        QCOMPARE(e.moveProbability(), 1e-14 / 0.25e-12);
        QCOMPARE(e.fieldName(), ParticleCounts::pTypeName());
        QVERIFY(e.createdField());
        QCOMPARE(RandomWalkDoping(*volume, 14, 0.0, 1.0, 1.0, 1.0, 1.0).fieldName(), ParticleCounts::nTypeName());
        // 1 um and 5e13 cm^-3 are 50 particles per cell, although (1e-6)^3 * 5e19 is 49.99999999999999.
        RandomWalkDopingInput in;
        in.cellSizeMicrometres = 1.0;
        in.surfaceConcentrationPerCm3 = 5e13;
        in.thresholdPercent = 50.0;
        RandomWalkDoping exact(*volume, 15, 0.0, 1.0, in.cellSize(), in.dopantConcentration(),
                               in.thresholdConcentration());
        QCOMPARE(exact.surfaceCount(), 50u);
        QCOMPARE(exact.thresholdCount(), 25u);
        // A value well inside the cell still truncates.
        QCOMPARE(RandomWalkDoping(*volume, 15, 0.0, 1.0, 1.0, 49.6, 0.0).surfaceCount(), 49u);
    }

    void stepCountAndThreshold_data()
    {
        QTest::addColumn<double>("time");
        QTest::addColumn<double>("step");
        QTest::addColumn<double>("threshold");
        QTest::addColumn<qulonglong>("steps");
        QTest::addColumn<uint32_t>("surfaceState");
        // Nothing moves; the surface cells hold 50 particles once a step has run and turn when more
        // than the threshold stays.
        QTest::newRow("exact step count") << 6.0 << 2.0 << 0.0 << qulonglong(3) << 15u;
        QTest::newRow("truncated step count") << 7.9 << 2.0 << 0.0 << qulonglong(3) << 15u;
        QTest::newRow("step longer than the time") << 1.5 << 2.0 << 0.0 << qulonglong(0) << 1u;
        QTest::newRow("49 below 50 staying: turns") << 2.0 << 1.0 << 49.0 << qulonglong(2) << 15u;
        QTest::newRow("50 equal to 50 staying: stays silicon") << 2.0 << 1.0 << 50.0 << qulonglong(2) << 1u;
    }
    void stepCountAndThreshold()
    {
        QFETCH(double, time);
        QFETCH(double, step);
        QFETCH(double, threshold);
        QFETCH(qulonglong, steps);
        QFETCH(uint32_t, surfaceState);
        auto volume = slab(3, 2, 5, 3);
        QCOMPARE(engine(*volume, Walk{0.0, step, 50.0, threshold})->dope(time), uint64_t(steps));
        const auto counts = totals(*volume);
        QCOMPARE(counts.size(), volume->cellCount());
        QCOMPARE(std::accumulate(counts.begin(), counts.end(), uint64_t(0)) == 0, steps == 0);
        for (uint32_t x = 0; x < 3; ++x)
            for (uint32_t y = 0; y < 2; ++y) {
                QCOMPARE(stateAt(*volume, x, y, 2), surfaceState);
                // Cells without particles never turn, even at threshold 0.
                QCOMPARE(stateAt(*volume, x, y, 1), 1u);
                QCOMPARE(stateAt(*volume, x, y, 3), 0u);
            }
    }

    void cellsNextToEmptySpaceHoldTheSurfaceCount_data()
    {
        QTest::addColumn<double>("n0");
        QTest::newRow("single draws (30 particles)") << 30.0;
        QTest::newRow("binomial splits (1000 particles)") << 1000.0;
    }
    void cellsNextToEmptySpaceHoldTheSurfaceCount()
    {
        QFETCH(double, n0);
        // Silicon below z = 3, plus a pit at (1, 1, 2) that makes (1, 1, 1) a surface cell too.
        auto volume = makeVolume(3, 3, 5, [](uint32_t x, uint32_t y, uint32_t z) {
            return z < 3 && !(x == 1 && y == 1 && z == 2) ? 1u : 0u;
        });
        auto e = engine(*volume, Walk{0.15, 1.0, n0});
        QCOMPARE(e->dope(3.0), uint64_t(3));
        const auto counts = totals(*volume);
        for (uint32_t x = 0; x < 3; ++x)
            for (uint32_t y = 0; y < 3; ++y) {
                if (x == 1 && y == 1) {
                    QCOMPARE(counts[volume->index(x, y, 1)], uint64_t(n0));
                    continue;
                }
                QCOMPARE(counts[volume->index(x, y, 2)], uint64_t(n0));
                // Empty cells keep no particles once the run is over.
                QCOMPARE(counts[volume->index(x, y, 3)], uint64_t(0));
            }
    }

    void layerMeansFollowTheErfcProfile()
    {
        // 4 x 4 columns of silicon 60 cells deep under empty space; the sides wrap around, so
        // every column is the same diffusion problem. q = D dt / a^2 = 1/8, 400 steps:
        // sqrt(D t) = sqrt(50) cells. Below a surface held at N0 the mean count at depth x is
        // N0 erfc(x / (2 sqrt(D t))).
        const double n0 = 1000.0;
        const double q = 0.125;
        const int steps = 400;
        auto volume = slab(4, 4, 64, 60);
        engine(*volume, Walk{q, 1.0, n0}, 2024)->dope(steps);
        const auto counts = totals(*volume);
        const double length = 2.0 * std::sqrt(q * steps);
        int checked = 0;
        for (uint32_t depth = 0; depth < 60; ++depth) {
            const double expected = n0 * std::erfc(depth / length);
            if (expected < 0.05 * n0)
                break;
            const uint32_t z = 59 - depth;
            double sum = 0.0;
            double squares = 0.0;
            for (uint32_t x = 0; x < 4; ++x)
                for (uint32_t y = 0; y < 4; ++y) {
                    const double c = double(counts[volume->index(x, y, z)]);
                    sum += c;
                    squares += c * c;
                }
            const double mean = sum / 16.0;
            const double spread = std::sqrt(std::max(0.0, squares / 16.0 - mean * mean));
            const double standardError = spread / std::sqrt(15.0);
            const double allowed = std::max(0.1 * expected, 3.0 * standardError);
            QVERIFY2(
                std::abs(mean - expected) <= allowed,
                qPrintable(QStringLiteral("depth %1: mean %2, erfc profile %3").arg(depth).arg(mean).arg(expected)));
            ++checked;
        }
        QVERIFY(checked >= 19);
        // Deep below the profile nothing has arrived yet.
        QCOMPARE(counts[volume->index(0, 0, 0)], uint64_t(0));
    }

    void sameSeedSameCountsForAnyThreadCount()
    {
        std::vector<uint32_t> referenceCounts;
        std::vector<uint32_t> referenceStates;
        for (int threads : {1, 2, 3}) {
            PoolThreads pool(threads);
            auto volume = makeVolume(13, 5, 16, rough);
            engine(*volume, Walk{0.12, 1.0, 200.0, 40.0}, 77)->dope(25.0);
            if (referenceCounts.empty()) {
                referenceCounts = rawCounts(*volume);
                referenceStates = cellStates(*volume);
                QVERIFY(referenceStates != cellStates(*makeVolume(13, 5, 16, rough)));
                continue;
            }
            QVERIFY(rawCounts(*volume) == referenceCounts);
            QVERIFY(cellStates(*volume) == referenceStates);
        }
        // Another seed walks otherwise.
        auto other = makeVolume(13, 5, 16, rough);
        engine(*other, Walk{0.12, 1.0, 200.0, 40.0}, 78)->dope(25.0);
        QVERIFY(rawCounts(*other) != referenceCounts);
    }

    void refusedValues_data()
    {
        QTest::addColumn<double>("d");
        QTest::addColumn<double>("dt");
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("c0");
        QTest::addColumn<double>("time");
        QTest::addColumn<QString>("words");
        // a = 1 um, D = 1e-13 m^2/s: the largest time step is a^2 / (6 D) = 1.66667 s.
        QTest::newRow("time step too long")
            << 1e-13 << 2.0 << 1e-6 << 1e20 << 60.0 << "largest allowed time step is 1.66667 s";
        QTest::newRow("time step at the limit") << 1.0 / 6.0 << 1.0 << 1.0 << 10.0 << 60.0 << "";
        QTest::newRow("cell size 0") << 1e-13 << 1.0 << 0.0 << 1e20 << 60.0 << "cell size";
        QTest::newRow("time step 0") << 1e-13 << 0.0 << 1e-6 << 1e20 << 60.0 << "time step";
        QTest::newRow("negative diffusion") << -1e-13 << 1.0 << 1e-6 << 1e20 << 60.0 << "diffusion coefficient";
        QTest::newRow("too many particles") << 1e-13 << 1.0 << 1e-5 << 1e26 << 60.0 << "particles per cell";
        QTest::newRow("too many steps") << 1e-13 << 1e-9 << 1e-6 << 1e20 << 1e9 << "time steps";
    }
    void refusedValues()
    {
        QFETCH(double, d);
        QFETCH(double, dt);
        QFETCH(double, a);
        QFETCH(double, c0);
        QFETCH(double, time);
        QFETCH(QString, words);
        const QString problem = RandomWalkDoping::checkParameters(d, dt, a, c0, 0.1 * c0, time);
        QVERIFY2(words.isEmpty() ? problem.isEmpty() : problem.contains(words), qPrintable(problem));
    }

    // The dialog's values (and a list's) beyond their range say so, with the range, rather than that they
    // are negative.
    void inputsOutOfRangeAreNamedWithTheirRange_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("problem");
        QTest::newRow("concentration of 1e308")
            << 0 << 1e308 << "\"Dopant concentration\" of 1e+308 is out of range: it must be from 0 to 1e+24 cm^-3.";
        QTest::newRow("threshold of 1e308")
            << 1 << 1e308 << "\"Threshold\" of 1e+308 is out of range: it must be from 0 to 1000000000 %.";
        QTest::newRow("time of 1e308")
            << 2 << 1e308 << "\"Doping Time\" of 1e+308 is out of range: it must be from 0 to 1000000000 minutes.";
        QTest::newRow("negative time")
            << 2 << -1.0 << "\"Doping Time\" of -1 is out of range: it must be from 0 to 1000000000 minutes.";
        QTest::newRow("cells of 0") << 3 << 0.0
                                    << "\"Cell Size\" of 0 is out of range: it must be above 0 and up to 1000000 "
                                       "micrometres.";
    }
    void inputsOutOfRangeAreNamedWithTheirRange()
    {
        QFETCH(int, field);
        QFETCH(double, value);
        RandomWalkDopingInput in;
        in.diffusionCoefficientCm2PerS = 1e-13;
        in.cellSizeMicrometres = 0.01;
        in.timeStepSeconds = 1.0;
        in.surfaceConcentrationPerCm3 = 1e20;
        QCOMPARE(in.problem(), QString());
        double *fields[] = {&in.surfaceConcentrationPerCm3, &in.thresholdPercent, &in.dopingTimeMinutes,
                            &in.cellSizeMicrometres};
        *fields[field] = value;
        QTEST(in.problem(), "problem");
    }

    void theDopingMaterialKeepsCountsOnlyWhenDopable()
    {
        // Aluminium (4) is not dopable: cells that turn into it lose their counters at the end.
        auto volume = slab(2, 2, 4, 2);
        engine(*volume, Walk{0.0, 1.0, 50.0, 10.0, 4})->dope(1.0);
        QCOMPARE(stateAt(*volume, 0, 0, 1), 4u);
        const auto counts = totals(*volume);
        QVERIFY(std::all_of(counts.begin(), counts.end(), [](uint64_t c) { return c == 0; }));
    }

    void aSecondRunContinuesFromTheFirst()
    {
        auto volume = slab(3, 3, 4, 3);
        engine(*volume, Walk{0.0, 1.0, 50.0})->dope(1.0);
        // Without a surface count nothing is added and, with q = 0, nothing moves: the first run's
        // counts are still there after the second, and a volume never doped has none.
        auto second = engine(*volume, Walk{0.0, 1.0, 0.0});
        QVERIFY(!second->createdField());
        second->dope(5.0);
        QCOMPARE(totals(*volume)[volume->index(1, 1, 2)], uint64_t(50));
        auto fresh = slab(3, 3, 4, 3);
        engine(*fresh, Walk{0.0, 1.0, 0.0})->dope(5.0);
        QCOMPARE(totals(*fresh)[fresh->index(1, 1, 2)], uint64_t(0));
    }

    void engineRefusesATooLongTimeStepBeforeMakingItsField()
    {
        auto volume = slab(2, 2, 3, 2);
        try {
            RandomWalkDoping(*volume, 15, 1e-13, 2.0, 1e-6, 1e20, 1e19);
            QFAIL("a time step longer than a^2 / (6 D) was accepted");
        } catch (const std::invalid_argument &error) {
            QVERIFY2(QString::fromLocal8Bit(error.what()).contains(QStringLiteral("1.66667 s")), error.what());
        }
        QVERIFY(volume->fieldNames().isEmpty());
    }

    void operationRefusesMissingValuesThenRunsUndoesAndRedoes()
    {
        namespace Parameter = Core::Processes::Parameter;
        Core::Workspace ws;
        auto log = std::make_shared<ConsoleLog>(ws);
        ws.console().addObserver(log);
        auto volume = slab(3, 3, 5, 3);
        ws.document().addObject(volume);
        RandomWalkDopingInput in;
        in.material = 15;
        in.dopingTimeMinutes = 1.0;           // 60 s
        in.diffusionCoefficientCm2PerS = 0.0; // nothing moves
        in.cellSizeMicrometres = 1.0;         // 1e-18 m^3 per cell
        in.timeStepSeconds = 10.0;            // 6 steps
        in.surfaceConcentrationPerCm3 = 5e13; // 5e19 m^-3: 50 particles per cell
        in.thresholdPercent = 50.0;           // 25 particles
        const QVariantMap complete = EngineCases::values<Core::Processes::RandomWalkDopingProcess>(in);
        QVariantMap partial = complete;
        for (const char *name : {Parameter::DiffusionCoefficient, Parameter::CellSize, Parameter::TimeStepDuration})
            partial.remove(QLatin1String(name));
        bool given = false;
        auto factory = std::make_shared<TestFactory>();
        factory->makers[36] = [&ws, &given, complete, partial] {
            return EngineCases::command(Core::Processes::CommandId::RandomWalkDoping, given ? complete : partial,
                                        5)(ws, true);
        };
        ws.setOperationFactory(factory);
        ws.setLatticeOutOfDate(volume->id(), false);
        const auto before = cellStates(*volume);
        ws.startOperation(36);
        // The values not given are named as a list's step names them.
        QVERIFY2(log->lines.contains(QStringLiteral("Random Walk Doping: missing: Cell Size, Time Step Duration, "
                                                    "Diffusion Coefficient")),
                 qPrintable(log->lines.join(QLatin1Char('\n'))));
        QCOMPARE(log->lines.last(), QStringLiteral("Random Walk Doping: Operation Canceled!"));
        QCOMPARE(cellStates(*volume), before);
        QVERIFY(volume->fieldNames().isEmpty());
        QVERIFY(!ws.undoRedo().canUndo());

        given = true;
        ws.startOperation(36);
        QCOMPARE(ws.lastOperation(volume->id()), 36u);
        QVERIFY(ws.isLatticeOutOfDate(volume->id()));
        QCOMPARE(stateAt(*volume, 1, 1, 2), 15u);
        QCOMPARE(stateAt(*volume, 1, 1, 1), 1u);
        const auto after = cellStates(*volume);
        QCOMPARE(ws.undoRedo().undoName(), QStringLiteral("Random Walk Doping"));
        const auto counted = totals(*volume);
        QCOMPARE(counted[volume->index(1, 1, 2)], uint64_t(50));
        QVERIFY(ws.undoRedo().undo());
        QVERIFY(cellStates(*volume) == before);
        // The counters the run made go with it, and come back with the redo.
        QVERIFY(volume->fieldNames().isEmpty());
        QVERIFY(ws.undoRedo().redo());
        QVERIFY(cellStates(*volume) == after);
        QCOMPARE(totals(*volume), counted);
    }
};

QTEST_GUILESS_MAIN(tst_RandomWalkDoping)
#include "tst_randomwalkdoping.moc"
