// Times random-walk doping and the CSV export of its counts, and prints one line per case.
//
//   bench_randomwalk [--threads N] [--steps N] [--repeat N]
//
// The block is 256 x 256 x 128 cells of silicon under one layer of empty space; the surface is
// held at N0 = 1000 particles, q = 1/8. "fresh" starts from empty counters (the usual first run:
// most cells hold few particles and take the single-draw path); "loaded" starts with 1000
// particles in every silicon cell, so that every cell takes the five binomial splits. The figure
// is nanoseconds per silicon cell and step. For scale, "stencil" is a plain 7-point sweep over the
// same cells (one float each), about the bandwidth floor of any per-cell step.
// Without --threads the cases run with 1 and with 2 threads. --repeat prints the fastest run. Each
// line also gives the process's CPU time per cell-step: on a loaded machine the wall time grows, the
// CPU time much less.

#include "Core/Engines/RandomWalk/randomwalkdoping.h"
#include "Core/Formats/csvdataexporter.h"
#include "Model/Volume/particlecounts.h"
#include "Model/Volume/totalvolume.h"
#include "Util/paralleltasks.h"
#include "benchargs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QVariant>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using Model::Automaton::ParticleCounts;
using Model::Automaton::TotalVolume;

namespace {

constexpr uint32_t nx = 256;
constexpr uint32_t ny = 256;
constexpr uint32_t depth = 128;
constexpr uint32_t nz = depth + 1;
constexpr double n0 = 1000.0;
constexpr double q = 0.125;

std::shared_ptr<TotalVolume> block()
{
    std::vector<uint32_t> states(size_t(nx) * ny * nz, 0);
    for (size_t column = 0; column < size_t(nx) * ny; ++column)
        std::fill(states.begin() + column * nz, states.begin() + column * nz + depth, 1u);
    return std::make_shared<TotalVolume>(nx, ny, nz, 1.0f, 1.0f, 1.0f, Util::Vector3D(), states);
}

double cpuMilliseconds() { return cpuSeconds() * 1000.0; }

double lastCpuMs = 0.0; // CPU time of the run `fastest` chose

// Milliseconds of the fastest of `repeats` runs of `work`, each after `prepare`.
double fastest(int repeats, const std::function<void()> &prepare, const std::function<void()> &work)
{
    double best = -1.0;
    for (int r = 0; r < repeats; ++r) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        const double cpu = cpuMilliseconds();
        work();
        const double ms = double(timer.nsecsElapsed()) / 1.0e6;
        if (best < 0.0 || ms < best) {
            best = ms;
            lastCpuMs = cpuMilliseconds() - cpu;
        }
    }
    return best;
}

void walk(int threads, int steps, int repeats, bool loaded)
{
    std::shared_ptr<TotalVolume> volume;
    auto prepare = [&] {
        volume = block();
        if (loaded) {
            auto counts = std::make_shared<ParticleCounts>(volume->cellCount());
            for (uint32_t x = 0; x < nx; ++x)
                for (uint32_t y = 0; y < ny; ++y)
                    for (uint32_t z = 0; z < depth; ++z)
                        counts->cell(volume->index(x, y, z))[6] = uint32_t(n0);
            ParticleCounts::attach(*volume, ParticleCounts::pTypeName(), counts);
        }
    };
    const double ms = fastest(repeats, prepare, [&] {
        // Cells of 1 m: concentrations are counts per cell, q = D dt. The threshold is never met.
        Core::Operations::RandomWalkDoping engine(*volume, 15, q, 1.0, 1.0, n0, 1.0e9);
        engine.setSeed(12345);
        engine.dope(double(steps));
    });
    const double cellSteps = double(nx) * ny * depth * steps;
    std::printf("random walk %-6s %ux%ux%u silicon, %d steps, N0 %.0f, threads %d: %.0f ms, %.2f ns per cell-step "
                "(CPU %.2f ns)\n",
                loaded ? "loaded" : "fresh", nx, ny, depth, steps, n0, threads, ms, ms * 1.0e6 / cellSteps,
                lastCpuMs * 1.0e6 / cellSteps);
    std::fflush(stdout);
}

