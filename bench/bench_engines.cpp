// Times the distance-counting engines on generated 256^3 volumes and prints one line per case:
// volume size, parameters, threads, milliseconds, cells changed. Doping, implantation and
// oxidation are compared with the isotropic deposition of the same distance on the same volume.
//
//   bench_engines [--threads N] [--size N] [--repeat N] [--write FILE] [--scaling]
//
// --repeat runs each case N times and prints the fastest run (the machine may be shared).
// --scaling times every case on 1 and on 2 threads in the same run, each without and with a run
// control that takes the progress reports, and prints the speed-up and the reporting's cost.
// --write stores the states after the isotropic deposition of the trench volume (one byte per
// cell, index order) for bench/edt_reference.py to compare with an exact distance transform.

#include "Core/Engines/DistanceCounting/filmdepositionengine.h"
#include "Core/Engines/DistanceCounting/filmetchingengine.h"
#include "Core/Engines/DistanceCounting/ionimplantation.h"
#include "Core/Engines/DistanceCounting/simpledoping.h"
#include "Core/Engines/DistanceCounting/simplesioxidation.h"
#include "Model/Volume/totalvolume.h"
#include "Util/runcontrol.h"
#include "benchargs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using Model::Automaton::TotalVolume;

namespace {

constexpr uint32_t Si = 1;
constexpr uint32_t Oxide = 3;
constexpr uint32_t NSi = 14;
constexpr uint32_t PSi = 15;

/// Lower half silicon, cut by eight trenches along y, each 16 cells wide and 64 deep.
std::vector<uint32_t> trenchStates(uint32_t n)
{
    std::vector<uint32_t> states(size_t(n) * n * n, 0);
    const uint32_t half = n / 2;
    const uint32_t period = n / 8;
    const uint32_t width = n / 16;
    const uint32_t depth = n / 4;
    for (uint32_t x = 0; x < n; ++x) {
        const uint32_t offset = x % period;
        const bool inTrench = offset >= (period - width) / 2 && offset < (period - width) / 2 + width;
        for (uint32_t y = 0; y < n; ++y)
            for (uint32_t z = 0; z < half; ++z)
                if (!(inTrench && z >= half - depth))
                    states[(size_t(x) * n + y) * n + z] = Si;
    }
    return states;
}

std::vector<uint32_t> flatStates(uint32_t n)
{
    std::vector<uint32_t> states(size_t(n) * n * n, 0);
    for (size_t column = 0; column < size_t(n) * n; ++column)
        for (uint32_t z = 0; z < n / 2; ++z)
            states[column * n + z] = Si;
    return states;
}

double cpuMilliseconds() { return cpuSeconds() * 1000.0; }

size_t changedCells(TotalVolume &volume, const std::vector<uint32_t> &before)
{
    Model::Automaton::CellLock lock(volume);
    size_t changed = 0;
    for (size_t i = 0; i < before.size(); ++i)
        changed += lock.cells().state(i) != before[i];
    return changed;
}

int repeats = 1;
/// The control the engines report to while a case is timed; null: none.
Util::RunControl *reporting = nullptr;

/// The fastest of `repeats` runs of the engine on fresh copies of the states, in milliseconds.
double fastestRun(uint32_t n, const std::vector<uint32_t> &states, const std::function<void(TotalVolume &)> &engine)
{
    double best = -1.0;
    for (int run = 0; run < repeats; ++run) {
        auto volume = std::make_shared<TotalVolume>(n, n, n, 1.0f, 1.0f, 1.0f, Util::Vector3D(), states);
        QElapsedTimer timer;
        timer.start();
        engine(*volume);
        const double ms = double(timer.nsecsElapsed()) / 1.0e6;
        if (best < 0.0 || ms < best)
            best = ms;
    }
    return best;
}

/// One row of the scaling table: 1 and 2 threads, without and with a run control. The four
/// variants take turns run after run, so that a busy spell of a shared machine slows them alike;
/// each figure is the fastest of its `repeats` runs.
void scalingRow(const char *shape, const char *parameters, uint32_t n, const std::vector<uint32_t> &states,
                const std::function<void(TotalVolume &)> &engine)
{
    double ms[2][2] = {{-1.0, -1.0}, {-1.0, -1.0}};
    const int rounds = repeats;
    repeats = 1;
    for (int round = 0; round < rounds; ++round) {
        for (int threads = 1; threads <= 2; ++threads) {
            QThreadPool::globalInstance()->setMaxThreadCount(threads);
            for (int controlled = 0; controlled < 2; ++controlled) {
                Util::RunControl control;
                reporting = controlled ? &control : nullptr;
                const double run = fastestRun(n, states, engine);
                double &best = ms[threads - 1][controlled];
                if (best < 0.0 || run < best)
                    best = run;
            }
        }
    }
    repeats = rounds;
    reporting = nullptr;
    std::printf("%ux%ux%u %-8s %-34s 1T %7.1f ms  2T %7.1f ms  x%.2f   reported: 1T %7.1f ms (%+.1f%%)  2T %7.1f ms "
                "(%+.1f%%)\n",
                n, n, n, shape, parameters, ms[0][0], ms[1][0], ms[0][0] / ms[1][0], ms[0][1],
                100.0 * (ms[0][1] / ms[0][0] - 1.0), ms[1][1], 100.0 * (ms[1][1] / ms[1][0] - 1.0));
    std::fflush(stdout);
}

qint64 runCase(const char *shape, const char *parameters, uint32_t n, const std::vector<uint32_t> &states,
               const std::function<void(TotalVolume &)> &engine, const QString &writeTo = QString())
{
    std::shared_ptr<TotalVolume> volume;
    qint64 ms = -1;
    double cpu = 0.0;
    for (int run = 0; run < repeats; ++run) {
        volume.reset();
        volume = std::make_shared<TotalVolume>(n, n, n, 1.0f, 1.0f, 1.0f, Util::Vector3D(), states);
        QElapsedTimer timer;
        const double cpuStart = cpuMilliseconds();
        timer.start();
        engine(*volume);
        const qint64 elapsed = timer.elapsed();
        if (ms < 0 || elapsed < ms) {
            ms = elapsed;
            cpu = cpuMilliseconds() - cpuStart;
        }
    }
    // The CPU time (all threads) shows what the run costs when the machine is shared.
    std::printf("%ux%ux%u %-8s %-34s threads %d  %6lld ms  (cpu %6.0f ms)  %10zu cells changed\n", n, n, n, shape,
                parameters, QThreadPool::globalInstance()->maxThreadCount(), static_cast<long long>(ms), cpu,
                changedCells(*volume, states));
    std::fflush(stdout);
    if (!writeTo.isEmpty()) {
        QFile file(writeTo);
        if (!file.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(writeTo));
            return ms;
        }
        Model::Automaton::CellLock lock(*volume);
        std::vector<char> bytes(volume->cellCount());
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(lock.cells().state(i));
        file.write(bytes.data(), qint64(bytes.size()));
    }
    return ms;
}

