// Times the atomistic silicon wet etches on a 256 x 256 x 128 silicon block under a one-cell mask
// layer with a 160 x 160 opening: the lattice build, the bond-counting etch of depth 20, the
// continuous etch of depth 20 and the continuous etch calibrated to a KOH bath for the time in
// which (100) recedes by 20 cells, each with 1 and 2 threads. Prints one line per run (threads,
// milliseconds, atoms removed, a hash of the cells), the lattice's bytes per atom, whether the
// results agree for every thread count, and the peak resident memory.
//
//   bench_wetetch [--size N] [--height N] [--opening N] [--depth D] [--threads 1,2]

#include "Core/Engines/Lattice/bondcountingwetetchengine.h"
#include "Core/Engines/Lattice/continuouswetetchengine.h"
#include "Core/Engines/Lattice/etchanttables.h"
#include "Model/Volume/silattice.h"
#include "Model/Volume/totalvolume.h"
#include "benchargs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <QThread>
#include <QThreadPool>

#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include <sys/resource.h>

using Model::Automaton::TotalVolume;

namespace {

constexpr uint32_t Si = 1;
constexpr uint32_t Mask = 3;

struct Scene {
    uint32_t n = 256;
    uint32_t height = 128;
    uint32_t opening = 160;

    std::shared_ptr<TotalVolume> volume() const
    {
        const uint32_t nz = height + 2;
        const uint32_t low = (n - opening) / 2;
        std::vector<uint32_t> states(size_t(n) * n * nz, 0);
        for (uint32_t x = 0; x < n; ++x)
            for (uint32_t y = 0; y < n; ++y) {
                const bool open = x >= low && x < low + opening && y >= low && y < low + opening;
                const size_t column = (size_t(x) * n + y) * nz;
                for (uint32_t z = 0; z < height; ++z)
                    states[column + z] = Si;
                states[column + height] = open ? 0 : Mask;
            }
        return std::make_shared<TotalVolume>(n, n, nz, 1.0f, 1.0f, 1.0f, Util::Vector3D(), states);
    }
};

uint64_t hashCells(TotalVolume &volume)
{
    const auto lattice = volume.siLattice();
    Model::Automaton::CellLock lock(volume);
    uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < volume.cellCount(); ++i) {
        h = (h ^ lock.cells().state(i)) * 1099511628211ull;
        h = (h ^ (lattice ? lattice->atomCount(i) : 0u)) * 1099511628211ull;
    }
    return h;
}

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Scene scene;
    double depth = 20.0;
    QList<int> threadCounts{1, 2};
    const BenchArgs args(app.arguments());
    scene.n = args.count("size", scene.n);
    scene.height = args.count("height", scene.height);
    scene.opening = args.count("opening", scene.opening);
    depth = args.number("depth", depth);
    if (args.has("threads")) {
        threadCounts.clear();
        for (const QString &t : args.text("threads").split(QLatin1Char(',')))
            threadCounts << t.toInt();
    }
    std::printf("silicon %u x %u x %u under a mask with a %u x %u opening, depth %g, %d cores\n", scene.n, scene.n,
                scene.height, scene.opening, scene.opening, depth, QThread::idealThreadCount());

    std::map<QString, uint64_t> hashes;
    bool agree = true;
    for (int threads : threadCounts) {
        QThreadPool::globalInstance()->setMaxThreadCount(threads);
        for (const QString &model : {QStringLiteral("BCA"), QStringLiteral("CCA"), QStringLiteral("KOH")}) {
            auto volume = scene.volume();
            QElapsedTimer timer;
            timer.start();
            auto lattice = volume->createSiLattice();
            const qint64 build = timer.elapsed();
            const double bytesPerAtom = double(lattice->storedBytes()) / double(lattice->presentAtomCount());
            std::printf("build       threads %d  %6lld ms  %zu atoms  %.2f bytes per atom\n", threads,
                        static_cast<long long>(build), lattice->presentAtomCount(), bytesPerAtom);
            lattice.reset();
            timer.restart();
            uint64_t removed = 0;
            if (model == QLatin1String("BCA")) {
                Core::Operations::BondCountingWetEtchEngine engine(*volume, depth);
                engine.run();
                removed = engine.removedAtoms();
            } else if (model == QLatin1String("CCA")) {
                Core::Operations::ContinuousWetEtchEngine engine(*volume, depth);
                engine.run();
                removed = engine.removedAtoms();
            } else {
                using Core::Operations::ContinuousWetEtchEngine;
                ContinuousWetEtchEngine engine(
                    *volume, ContinuousWetEtchEngine::steps(depth) * Core::Operations::EtchantTables::stepsPer100Layer,
                    ContinuousWetEtchEngine::Calibrated{});
                engine.run();
                removed = engine.removedAtoms();
            }
            const qint64 etch = timer.elapsed();
            const uint64_t hash = hashCells(*volume);
            std::printf("%s etch    threads %d  %6lld ms  %llu atoms removed  cells %016llx\n", qPrintable(model),
                        threads, static_cast<long long>(etch), static_cast<unsigned long long>(removed),
                        static_cast<unsigned long long>(hash));
            if (hashes.count(model) && hashes[model] != hash)
                agree = false;
            hashes[model] = hash;
        }
    }
    std::printf("results identical for every thread count: %s\n", agree ? "yes" : "NO");
    std::printf("peak resident memory: %.0f MB\n", peakMegabytes());
    return agree ? 0 : 1;
}
