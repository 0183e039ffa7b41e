// Saves and opens a 256 x 256 x 256 cell volume and prints the times and the memory used.
// Memory figures are the resident set above the level before each step (the volume itself
// excluded), measured through VmHWM, which is reset before each step.
#include "Model/Materials/materialfactory.h"
#include "Model/Persistence/documentarchive.h"
#include "Model/Persistence/materialreconciler.h"
#include "Model/Persistence/materialtranslationtable.h"
#include "Model/Volume/totalvolume.h"
#include "Model/document.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>

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

void resetPeak()
{
    if (FILE *f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

uint64_t checksum(Model::Automaton::TotalVolume &volume)
{
    Model::Automaton::CellLock lock(volume);
    uint64_t sum = 0;
    for (size_t i = 0; i < volume.cellCount(); ++i)
        sum = sum * 1000003u + lock.cells().state(i);
    return sum;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    Model::Materials::MaterialFactory::instance();

    const uint32_t n = argc > 1 ? uint32_t(std::atoi(argv[1])) : 256;
    const QString path = home.filePath(QStringLiteral("bench.cfw"));
    uint64_t before = 0;
    {
        Model::Document document;
        auto volume = std::make_shared<Model::Automaton::TotalVolume>(n, n, n, 1.0f, 1.0f, 1.0f, Util::Vector3D());
        {
            // A substrate, a film and a few thousand cells of a user material; the rest is empty.
            Model::Automaton::CellLock lock(*volume);
            for (uint32_t x = 0; x < n; ++x)
                for (uint32_t y = 0; y < n; ++y)
                    for (uint32_t z = 0; z < n; ++z) {
                        uint32_t state = z < n / 2 ? 1 : (z < n / 2 + 8 ? 3 : 0);
                        if (state == 3 && (x + y) % 97 == 0)
                            state = 2001;
                        lock.cells().setState(volume->index(x, y, z), state);
                    }
        }
        before = checksum(*volume);
        document.addObject(volume);

        const long baseline = statusKiB("VmRSS");
        resetPeak();
        QElapsedTimer timer;
        timer.start();
        QString error;
        if (!Model::Persistence::saveDocumentFile(path, document, Model::Persistence::ArchiverRegistry::standard(),
                                                  &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        const qint64 ms = timer.elapsed();
        const long peak = statusKiB("VmHWM");
        const double fileMiB = QFileInfo(path).size() / 1048576.0;
        std::printf("cells %u^3 = %zu, file %.1f MiB\n", n, volume->cellCount(), fileMiB);
        std::printf("save: %lld ms, extra peak memory %.1f MiB (%.2f x file size)\n", static_cast<long long>(ms),
                    (peak - baseline) / 1024.0, (peak - baseline) / 1024.0 / fileMiB);
    }

    Model::Document document;
    Model::Persistence::MaterialTranslationTable table;
    Model::Persistence::MaterialReconciler reconciler(table);
    const long baseline = statusKiB("VmRSS");
    resetPeak();
    QElapsedTimer timer;
    timer.start();
    const auto result = Model::Persistence::loadDocumentFile(
        path, document, Model::Persistence::ArchiverRegistry::standard(), reconciler);
    const qint64 ms = timer.elapsed();
    const long peak = statusKiB("VmHWM");
    const long after = statusKiB("VmRSS");
    const double fileMiB = QFileInfo(path).size() / 1048576.0;
    const double volumeMiB = double(n) * n * n * Model::Automaton::TotalVolume::bytesPerCell / 1048576.0;
    auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(document.allObjects().value(0));
    if (!result.ok || !volume || checksum(*volume) != before) {
        std::fprintf(stderr, "the volume read back differs from the one written\n");
        return 1;
    }
    std::printf("open: %lld ms, peak memory %.1f MiB of which the volume is %.1f MiB; extra %.1f MiB "
                "(%.2f x file size)\n",
                static_cast<long long>(ms), (peak - baseline) / 1024.0, volumeMiB,
                (peak - baseline) / 1024.0 - volumeMiB, ((peak - baseline) / 1024.0 - volumeMiB) / fileMiB);
    // What stays after the open is the volume and the surface its painter generated; the rest of
    // the peak was the reader's own, gone once the file is read.
    std::printf("      kept after opening (volume and its surface) %.1f MiB; reader's transient peak %.1f MiB "
                "(%.2f x file size)\n",
                (after - baseline) / 1024.0, (peak - after) / 1024.0, (peak - after) / 1024.0 / fileMiB);
    return 0;
}
