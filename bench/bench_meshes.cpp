// Times the three surfaces of two 256^3 volumes and prints one line per figure:
//   trenches: bench_engines' volume, lower half silicon cut by eight trenches 16 wide, 64 deep;
//   layers:   16 flat layers of 16 cells, one material each, filling the volume.
// Marching cubes (normal smoothing included), the octree (tree and faces) and the direct cubic
// faces, best of --repeat runs, with their triangle and face counts. Then VTK's discrete flying
// edges times the same volumes (bench/mc_reference.py, Debian's python3-vtk9, in this same run)
// and the ratio is printed. Targets: marching cubes at most 2 x VTK; the octree of the layers
// under 500 ms with at most 5 % of the cubic faces.
//
//   bench_meshes [--size N] [--repeat N] [--no-reference] [--marching-cubes-only]

#include "Model/Surfaces/volumesurface.h"
#include "Model/Volume/totalvolume.h"
#include "surfacescene.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QThreadPool>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <vector>

using Model::Automaton::TotalVolume;

namespace {

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
                    states[(size_t(x) * n + y) * n + z] = 1;
    }
    return states;
}

// The built-in catalogue's sixteen materials, one per layer.
std::vector<uint32_t> layerStates(uint32_t n)
{
    const uint32_t materials[16] = {1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
    std::vector<uint32_t> states(size_t(n) * n * n, 0);
    const uint32_t thickness = std::max(1u, n / 16);
    for (size_t column = 0; column < size_t(n) * n; ++column)
        for (uint32_t z = 0; z < n; ++z)
            states[column * n + z] = materials[std::min(15u, z / thickness)];
    return states;
}

double bestOf(int repeat, const std::function<void()> &run)
{
    double best = 1e30;
    for (int i = 0; i < repeat; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

struct Figures {
    double marchingMs = 0;
    size_t triangles = 0;
    double octreeMs = 0;
    size_t octreeFaces = 0;
    double cubicMs = 0;
    size_t cubicFaces = 0;
};

Figures measure(const char *name, uint32_t n, const std::vector<uint32_t> &states, int repeat, bool onlyMarching)
{
    TotalVolume volume(n, n, n, 1, 1, 1, Util::Vector3D(), states);
    Model::Surfaces::VolumeSurface painter(volume);
    auto &view = volume.view();
    Figures f;
    if (onlyMarching) {
        view.setSurfaceAlgorithm(Model::Automaton::SurfaceAlgorithm::MarchingCubes);
        f.marchingMs = bestOf(repeat, [&] { painter.regenerate(); });
        f.triangles = painter.marchingCubeSurface().triangleCount();
        std::printf("%-8s %u^3  marching cubes %8.1f ms  %9zu triangles\n", name, n, f.marchingMs, f.triangles);
        return f;
    }
    view.setSurfaceAlgorithm(Model::Automaton::SurfaceAlgorithm::MarchingCubes);
    f.marchingMs = bestOf(repeat, [&] { painter.regenerate(); });
    f.triangles = painter.marchingCubeSurface().triangleCount();
    const size_t marchingBytes = painter.storedBytes();
    view.setSurfaceAlgorithm(Model::Automaton::SurfaceAlgorithm::Octree);
    f.octreeMs = bestOf(repeat, [&] { painter.regenerate(); });
    f.octreeFaces = painter.octreeSurface().opaqueFaceCount() + painter.octreeSurface().transparentFaceCount();
    const size_t leaves = painter.octreeSurface().leafCount();
    view.setSurfaceAlgorithm(Model::Automaton::SurfaceAlgorithm::CubicFaces);
    f.cubicMs = bestOf(repeat, [&] { painter.regenerate(); });
    f.cubicFaces = painter.opaqueFaceCount() + painter.transparentFaceCount();
    std::printf("%-8s %u^3  marching cubes %8.1f ms  %9zu triangles (%.0f MB)\n", name, n, f.marchingMs, f.triangles,
                marchingBytes / 1048576.0);
    std::printf("%-8s %u^3  octree         %8.1f ms  %9zu faces from %zu leaves\n", name, n, f.octreeMs, f.octreeFaces,
                leaves);
    std::printf("%-8s %u^3  cubic faces    %8.1f ms  %9zu faces; octree/cubic faces %.2f %%\n", name, n, f.cubicMs,
                f.cubicFaces, 100.0 * double(f.octreeFaces) / double(std::max<size_t>(1, f.cubicFaces)));
    std::fflush(stdout);
    return f;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    BenchHome home;
    uint32_t n = 256;
    int repeat = 3;
    bool reference = true;
    bool onlyMarching = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--size") && i + 1 < args.size())
            n = args[++i].toUInt();
        else if (args[i] == QLatin1String("--repeat") && i + 1 < args.size())
            repeat = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--no-reference"))
            reference = false;
        else if (args[i] == QLatin1String("--marching-cubes-only"))
            onlyMarching = true;
    }
    std::printf("bench_meshes: %d pool threads, best of %d runs\n", QThreadPool::globalInstance()->maxThreadCount(),
                repeat);
    std::map<QString, Figures> ours;
    ours[QStringLiteral("trench")] = measure("trenches", n, trenchStates(n), repeat, onlyMarching);
    ours[QStringLiteral("layers")] = measure("layers", n, layerStates(n), repeat, onlyMarching);
    const Figures &layers = ours[QStringLiteral("layers")];
    if (!onlyMarching)
        std::printf("targets: octree of the layers %.1f ms (< 500 ms), %.2f %% of the cubic faces (<= 5 %%)\n",
                    layers.octreeMs,
                    100.0 * double(layers.octreeFaces) / double(std::max<size_t>(1, layers.cubicFaces)));
    std::fflush(stdout);

    const QString script = QStringLiteral(BENCH_DIR "/mc_reference.py");
    if (!reference)
        return 0;
    if (!QFileInfo::exists(QStringLiteral("/usr/bin/python3"))) {
        std::printf("VTK reference skipped: /usr/bin/python3 not found\n");
        return 0;
    }
    QProcess python;
    python.setProcessChannelMode(QProcess::MergedChannels);
    python.start(QStringLiteral("/usr/bin/python3"), {script, QStringLiteral("--size"), QString::number(n),
                                                      QStringLiteral("--repeat"), QString::number(repeat)});
    if (!python.waitForFinished(-1)) {
        std::printf("VTK reference skipped: the script did not run\n");
        return 0;
    }
    const QRegularExpression line(
        QStringLiteral("^mc_reference (\\w+) \\d+: ([0-9.]+) ms, (\\d+) triangles \\((.*)\\)$"));
    for (const QString &text : QString::fromLocal8Bit(python.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        std::printf("%s\n", qPrintable(text));
        const auto match = line.match(text);
        if (!match.hasMatch() || match.captured(4) != QLatin1String("occupied"))
            continue;
        const auto it = ours.find(match.captured(1));
        if (it == ours.end())
            continue;
        const double vtkMs = match.captured(2).toDouble();
        std::printf("marching cubes / VTK on %s: %.2f (target <= 2); triangles %zu / %s\n",
                    qPrintable(match.captured(1)), it->second.marchingMs / vtkMs, it->second.triangles,
                    qPrintable(match.captured(3)));
    }
    return 0;
}
