// Measures what one undoable process step costs the undo and redo files: a 256^3 volume, a step
// that changes 5 % of its cells, once as a contiguous film and once as a scattered pattern.
// Prints the bytes the step adds to both files, the time of the snapshot hooks and of undo and
// redo, and checks that undo and redo give back exactly the states before and after the step.
//
//   bench_snapshot [--size N]
//
// Target: a step that changes 5 % of a 256^3 volume adds at most 5 MB to the two files together.

#include "Core/Operations/ioperationfactory.h"
#include "Core/Operations/undoableprocessoperation.h"
#include "Core/workspace.h"
#include "Model/Surfaces/shownsurfaces.h"
#include "Model/Volume/totalvolume.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStringList>
#include <QThread>

#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

using Model::Automaton::TotalVolume;

namespace {

/// CPU time of this thread: the machine is shared, so wall-clock times alone say little.
double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

/// A step whose change is a function of the cell index and its state; times its snapshot hooks.
class PatternStep : public Core::Operations::UndoableProcessOperation {
public:
    using Change = std::function<void(size_t index, Model::Automaton::Cells &cells)>;
    PatternStep(Core::Workspace &ws, Change change)
        : UndoableProcessOperation(ws, QStringLiteral("Pattern"), 77, QStringLiteral("Pattern"))
        , m_change(std::move(change))
    {
    }
    qint64 snapshotMs = 0;
    double snapshotCpuMs = 0;

protected:
    bool hasOptions() const override { return true; }
    void run(TotalVolume &volume) override
    {
        Model::Automaton::CellLock lock(volume);
        Model::Automaton::Cells cells = lock.cells();
        for (size_t i = 0; i < volume.cellCount(); ++i)
            m_change(i, cells);
    }
    bool beforeRun(TotalVolume &volume) override
    {
        QElapsedTimer timer;
        timer.start();
        const double cpu = threadCpuMs();
        const bool kept = UndoableProcessOperation::beforeRun(volume);
        snapshotMs += timer.elapsed();
        snapshotCpuMs += threadCpuMs() - cpu;
        return kept;
    }
    void afterRun(TotalVolume &volume) override
    {
        QElapsedTimer timer;
        timer.start();
        const double cpu = threadCpuMs();
        UndoableProcessOperation::afterRun(volume);
        snapshotMs += timer.elapsed();
        snapshotCpuMs += threadCpuMs() - cpu;
    }

private:
    Change m_change;
};

/// Hands out one prepared operation, so that the step runs and lands on the undo stack as in the program.
class OneStepFactory : public Core::Operations::IOperationFactory {
public:
    explicit OneStepFactory(Core::Operations::OperationPtr step)
        : m_step(std::move(step))
    {
    }
    Core::Operations::OperationPtr create(uint32_t) override { return std::move(m_step); }

private:
    Core::Operations::OperationPtr m_step;
};

std::vector<uint32_t> states(TotalVolume &volume)
{
    Model::Automaton::CellLock lock(volume);
    std::vector<uint32_t> result(volume.cellCount());
    for (size_t i = 0; i < result.size(); ++i)
        result[i] = lock.cells().state(i);
    return result;
}

qint64 fileSize(const QString &name) { return QFileInfo(name).size(); }

/// Lower half silicon, air above.
void fillSubstrate(TotalVolume &volume)
{
    Model::Automaton::CellLock lock(volume);
    const uint32_t nz = volume.sizeZ();
    for (size_t i = 0; i < volume.cellCount(); ++i)
        lock.cells().setState(i, i % nz < nz / 2 ? 1 : 0);
}

bool runCase(const char *label, uint32_t n, const PatternStep::Change &change)
{
    Core::Workspace ws;
    ws.setShownSurfaces(std::make_shared<Model::Surfaces::ShownSurfaces>());
    auto volume = std::make_shared<TotalVolume>(n, n, n, 1, 1, 1, Util::Vector3D());
    fillSubstrate(*volume);
    ws.document().addObject(volume);
    const auto before = states(*volume);

    QElapsedTimer timer;
    timer.start();
    ws.regenerateSurface(volume);
    const qint64 surfaceMs = timer.elapsed();

    const QString undoName = ws.undoFiles().undoFileName();
    const QString redoName = ws.undoFiles().redoFileName();
    const qint64 undoBefore = fileSize(undoName);
    const qint64 redoBefore = fileSize(redoName);

    auto step = std::make_shared<PatternStep>(ws, change);
    ws.setOperationFactory(std::make_shared<OneStepFactory>(step));
    timer.restart();
    ws.startOperation(1); // the only object of the document: it runs at once
    const bool onStack = ws.undoRedo().canUndo();
    const qint64 stepMs = timer.elapsed();
    const auto after = states(*volume);
    size_t changed = 0;
    for (size_t i = 0; i < after.size(); ++i)
        changed += after[i] != before[i];

    const qint64 undoAdded = fileSize(undoName) - undoBefore;
    const qint64 redoAdded = fileSize(redoName) - redoBefore;

    timer.restart();
    ws.undoRedo().undo();
    const qint64 undoMs = timer.elapsed();
    const bool undoExact = states(*volume) == before;
    timer.restart();
    ws.undoRedo().redo();
    const qint64 redoMs = timer.elapsed();
    const bool redoExact = states(*volume) == after;

    const double totalMb = (undoAdded + redoAdded) / 1e6;
    std::printf("%-9s %u^3, %zu cells changed (%.2f %%), %d cores: undo file +%.3f MB, redo file +%.3f MB, "
                "total %.3f MB (target <= 5 MB: %s); snapshot hooks %lld ms (CPU %.0f ms), whole step %lld ms; "
                "undo %lld ms, redo %lld ms (each includes one surface regeneration, %lld ms alone); "
                "undo %s, redo %s\n",
                label, n, changed, 100.0 * double(changed) / double(after.size()), QThread::idealThreadCount(),
                undoAdded / 1e6, redoAdded / 1e6, totalMb, totalMb <= 5.0 ? "met" : "MISSED",
                static_cast<long long>(step->snapshotMs), step->snapshotCpuMs, static_cast<long long>(stepMs),
                static_cast<long long>(undoMs), static_cast<long long>(redoMs), static_cast<long long>(surfaceMs),
                undoExact ? "exact" : "WRONG", redoExact ? "exact" : "WRONG");
    std::fflush(stdout);
    return onStack && undoExact && redoExact;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    uint32_t n = 256;
    const QStringList args = app.arguments();
    const int sizeAt = args.indexOf(QStringLiteral("--size"));
    if (sizeAt > 0 && sizeAt + 1 < args.size())
        n = args.at(sizeAt + 1).toUInt();
    if (n < 8) {
        std::fprintf(stderr, "bench_snapshot: --size needs a whole number of at least 8\n");
        return 2;
    }

    // A film: the first n/20 cell layers of air above the substrate become material 11.
    const uint32_t filmTop = n / 2 + (n + 19) / 20;
    const bool film = runCase("film", n, [n, filmTop](size_t i, Model::Automaton::Cells &cells) {
        const uint32_t z = static_cast<uint32_t>(i % n);
        if (z >= n / 2 && z < filmTop)
            cells.setState(i, 11);
    });
    // Scattered: every cell whose hashed index falls in the lowest 5 % gains 3 (doping-like spots
    // in the silicon and in the air above it).
    const bool scattered = runCase("scattered", n, [](size_t i, Model::Automaton::Cells &cells) {
        uint64_t h = i * 0x9E3779B97F4A7C15ull;
        h ^= h >> 29;
        h *= 0xBF58476D1CE4E5B9ull;
        h ^= h >> 32;
        if (h % 100 < 5)
            cells.setState(i, cells.state(i) + 3);
    });
    return film && scattered ? 0 : 1;
}
