// Times writing and restoring the undo/redo snapshot of a 256 x 256 x 128 volume.
#include "Core/Operations/processsnapshot.h"
#include "Model/Automaton/totalvolume.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

using Core::Operations::ProcessSnapshot;
using Model::Automaton::TotalVolume;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const uint32_t nx = 256, ny = 256, nz = 128;
    TotalVolume volume(nx, ny, nz, 1, 1, 1, Util::Vector3D());
    {
        // Lower half silicon, a film of material 11 above it, air on top: a realistic mix of digits.
        Model::Automaton::CellLock lock(volume);
        for (size_t i = 0; i < volume.cellCount(); ++i) {
            const uint32_t z = static_cast<uint32_t>(i % nz);
            lock.cells()[i].setState(z < nz / 2 ? 1 : (z < nz / 2 + 8 ? 11 : 0));
        }
    }

    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("undo.temp"));
    QElapsedTimer timer;

    // A file that already holds earlier records, as after several undoable steps.
    for (uint64_t n = 0; n < 3; ++n)
        ProcessSnapshot::writeRecord(fileName, QStringLiteral("IsotropicDeposition"), n, volume);

    timer.start();
    const bool written = ProcessSnapshot::writeRecord(fileName, QStringLiteral("MooreFilmDep"), 3, volume);
    const qint64 writeMs = timer.elapsed();

    TotalVolume target(nx, ny, nz, 1, 1, 1, Util::Vector3D());
    timer.restart();
    const bool restored = ProcessSnapshot::readRecord(fileName, QStringLiteral("MooreFilmDep"), 3, target);
    const qint64 readMs = timer.elapsed();

    std::printf("snapshot %ux%ux%u (%zu cells), %d cores: write %lld ms, restore %lld ms (after skipping 3 "
                "records), file %.1f MB, %s\n",
                nx, ny, nz, volume.cellCount(), QThread::idealThreadCount(), static_cast<long long>(writeMs),
                static_cast<long long>(readMs), QFileInfo(fileName).size() / 1e6,
                written && restored ? "ok" : "FAILED");
    return written && restored ? 0 : 1;
}