void stencil(int threads, int steps, int repeats)
{
    std::vector<float> a(size_t(nx) * ny * nz, 1.0f);
    std::vector<float> b(a.size(), 0.0f);
    const double ms = fastest(
        repeats, [] {},
        [&] {
            for (int s = 0; s < steps; ++s) {
                const float *in = a.data();
                float *out = b.data();
                Util::runParallelRange(nx, 1, [&](size_t begin, size_t end) {
                    for (size_t x = begin; x < end; ++x) {
                        const size_t xm = x > 0 ? x - 1 : nx - 1;
                        const size_t xp = x + 1 < nx ? x + 1 : 0;
                        for (size_t y = 0; y < ny; ++y) {
                            const size_t ym = y > 0 ? y - 1 : ny - 1;
                            const size_t yp = y + 1 < ny ? y + 1 : 0;
                            const float *c = in + (x * ny + y) * nz;
                            const float *l = in + (xm * ny + y) * nz;
                            const float *r = in + (xp * ny + y) * nz;
                            const float *f = in + (x * ny + ym) * nz;
                            const float *k = in + (x * ny + yp) * nz;
                            float *o = out + (x * ny + y) * nz;
                            for (size_t z = 1; z < depth; ++z)
                                o[z] = 0.25f * c[z] + 0.125f * (l[z] + r[z] + f[z] + k[z] + c[z - 1] + c[z + 1]);
                        }
                    }
                });
                std::swap(a, b);
            }
        });
    const double cellSteps = double(nx) * ny * depth * steps;
    std::printf(
        "stencil            %ux%ux%u floats, %d steps, threads %d: %.0f ms, %.2f ns per cell-step (CPU %.2f ns)\n", nx,
        ny, depth, steps, threads, ms, ms * 1.0e6 / cellSteps, lastCpuMs * 1.0e6 / cellSteps);
    std::fflush(stdout);
}

void exportCsv(int threads, int repeats)
{
    auto volume = block();
    auto counts = std::make_shared<ParticleCounts>(volume->cellCount());
    for (size_t i = 0; i < counts->cellCount(); ++i)
        counts->cell(i)[6] = uint32_t((i * 2654435761u) % 100000u);
    ParticleCounts::attach(*volume, ParticleCounts::pTypeName(), counts);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("counts.csv"));
    const QVariant data = volume->field(ParticleCounts::pTypeName());
    int result = 0;
    const double ms = fastest(
        repeats, [] {},
        [&] {
            Core::Operations::CSVDataExporter exporter(file);
            result = exporter.saveDataToFile(ParticleCounts::pTypeName(), data, nx, ny, nz);
        });
    std::printf("csv export         %ux%ux%u field, threads %d: %.0f ms (CPU %.0f ms), %lld bytes%s\n", nx, ny, nz,
                threads, ms, lastCpuMs, static_cast<long long>(QFile(file).size()), result == 0 ? "" : " (FAILED)");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The walk's debug lines would drown the figures.
    qSetMessagePattern(QString());
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type != QtDebugMsg)
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    const BenchArgs args(app.arguments());
    const QList<int> threadCounts = args.has("threads") ? QList<int>{args.integer("threads", 1)} : QList<int>{1, 2};
    const int steps = std::max(1, args.integer("steps", 100));
    const int repeats = std::max(1, args.integer("repeat", 1));
    for (int threads : threadCounts) {
        QThreadPool::globalInstance()->setMaxThreadCount(std::max(1, threads));
        stencil(threads, steps, repeats);
        walk(threads, steps, repeats, false);
        walk(threads, steps, repeats, true);
        exportCsv(threads, repeats);
    }
    return 0;
}
