// Exports a 256 x 256 x 256 cell volume as VTK image data (.vti) and prints the time, the file size
// and the thread count; then the same volume with a random-walk particle-count field (7 counters
// per cell), and the rasterization of the example layout onto a 2048 x 2048 column mask.
//     bench_export [N]   (N cells along each axis, 256 by default)
#include "Core/Formats/cellvolumevtiwriter.h"
#include "Core/Formats/layoutmask.h"
#include "Util/paralleltasks.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QVector>

#include <cstdio>

#include <sys/resource.h>

using Model::Automaton::TotalVolume;

namespace {

// A processed wafer: silicon below half height cut by eight trenches, an oxide film of 4 cells over
// it, resist on top, empty above; the kind of structure a process list leaves.
void fillWafer(TotalVolume &volume)
{
    const uint32_t n = volume.sizeX(), half = volume.sizeZ() / 2, period = n / 8, width = n / 16;
    Model::Automaton::CellLock lock(volume);
    for (uint32_t x = 0; x < n; ++x)
        for (uint32_t y = 0; y < volume.sizeY(); ++y)
            for (uint32_t z = 0; z < volume.sizeZ(); ++z) {
                const bool trench = x % period < width && z >= half - n / 4;
                uint32_t state = 0;
                if (z < half && !trench)
                    state = 1;
                else if (z < half + 4)
                    state = 3;
                else if (z < half + 12)
                    state = 11;
                lock.cells().setState(volume.index(x, y, z), state);
            }
}

// Processor time of the whole process (all threads), in seconds: on a machine shared with other work
// it tells what the export costs when the wall-clock time is stretched by waiting for a core.
double processorSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

void exportOnce(TotalVolume &volume, const QString &file, const char *what)
{
    QElapsedTimer timer;
    timer.start();
    const double processorBefore = processorSeconds();
    QString error;
    const bool ok = Core::Operations::CellVolumeVtiWriter(volume).write(file, &error);
    const double seconds = timer.nsecsElapsed() * 1e-9;
    const double processor = processorSeconds() - processorBefore;
    const double raw = double(volume.cellCount()) * 4.0 / (1 << 20);
    std::printf("%-34s %s  %6.3f s wall, %6.3f s processor  file %8.2f MiB  (materials %.0f MiB unpacked)\n", what,
                ok ? "ok    " : "FAILED", seconds, processor, QFileInfo(file).size() / double(1 << 20), raw);
    if (!ok)
        std::printf("  %s\n", qPrintable(error));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const uint32_t n = argc > 1 ? uint32_t(QString::fromLocal8Bit(argv[1]).toUInt()) : 256u;
    std::printf("bench_export: %u^3 cells, %u pool threads\n", n, Util::poolThreadCount());
    QTemporaryDir dir;
    TotalVolume volume(n, n, n, 1.0f, 1.0f, 1.0f, Util::Vector3D(0, 0, 0), 0u);
    fillWafer(volume);
    exportOnce(volume, dir.filePath(QStringLiteral("wafer.vti")), "wafer, material only");

    // Particle counts that vary from cell to cell compress far less than materials do.
    QVector<quint32> counters(int(volume.cellCount() * 7));
    for (int i = 0; i < counters.size(); ++i)
        counters[i] = quint32((uint64_t(i) * 2654435761u) >> 20) % 1000;
    volume.setField(QStringLiteral("Random Walk Particle Count Type N"), QVariant::fromValue(counters));
    exportOnce(volume, dir.filePath(QStringLiteral("doped.vti")), "wafer with a particle-count field");

    Core::Operations::GdsLayout layout;
    if (layout.load(QStringLiteral(EXAMPLES_DIR "/layouts/cantilever_comb.gds"))) {
        for (uint32_t side : {100u, 2048u}) {
            QElapsedTimer timer;
            timer.start();
            const auto placement = Core::Operations::fittedPlacement(layout, {1, 0}, side, side);
            Core::Operations::MaskBits mask;
            const bool ok = Core::Operations::layoutMask(layout, placement, side, side, mask);
            std::printf("layout layer 1 onto %4u x %-4u     %s  %6.3f s\n", side, side, ok ? "ok    " : "FAILED",
                        timer.nsecsElapsed() * 1e-9);
        }
    }
    return 0;
}
