// The large volumes of a workstation, end to end through cellforge-batch: a silicon block (silicon
// below half the height, empty above) of 1024 x 1024 x 512 and of 2048 x 1024 x 512 cells (1.07
// billion), an isotropic deposition of 8 cells of oxide on it, and the document saved. Each case runs
// in a cellforge-batch process of its own; the line gives its wall time, its peak resident memory
// (getrusage's ru_maxrss of the child) and that peak per cell. First it prints what a volume keeps
// resident per cell between steps: a 512 x 512 x 256 block made and deposited on in this process.
//
//   bench_large [--threads N] [--only 1024|2048] [--size NX NY NZ] [--dir DIR]
//
// --threads is passed on (default 2); --only runs one of the two cases; --size runs one volume of
// that size instead; --dir is where the list and the documents go (default a temporary folder:
// the 2048 case writes a document of about 2 GiB). The 2048 case wants the whole machine.
#include "Core/Engines/DistanceCounting/filmdepositionengine.h"
#include "Core/Engines/Volume/substratebuilder.h"
#include "Model/Volume/totalvolume.h"
#include "childrun.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Case {
    uint32_t nx, ny, nz;
};

QByteArray parameter(const char *name, const char *type, const QByteArray &data)
{
    return QByteArray("    <Parameter parameter-name=\"") + name + "\" parameter-type=\"" + type +
           "\" parameter-data=\"" + data + "\" parameter-visibility=\"true\"/>\n";
}

// Create Substrate (process type 11) of silicon up to half the height, then Isotropic Deposition
// (process type 4) of 8 cells of oxide.
QByteArray listFor(const Case &c)
{
    const QByteArray nx = QByteArray::number(c.nx), ny = QByteArray::number(c.ny), nz = QByteArray::number(c.nz);
    QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Process-List version=\"1\">\n<Materials>\n"
                      "<Material version=\"1\" name=\"Si\" material-id=\"1\" density=\"2329\" color=\"#FF7F7F7F\"/>\n"
                      "<Material version=\"1\" name=\"Thermal Si02\" material-id=\"3\" density=\"2200\" "
                      "color=\"#FF7F7FFF\"/>\n</Materials>\n<Process-Data process-type=\"11\">\n";
    text += parameter("Lower Left Front Corner", "Util::Vector3D", "0;0;0");
    text += parameter("Material", "QString", "Si");
    text += parameter("Material_Id", "uint", "1");
    text += parameter("SphericalSubstrate", "bool", "false");
    for (const char *axis : {"X", "Y", "Z"})
        text += parameter(QByteArray("Substrate Delta ").append(axis).constData(), "uint", "0");
    text += parameter("Substrate Size X", "uint", nx);
    text += parameter("Substrate Size Y", "uint", ny);
    text += parameter("Substrate Size Z", "uint", QByteArray::number(c.nz / 2));
    text += parameter("Volume Size X", "uint", nx);
    text += parameter("Volume Size Y", "uint", ny);
    text += parameter("Volume Size Z", "uint", nz);
    text += "</Process-Data>\n<Process-Data process-type=\"4\">\n";
    text += parameter("Material", "QString", "Thermal Si02");
    text += parameter("Material_Id", "uint", "3");
    text += parameter("Thickness", "double", "8");
    text += "</Process-Data>\n</Process-List>\n";
    return text;
}

long residentKiB()
{
    FILE *f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long value = -1;
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, "VmRSS:", 6) == 0) {
            value = std::atol(line + 6);
            break;
        }
    }
    std::fclose(f);
    return value;
}

// What a volume keeps resident per cell once a step is over (the engine's work given back).
void residentBytesPerCell()
{
    const uint32_t nx = 512, ny = 512, nz = 256;
    const long before = residentKiB();
    auto volume =
        Core::Operations::SubstrateBuilder(1, nx, ny, nz, Util::Vector3D(), 0, 0, 0, nx, ny, nz / 2).buildVolume();
    Core::Operations::FilmDepositionEngine(*volume, 3, 8.0f).run();
    const double cells = double(volume->cellCount());
    std::printf("resident bytes per cell between steps (%u x %u x %u, after a deposition): %.2f (%zu allocated: "
                "state and cut count; cut counts take memory once a cut writes them)\n",
                nx, ny, nz, double(residentKiB() - before) * 1024.0 / cells,
                Model::Automaton::TotalVolume::bytesPerCell);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    auto valueAfter = [&args](const char *option, int offset = 1) {
        const int at = args.indexOf(QLatin1String(option));
        return at >= 0 && at + offset < args.size() ? args.at(at + offset) : QString();
    };
    const QString threads = valueAfter("--threads").isEmpty() ? QStringLiteral("2") : valueAfter("--threads");
    std::vector<Case> cases{{1024, 1024, 512}, {2048, 1024, 512}};
    if (!valueAfter("--only").isEmpty()) {
        const uint32_t only = valueAfter("--only").toUInt();
        cases.erase(std::remove_if(cases.begin(), cases.end(), [only](const Case &c) { return c.nx != only; }),
                    cases.end());
    }
    if (!valueAfter("--size", 3).isEmpty())
        cases = {
            {valueAfter("--size", 1).toUInt(), valueAfter("--size", 2).toUInt(), valueAfter("--size", 3).toUInt()}};
    if (cases.empty()) {
        std::fprintf(stderr, "bench_large: no case to run\n");
        return 2;
    }

    QTemporaryDir temporary;
    const QString dir = valueAfter("--dir").isEmpty() ? temporary.path() : valueAfter("--dir");
    // The catalogue files of the run stay away from the user's home folder.
    qputenv("HOME", temporary.path().toLocal8Bit());
    std::printf("bench_large: cellforge-batch with --threads %s, machine with %d cores\n", qPrintable(threads),
                QThread::idealThreadCount());
    residentBytesPerCell();
    int failures = 0;
    for (const Case &c : cases) {
        const QString list = dir + QStringLiteral("/large_%1x%2x%3.plst").arg(c.nx).arg(c.ny).arg(c.nz);
        const QString document = dir + QStringLiteral("/large_%1x%2x%3.cfw").arg(c.nx).arg(c.ny).arg(c.nz);
        QFile file(list);
        if (!file.open(QIODevice::WriteOnly) || file.write(listFor(c)) < 0 || !file.flush()) {
            std::fprintf(stderr, "bench_large: cannot write %s\n", qPrintable(list));
            return 1;
        }
        file.close();
        ChildRun run;
        const bool ok = runChild({CELLFORGE_BATCH, list.toLocal8Bit(), "--threads", threads.toLocal8Bit(), "--output",
                                  document.toLocal8Bit()},
                                 run);
        const double seconds = run.seconds, peak = run.peakBytes;
        const double cells = double(c.nx) * c.ny * c.nz;
        std::printf("%u x %u x %u (%.3g cells), create + isotropic deposition t = 8 + save: %s, %.1f s, peak %.2f "
                    "GiB (%.2f bytes per cell), document %.2f GiB\n",
                    c.nx, c.ny, c.nz, cells, ok ? "done" : "FAILED", seconds, peak / 1073741824.0, peak / cells,
                    QFileInfo(document).size() / 1073741824.0);
        std::fflush(stdout);
        QFile::remove(document);
        failures += ok ? 0 : 1;
    }
    return failures == 0 ? 0 : 1;
}
