// Times gluing two 256 x 256 x 128 volumes and extracting a film that spans a 256^3 volume, and
// prints one line per case: sizes, threads, wall and CPU milliseconds, cells and memory.
//
//   bench_glueextract [--threads N] [--repeat N]
//
// --repeat runs each case N times and prints the fastest run (the machine may be shared).
// The glue figure covers the scan for the occupied layers, the new volume and the copy; the
// extraction figure covers the seed scan, the new volume, the flood fill and the lowering.
// Neither includes the surface of the new volume, which every operation shares.

#include "Core/Engines/Volume/filmextractionengine.h"
#include "Core/Engines/Volume/gluelayout.h"
#include "Core/Engines/Volume/gluesubstrate.h"
#include "Model/Volume/totalvolume.h"
#include "benchargs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <QThreadPool>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;

namespace {

constexpr uint32_t Si = 1;
constexpr uint32_t Oxide = 3;
constexpr uint32_t Nitride = 4;
constexpr uint32_t N = 256;

int repeats = 1;

double cpuMilliseconds() { return cpuSeconds() * 1000.0; }

/// Runs `work` `repeats` times and prints the fastest run.
void timeCase(const char *label, const std::function<QString()> &work)
{
    qint64 best = -1;
    double cpu = 0.0;
    QString detail;
    for (int run = 0; run < repeats; ++run) {
        QElapsedTimer timer;
        const double cpuStart = cpuMilliseconds();
        timer.start();
        const QString d = work();
        const qint64 elapsed = timer.elapsed();
        if (best < 0 || elapsed < best) {
            best = elapsed;
            cpu = cpuMilliseconds() - cpuStart;
            detail = d;
        }
    }
    std::printf("%-44s threads %d  %6lld ms  (cpu %6.0f ms)  %s\n", label,
                QThreadPool::globalInstance()->maxThreadCount(), static_cast<long long>(best), cpu, qPrintable(detail));
    std::fflush(stdout);
}

/// Silicon below half height, oxide above: every cell occupied, the heaviest glue.
TotalVolumePtr wafer(uint32_t material)
{
    std::vector<uint32_t> states(size_t(N) * N * (N / 2));
    for (size_t column = 0; column < size_t(N) * N; ++column)
        for (uint32_t z = 0; z < N / 2; ++z)
            states[column * (N / 2) + z] = z < N / 4 ? Si : material;
    return std::make_shared<TotalVolume>(N, N, N / 2, 1.0f, 1.0f, 1.0f, Util::Vector3D(), states);
}

/// Silicon with trenches along y under a film about four cells thick that follows the surface,
/// walls included, and spans the whole footprint.
TotalVolumePtr filmOnTrenches()
{
    std::vector<uint32_t> height(N);
    const uint32_t period = N / 8;
    for (uint32_t x = 0; x < N; ++x) {
        const uint32_t offset = x % period;
        const bool inTrench = offset >= period / 4 && offset < 3 * period / 4;
        height[x] = inTrench ? N / 4 : N / 2;
    }
    std::vector<uint32_t> states(size_t(N) * N * N, 0);
    for (uint32_t x = 0; x < N; ++x) {
        uint32_t reach = 0;
        for (uint32_t d = x >= 4 ? x - 4 : 0; d <= std::min(N - 1, x + 4); ++d)
            reach = std::max(reach, height[d]);
        for (uint32_t y = 0; y < N; ++y) {
            const size_t column = (size_t(x) * N + y) * N;
            for (uint32_t z = 0; z < N; ++z) {
                if (z < height[x])
                    states[column + z] = Si;
                else if (z < reach + 4)
                    states[column + z] = Nitride;
            }
        }
    }
    return std::make_shared<TotalVolume>(N, N, N, 1.0f, 1.0f, 1.0f, Util::Vector3D(), states);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--threads"))
            QThreadPool::globalInstance()->setMaxThreadCount(args[i + 1].toInt());
        else if (args[i] == QLatin1String("--repeat"))
            repeats = std::max(1, args[i + 1].toInt());
    }
    using namespace Core::Operations;

    // The floor under both figures: a new volume's cells are written once when it is made.
    timeCase("reference: new empty 256x256x257 volume", [] {
        auto volume = std::make_shared<TotalVolume>(N, N, N + 1, 1.0f, 1.0f, 1.0f, Util::Vector3D(), 0u);
        return QStringLiteral("%1 MiB of cells")
            .arg(volume->cellCount() * Model::Automaton::TotalVolume::bytesPerCell >> 20);
    });
    {
        auto base = wafer(Oxide);
        auto top = wafer(Nitride);
        for (bool invert : {false, true}) {
            timeCase(invert ? "glue 256x256x128 on 256x256x128, inverted" : "glue 256x256x128 on 256x256x128", [&] {
                GlueLayout layout = GlueLayout::prepare(*base, *top);
                layout.invert = invert;
                GlueSubstrate engine(*base, *top, layout);
                TotalVolumePtr result = engine.run();
                return QStringLiteral("result %1x%2x%3, %4 tasks, %5 MiB of cells")
                    .arg(result->sizeX())
                    .arg(result->sizeY())
                    .arg(result->sizeZ())
                    .arg(engine.workerCount())
                    .arg(result->cellCount() * Model::Automaton::TotalVolume::bytesPerCell >> 20);
            });
        }
    }

    auto extractCase = [](const char *label, const TotalVolumePtr &source, uint32_t material, bool invert) {
        timeCase(label, [&] {
            FilmExtractionEngine engine(*source, material, invert);
            TotalVolumePtr film = engine.run();
            // Beyond the new volume: one bit per cell and the queue's cell indices.
            const double extraMiB =
                (double(source->cellCount()) / 8.0 + double(engine.largestQueue()) * sizeof(size_t)) / (1 << 20);
            return QStringLiteral("%1 film cells, largest queue %2, extra memory %3 MiB")
                .arg(engine.filmCellCount())
                .arg(engine.largestQueue())
                .arg(extraMiB, 0, 'f', 1);
        });
    };
    {
        auto film = filmOnTrenches();
        extractCase("extract conformal film on trenches 256^3", film, Nitride, false);
        extractCase("extract conformal film on trenches, inverted", film, Nitride, true);
    }
    {
        // The worst case: every cell belongs to the body.
        auto solid = std::make_shared<TotalVolume>(N, N, N, 1.0f, 1.0f, 1.0f, Util::Vector3D(), Si);
        extractCase("extract a body filling all of 256^3", solid, Si, false);
    }
    return 0;
}
