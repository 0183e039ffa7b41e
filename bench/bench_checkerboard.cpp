// Opening the worst case for surfaces: an n^3 checkerboard (every other cell filled, so every filled
// cell shows all six faces), once with an opaque and once with a semi-transparent material.
// For each document it prints
//   - cellforge-batch reading and rewriting it (an empty list with --input and --output): time and
//     the peak resident memory of that process;
//   - the window's way of opening it (read, surface, depth order): time, peak resident memory of a
//     fresh process, the memory kept beyond the cells, and the surface's bytes per face.
// Each measurement runs in a process of its own, so that peaks do not mix.
//   bench_checkerboard [n]          (default 128; 256 gives the 34 MB documents)
#include "Core/Operations/Document/opendocumentoperation.h"
#include "Core/workspace.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Surfaces/shownsurfaces.h"
#include "Model/Volume/totalvolume.h"
#include "childrun.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

long statusKiB(const char *key)
{
    FILE *f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long value = -1;
    const size_t keyLength = std::strlen(key);
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, key, keyLength) == 0) {
            value = std::atol(line + keyLength + 1);
            break;
        }
    }
    std::fclose(f);
    return value;
}

bool writeCheckerboard(const QString &path, uint32_t n, uint32_t material)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Document><Header version=\"1\"/>"
               "<Material version=\"1\" name=\"Si\" material-id=\"1\" density=\"2329\" poisson-ratio=\"0.28\" "
               "young-modulus=\"1.88e+11\" color=\"#FF7F7F7F\"/>"
               "<Material version=\"1\" name=\"Bench Glass\" material-id=\"2001\" density=\"2200\" "
               "poisson-ratio=\"0.17\" young-modulus=\"7e+10\" color=\"#8066B2FF\"/>");
    const QByteArray size = QByteArray::number(n);
    file.write("<Object object-type=\"1\" size-x=\"" + size + "\" size-y=\"" + size + "\" size-z=\"" + size +
               "\" cellsize-x=\"1\" cellsize-y=\"1\" cellsize-z=\"1\"><State>");
    const QByteArray filled = QByteArray::number(material) + ' ';
    QByteArray row;
    for (uint32_t x = 0; x < n; ++x) {
        for (uint32_t y = 0; y < n; ++y) {
            row.clear();
            for (uint32_t z = 0; z < n; ++z)
                row += (x + y + z) % 2 == 0 ? filled : QByteArray("0 ");
            file.write(row);
        }
    }
    file.write("</State><Position pos-x=\"0\" pos-y=\"0\" pos-z=\"0\"/></Object></Document>");
    return file.error() == QFileDevice::NoError;
}

// The window's way: the document operation's loader into a workspace, as a new main window does.
int openAsTheWindowDoes(const QString &path)
{
    Model::Materials::MaterialFactory::instance();
    Core::Workspace workspace;
    workspace.setShownSurfaces(std::make_shared<Model::Surfaces::ShownSurfaces>());
    const long baseline = statusKiB("VmRSS");
    QElapsedTimer timer;
    timer.start();
    const auto result = Core::Operations::OpenDocumentOperation::loadFile(workspace, path, {});
    const double ms = timer.nsecsElapsed() / 1e6;
    auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(workspace.document().allObjects().value(0));
    if (!result.ok || !volume) {
        std::fprintf(stderr, "bench_checkerboard: could not open %s\n", qPrintable(path));
        return 1;
    }
    const auto &painter = *workspace.shownSurfaces()->of(volume);
    const size_t faces = painter.opaqueFaceCount() + painter.transparentFaceCount();
    const double cellsMiB = volume->cellCount() * Model::Automaton::TotalVolume::bytesPerCell / 1048576.0;
    const double keptMiB = (statusKiB("VmRSS") - baseline) / 1024.0 - cellsMiB;
    std::printf("  window open: %.0f ms, peak memory of the process %.0f MiB; %zu faces, kept beyond the cells "
                "%.0f MiB = %.1f bytes per face (surface's own count %.1f)\n",
                ms, statusKiB("VmHWM") / 1024.0, faces, keptMiB, keptMiB * 1048576.0 / double(faces),
                double(painter.storedBytes()) / double(faces));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--open") == 0)
        return openAsTheWindowDoes(QString::fromLocal8Bit(argv[2]));

    const uint32_t n = argc > 1 ? uint32_t(std::atoi(argv[1])) : 128;
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    const QString list = home.filePath(QStringLiteral("empty.plst"));
    {
        QFile file(list);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write("<?xml version=\"1.0\"?>\n<Process-List version=\"1\"></Process-List>\n");
    }
    std::printf("bench_checkerboard: %u^3 checkerboard, machine with 2 cores\n", n);
    for (const uint32_t material : {1u, 2001u}) {
        const QString document = home.filePath(QStringLiteral("board%1.cfw").arg(material));
        if (!writeCheckerboard(document, n, material))
            return 1;
        std::printf("%s material, document %.1f MiB\n", material == 1 ? "opaque" : "semi-transparent",
                    QFileInfo(document).size() / 1048576.0);
        ChildRun run;
        const QByteArray out = home.filePath(QStringLiteral("out.cfw")).toLocal8Bit();
        if (!runChild({CELLFORGE_BATCH, list.toLocal8Bit(), "--input", document.toLocal8Bit(), "--output", out}, run)) {
            std::printf("  cellforge-batch failed\n");
            return 1;
        }
        std::printf("  cellforge-batch read + write: %.0f ms, peak memory %.0f MiB\n", run.seconds * 1e3,
                    run.peakBytes / 1048576.0);
        std::fflush(stdout);
        if (!runChild({QCoreApplication::applicationFilePath().toLocal8Bit(), "--open", document.toLocal8Bit()}, run)) {
            std::printf("  window open failed\n");
            return 1;
        }
        std::printf("  window open as a process: %.0f ms, peak memory %.0f MiB (targets < 5 s, < 1 GiB)\n",
                    run.seconds * 1e3, run.peakBytes / 1048576.0);
        std::fflush(stdout);
    }
    return 0;
}
