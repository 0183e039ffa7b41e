#pragma once

#include "Core/BatchRun/imagefolder.h"
#include "Core/Processes/processdescriptor.h"
#include "Core/Processes/processrun.h"
#include "Core/Processes/processstep.h"
#include "Model/Volume/totalvolume.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace Util {
class RunControl;
}

namespace Core {
class Workspace;

namespace BatchRun {

/// What one step runner sees: the list's road of a process run (Core/Processes/processrun.h).
using StepContext = Processes::ProcessRun;

/// Runs one step type: reads the step's parameters, runs the engine on the context's target and
/// returns a result code (0 success, 1 missing parameter, 2 invalid value).
using StepFunction = std::function<int(StepContext &context, const Core::Processes::ProcessStep &step)>;

using Processes::StepEstimate;
using EstimateFunction =
    std::function<StepEstimate(const Core::Processes::ProcessStep &step, const Model::Automaton::TotalVolumePtr &target)>;

/// Step type -> step runner: the process descriptors (run, then finish). A type of a process
/// without an entry is "not implemented", any other type is unknown. Tests replace entries with their own runners.
class StepRegistry {
public:
    void add(int processType, const StepFunction &function) { m_functions.insert(processType, function); }
    /// Steps that may run for hours say so beforehand.
    void addEstimate(int processType, const EstimateFunction &function) { m_estimates.insert(processType, function); }
    bool contains(int processType) const { return m_functions.contains(processType); }
    /// The result code of the step; engine exceptions become code 2 with their text as detail.
    int run(StepContext &context, const Core::Processes::ProcessStep &step) const;
    /// How long the step will take on `target`; none for types without an estimate.
    StepEstimate estimate(const Core::Processes::ProcessStep &step, const Model::Automaton::TotalVolumePtr &target) const;

    /// Every step runner whose engine is built.
    static const StepRegistry &standard();

private:
    QMap<int, StepFunction> m_functions;
    QMap<int, EstimateFunction> m_estimates;
};

/// One finished or failed step of a run.
struct StepRecord {
    int index = 0; ///< 0-based position in the list
    int processType = 0;
    QString name; ///< display name
    int code = 0;
    qint64 milliseconds = 0;
    QString message; ///< the code's text
    QString detail;  ///< what was missing or invalid, or the engine's message

    /// The step's line in a run's report: "2/5  Name  12 ms  message (detail)".
    QString line(int total) const;
};

struct RunSummary {
    int done = 0;               ///< steps that ran successfully
    int failedIndex = -1;       ///< position of the step that failed, -1 when none did
    bool missingVolume = false; ///< stopped because no volume existed for a step
    StepRecord failure;         ///< the failed step, when failedIndex >= 0
    bool stopped = false;       ///< ended at a stop request
    int stoppedIndex = -1;      ///< the step that was stopped, or the first not started; -1 when none
    bool succeeded() const { return failedIndex < 0 && !missingVolume && !stopped; }
};

/// Runs a process list on one cell volume, or from nothing when it begins with "Create
/// Substrate", stopping at the first step that fails. Runs in the calling thread; the dialog
/// calls it from a pool thread, the command line from its main thread.
class BatchRunner {
public:
    BatchRunner(Core::Workspace &workspace, const Model::Automaton::TotalVolumePtr &target,
                const StepRegistry &registry = StepRegistry::standard());

    /// The handler gets the file that a "Save Image" step's name stands for in the images folder.
    void setSaveImageHandler(const std::function<bool(const QString &, QString *)> &handler) { m_saveImage = handler; }
    /// Where "Save Image" steps write (by default the working folder, without replacing files).
    void setImageFolder(const ImageFolder &images) { m_images = images; }
    /// Called after every step (in the running thread), also for the failing one.
    void setStepObserver(const std::function<void(const StepRecord &)> &observer) { m_observer = observer; }
    /// Called (in the running thread) just before a step runs, once per number of the step that
    /// did not convert when its list was read and runs as 0, and once for a step estimated to run
    /// longer than `longStepSeconds`, with the estimate.
    void setWarningObserver(const std::function<void(const QString &)> &observer) { m_warn = observer; }
    /// The folder of the list's file: layouts that steps name are read from it and below it.
    void setListFolder(const QString &folder) { m_listFolder = folder; }
    /// Makes the random steps repeatable: each draws from a stream fixed by the seed and its position.
    void setSeed(std::optional<uint64_t> seed) { m_seed = seed; }
    /// Called (in the running thread) when a step starts, with its 0-based position.
    void setStartObserver(const std::function<void(int index, const QString &name)> &observer) { m_start = observer; }

    /// A stop request ends the run: a running engine stops at its next boundary (the step then
    /// reports Stopped), otherwise the run ends before the next step. With `putBackStoppedStep`
    /// the cells of a stopped step are put back as they were before it (kept in memory per step).
    void setRunControl(Util::RunControl *control, bool putBackStoppedStep = false)
    {
        m_control = control;
        m_putBack = putBackStoppedStep;
    }

    /// One text per such number of the step at 0-based position `index`: "step 2 (Isotropic
    /// Deposition): "Film Thickness" is not a number ("thick"); 0 is used."
    static QStringList conversionWarnings(const Core::Processes::ProcessStep &step, int index);
    /// Every number of the steps outside the values its step takes, for a check before the run:
    /// "Step 3 (Si Oxidation): "Oxidation Pressure" of -1 is out of range: it must be above 0 and up
    /// to 1.79769e+308 atm." The steps refuse the same numbers when they run.
    static QStringList rangeRefusals(const QList<Core::Processes::ProcessStep> &steps);

    RunSummary run(const QList<Core::Processes::ProcessStep> &steps);

    /// Steps estimated to run longer than this (seconds) are announced before they start.
    static constexpr double longStepSeconds = 3600.0;

    /// Steps finished so far in the current run; read by a progress timer in another thread.
    int doneCount() const { return m_doneCount.load(); }
    Model::Automaton::TotalVolumePtr target() const { return m_target; }
    /// What the "Measure" steps of the last run measured, in the order they ran.
    const std::vector<Operations::Measurement> &measurements() const { return m_measurements; }

    /// The cells of the target before a step, for putting a stopped step back.
    struct KeptCells {
        std::vector<Model::Automaton::Cells::State> states;
        std::vector<uint8_t> atoms;
    };

private:
    Core::Workspace &m_workspace;
    Model::Automaton::TotalVolumePtr m_target;
    const StepRegistry &m_registry;
    std::function<bool(const QString &, QString *)> m_saveImage;
    ImageFolder m_images;
    std::function<void(const StepRecord &)> m_observer;
    std::function<void(const QString &)> m_warn;
    std::optional<uint64_t> m_seed;
    std::function<void(int, const QString &)> m_start;
    Util::RunControl *m_control = nullptr;
    bool m_putBack = false;
    QString m_listFolder;
    KeptCells m_kept;
    std::atomic<int> m_doneCount{0};
    std::vector<Operations::Measurement> m_measurements;
};

} // namespace BatchRun
} // namespace Core
