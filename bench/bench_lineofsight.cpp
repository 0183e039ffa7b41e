// Times a line-of-sight deposition over trenches and prints rays traced per second and the total.
//
//   bench_lineofsight [--threads N] [--size N] [--rays N] [--thickness CELLS] [--sticking S]
//
// The volume is N x N x N cells (default 256) of silicon up to 3/4 of its height, cut by long
// trenches along y, N/8 wide and N/2 deep (aspect ratio 4), one every N/4 cells. The film is 10
// cells on the field with sticking 0.1 and a cosine source; --rays sets the source rays per column
// and cell (default the engine's). Two threads unless --threads says otherwise.

#include "Core/Engines/LineOfSight/lineofsighttransport.h"
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

using Core::Operations::LineOfSightTransport;
using Model::Automaton::TotalVolume;

namespace {

std::shared_ptr<TotalVolume> trenches(uint32_t n)
{
    const uint32_t top = n * 3 / 4;
    const uint32_t bottom = top - n / 2;
    const uint32_t pitch = std::max(1u, n / 4);
    const uint32_t width = std::max(1u, n / 8);
    std::vector<uint32_t> states(size_t(n) * n * n, 0);
    for (uint32_t x = 0; x < n; ++x) {
        const bool trench = x % pitch >= (pitch - width) / 2 && x % pitch < (pitch - width) / 2 + width;
        for (uint32_t y = 0; y < n; ++y)
            std::fill_n(states.begin() + (size_t(x) * n + y) * n, trench ? bottom : top, 1u);
    }
    return std::make_shared<TotalVolume>(n, n, n, 1.0f, 1.0f, 1.0f, Util::Vector3D(), states);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const BenchArgs args(app.arguments());
    const int threads = std::max(1, args.integer("threads", 2));
    const uint32_t size = std::max(8u, args.count("size", 256));
    const uint32_t rays = args.count("rays", 0);
    const double thickness = args.number("thickness", 10.0);
    const double sticking = args.number("sticking", 0.1);
    QThreadPool::globalInstance()->setMaxThreadCount(threads);
    auto volume = trenches(size);
    LineOfSightTransport engine(*volume, {LineOfSightTransport::Mode::Deposition, 2, thickness, sticking, 1.0});
    engine.setSeed(1);
    if (rays > 0)
        engine.setRaysPerCell(rays);
    QElapsedTimer timer;
    timer.start();
    const double cpu = cpuSeconds();
    engine.run();
    const double seconds = double(timer.nsecsElapsed()) / 1.0e9;
    std::printf("line-of-sight deposition %u^3 trenches A = 4, %.1f cells, s = %.3g, threads %d: %llu rays in %.2f s, "
                "%.2f million rays/s (CPU %.2f s)\n",
                size, thickness, sticking, threads, static_cast<unsigned long long>(engine.raysTraced()), seconds,
                double(engine.raysTraced()) / seconds / 1.0e6, cpuSeconds() - cpu);
    return 0;
}