void printRatio(const char *what, qint64 ms, qint64 reference)
{
    std::printf("  %-44s %.2f x the deposition (target: at most 1.30)\n", what,
                reference > 0 ? double(ms) / double(reference) : 0.0);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The dopable and oxidizable materials come from the process catalogue, which is written
    // where it is read: keep it away from the user's own.
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    const QStringList args = app.arguments();
    uint32_t n = 256;
    QString writeTo;
    const bool scaling = args.contains(QStringLiteral("--scaling"));
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--threads"))
            QThreadPool::globalInstance()->setMaxThreadCount(args[i + 1].toInt());
        else if (args[i] == QLatin1String("--size"))
            n = args[i + 1].toUInt();
        else if (args[i] == QLatin1String("--repeat"))
            repeats = std::max(1, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--write"))
            writeTo = args[i + 1];
    }
    if (n < 16) {
        std::fprintf(stderr, "size must be at least 16\n");
        return 1;
    }

    const auto trenches = trenchStates(n);
    const auto flat = flatStates(n);
    using namespace Core::Operations;
    // Each engine reports to `reporting` (none outside --scaling).
    auto controlled = [](auto engine) {
        engine.setRunControl(reporting);
        engine.run();
    };
    struct Case {
        const char *shape;
        const char *parameters;
        const std::vector<uint32_t> *states;
        std::function<void(TotalVolume &)> engine;
    };
    const std::vector<Case> cases = {
        {"trenches", "isotropic deposition t=16", &trenches,
         [&](TotalVolume &v) { controlled(FilmDepositionEngine(v, Oxide, 16.0f)); }},
        {"flat", "isotropic deposition t=40", &flat,
         [&](TotalVolume &v) { controlled(FilmDepositionEngine(v, Oxide, 40.0f)); }},
        {"trenches", "isotropic etching t=16", &trenches,
         [&](TotalVolume &v) { controlled(FilmEtchingEngine(v, Si, 16.0f)); }},
        {"trenches", "anisotropic deposition t=16 r=0.5", &trenches,
         [&](TotalVolume &v) { controlled(FilmDepositionEngine(v, Oxide, 16.0f, 0.5f)); }},
        {"trenches", "doping depth=16", &trenches, [&](TotalVolume &v) { controlled(SimpleDoping(v, NSi, 16.0f)); }},
        {"trenches", "isotropic deposition t=6", &trenches,
         [&](TotalVolume &v) { controlled(FilmDepositionEngine(v, Oxide, 6.0f)); }},
        {"trenches", "implantation D=20 S=4 a=6", &trenches,
         [&](TotalVolume &v) { controlled(IonImplantation(v, PSi, 20.0f, 4.0f, 6.0f)); }},
        {"trenches", "isotropic deposition t=10", &trenches,
         [&](TotalVolume &v) { controlled(FilmDepositionEngine(v, Oxide, 10.0f)); }},
        {"trenches", "oxidation 0.1 um at 100/um (T=10)", &trenches,
         [](TotalVolume &v) {
             SimpleSiOxidation engine(v, 100.0);
             engine.setRunControl(reporting);
             engine.runWithThickness(0.1);
         }},
    };
    if (scaling) {
        std::printf("pool threads available: %d; each figure the fastest of %d runs\n", QThread::idealThreadCount(),
                    repeats);
        for (const Case &c : cases)
            scalingRow(c.shape, c.parameters, n, *c.states, c.engine);
        return 0;
    }
    std::vector<qint64> ms;
    for (size_t i = 0; i < cases.size(); ++i)
        ms.push_back(runCase(cases[i].shape, cases[i].parameters, n, *cases[i].states, cases[i].engine,
                             i == 0 ? writeTo : QString()));
    printRatio("doping depth 16 / deposition t=16:", ms[4], ms[0]);
    printRatio("implantation a=6 / deposition t=6:", ms[6], ms[5]);
    printRatio("oxidation T=10 / deposition t=10:", ms[8], ms[7]);
    return 0;
}
