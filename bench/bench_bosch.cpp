// Times a Bosch etch of a wafer through a slot in an oxide mask and prints the time and the depth.
//
//   bench_bosch [--threads N] [--size N] [--cycles C] [--etch CELLS] [--rays N]
//
// The volume is N x N x N cells (default 256): silicon up to 3/4 of its height under two layers of
// oxide with a slot of 5/8 N x 5/64 N cells (160 x 20 at 256) in the middle. 20 cycles of a one-cell
// passivation, the ion step and 4 cells of etching at p = 0.1, the film stripped at the end; --rays sets
// the source rays per column and cell (default the engine's). Two threads unless --threads says otherwise.

#include "Core/Engines/LineOfSight/boschetching.h"
#include "Model/Volume/totalvolume.h"
#include "benchargs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <QThreadPool>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using Core::Operations::BoschEtching;
using Model::Automaton::TotalVolume;

namespace {

constexpr uint32_t silicon = 1;
constexpr uint32_t oxide = 3;
constexpr uint32_t polymer = 18;

std::shared_ptr<TotalVolume> slottedWafer(uint32_t n, uint32_t slotX, uint32_t slotY)
{
    const uint32_t top = n * 3 / 4;
    const uint32_t x0 = (n - slotX) / 2;
    const uint32_t y0 = (n - slotY) / 2;
    std::vector<uint32_t> states(size_t(n) * n * n, 0);
    for (uint32_t x = 0; x < n; ++x)
        for (uint32_t y = 0; y < n; ++y) {
            const size_t column = (size_t(x) * n + y) * n;
            std::fill_n(states.begin() + column, top, silicon);
            const bool open = x >= x0 && x < x0 + slotX && y >= y0 && y < y0 + slotY;
            if (!open)
                std::fill_n(states.begin() + column + top, 2, oxide);
        }
    return std::make_shared<TotalVolume>(n, n, n, 1.0f, 1.0f, 1.0f, Util::Vector3D(), states);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const BenchArgs args(app.arguments());
    const int threads = std::max(1, args.integer("threads", 2));
    const uint32_t size = std::max(32u, args.count("size", 256));
    const uint32_t cycles = std::max(1u, args.count("cycles", 20));
    const double etch = args.number("etch", 4.0);
    const uint32_t rays = args.count("rays", 0);
    QThreadPool::globalInstance()->setMaxThreadCount(threads);
    const uint32_t slotX = size * 5 / 8;
    const uint32_t slotY = size * 5 / 64;
    auto volume = slottedWafer(size, slotX, slotY);
    BoschEtching::Settings settings;
    settings.material = silicon;
    settings.cycles = cycles;
    settings.etchPerCycle = etch;
    settings.passivationThickness = 1.0;
    settings.reactionProbability = 0.1;
    settings.passivationMaterial = polymer;
    BoschEtching engine(*volume, settings);
    engine.setSeed(1);
    if (rays > 0)
        engine.setRaysPerCell(rays);
    QElapsedTimer timer;
    timer.start();
    const double cpu = cpuSeconds();
    engine.run();
    const double seconds = double(timer.nsecsElapsed()) / 1.0e9;
    // The depth at the slot's centre.
    uint32_t depth = 0;
    {
        Model::Automaton::CellLock lock(*volume);
        const uint32_t top = size * 3 / 4;
        while (depth < top && lock.cells().state(volume->index(size / 2, size / 2, top - 1 - depth)) == 0)
            ++depth;
    }
    std::printf("Bosch etching %u^3 through a %u x %u slot, %u cycles of %.1f cells, threads %d: %.2f s (CPU %.2f s), "
                "%u cells deep at the centre\n",
                size, slotX, slotY, cycles, etch, threads, seconds, cpuSeconds() - cpu, depth);
    return 0;
}
