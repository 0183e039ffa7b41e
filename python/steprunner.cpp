#include "steprunner.h"

#include "Core/BatchRun/batchcommand.h"
#include "Core/BatchRun/batchrunner.h"
#include "Core/BatchRun/processvocabulary.h"
#include "Core/workspace.h"
#include "Util/runcontrol.h"

#include <QStringList>

#include <chrono>
#include <memory>
#include <mutex>

namespace py = pybind11;

namespace CellforgePython {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto checkInterval = std::chrono::milliseconds(50);

// What the engine's thread hands back to Python: the first exception raised at a boundary.
struct Boundaries {
    py::object progress;
    std::mutex mutex;
    Clock::time_point last;
    std::unique_ptr<py::error_already_set> error;

    void check(Util::RunControl &control)
    {
        // Only one thread at a time asks Python, and not more often than every checkInterval.
        std::unique_lock<std::mutex> lock(mutex, std::try_to_lock);
        if (!lock.owns_lock())
            return;
        const Clock::time_point now = Clock::now();
        if (now - last < checkInterval)
            return;
        last = now;
        py::gil_scoped_acquire gil;
        if (error)
            return;
        try {
            // Ctrl+C is seen here when the step runs in Python's main thread.
            if (PyErr_CheckSignals() != 0)
                throw py::error_already_set();
            if (progress && !progress.is_none())
                progress(control.done(), control.total());
        } catch (py::error_already_set &e) {
            error = std::make_unique<py::error_already_set>(std::move(e));
            control.requestStop();
        }
    }
};

[[noreturn]] void raise(PyObject *type, const QString &message)
{
    PyErr_SetString(type, message.toUtf8().constData());
    throw py::error_already_set();
}

} // namespace

std::vector<Core::Operations::Measurement> StepRunner::run(Core::Workspace &workspace,
                                                           Model::Automaton::TotalVolumePtr &target,
                                                           const QList<Core::Processes::ProcessStep> &steps,
                                                           std::optional<uint64_t> seed, const py::object &progress,
                                                           const QString &listFolder)
{
    using namespace Core::BatchRun;
    QStringList refusals = BatchCommand::stepRefusals(steps);
    for (int i = 0; i < steps.size(); ++i) {
        if (steps.at(i).getProcessType() == SaveImage)
            refusals << QStringLiteral("Step %1 (%2): images are drawn by the display library, which the module "
                                       "does not load; run the list with cellforge-batch to save them.")
                            .arg(i + 1)
                            .arg(displayName(SaveImage));
    }
    if (!refusals.isEmpty())
        raise(PyExc_ValueError, refusals.join(QLatin1Char('\n')));

    Boundaries boundaries;
    boundaries.progress = progress;
    Util::RunControl control;
    control.setBoundaryCallback([&boundaries](Util::RunControl &c) { boundaries.check(c); });
    BatchRunner runner(workspace, target);
    runner.setSeed(seed);
    runner.setListFolder(listFolder);
    // A stopped step's cells are put back as they were before it, as the window's Cancel does.
    runner.setRunControl(&control, true);
    RunSummary summary;
    {
        py::gil_scoped_release released;
        summary = runner.run(steps);
    }
    target = runner.target();
    if (boundaries.error)
        throw *boundaries.error;
    // Ctrl+C after the last boundary: the steps are done and the interrupt is raised now.
    if (PyErr_CheckSignals() != 0)
        throw py::error_already_set();

    if (summary.missingVolume)
        raise(PyExc_ValueError,
              QStringLiteral("Step %1 (%2) not run: No cell volume was selected and a cell volume was not created. "
                             "The cell volume must be created before any other process.")
                  .arg(summary.failure.index + 1)
                  .arg(summary.failure.name));
    if (summary.stopped)
        raise(PyExc_KeyboardInterrupt,
              QStringLiteral("Stopped: %1 of %2 steps ran.").arg(summary.done).arg(steps.size()));
    if (summary.failedIndex >= 0) {
        const StepRecord &f = summary.failure;
        const QString text =
            QStringLiteral("Step %1 (%2) failed: %3%4")
                .arg(f.index + 1)
                .arg(f.name, f.message,
                     f.detail.isEmpty() ? QString() : QStringLiteral(" (") + f.detail + QLatin1Char(')'));
        raise(f.code == OutOfMemory ? PyExc_MemoryError : PyExc_ValueError, text);
    }
    return runner.measurements();
}

} // namespace CellforgePython
