#pragma once

#include "Core/BatchRun/batchrunner.h"
#include "Core/Processes/processstep.h"
#include "Model/Volume/totalvolume.h"
#include "Util/runcontrol.h"

#include <QFuture>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSemaphore>
#include <QString>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>

namespace Core {
class Workspace;
namespace BatchRun {
class ImageFolder;
class ListRunStep;
} // namespace BatchRun
} // namespace Core

namespace Ui {

class RunLog;

/// The runs of a process list that the Batch Run dialog starts: each goes on a worker thread, in
/// a window (its workspace, its view and the volume it works on), records one undo step there and
/// can be stopped. A run holds the lock from `lock` until its worker returns, so that the dialog
/// can tell at any moment whether the worker is done. "Save Image" steps have this object's
/// thread, the window's, redraw and save the view.
class ListRun : public QObject {
    Q_OBJECT
public:
    /// Where a run goes.
    struct Place {
        QPointer<QWidget> window;
        Core::Workspace *workspace = nullptr;
        /// Saves the window's view as an image; none: drawn off screen.
        std::function<bool(const QString &)> screenshot;
        /// The volume the list works on; the worker sets the one the list leaves.
        Model::Automaton::TotalVolumePtr target;
    };
    /// Units of progress per step: a step's share fills as its engine reports progress.
    static constexpr int progressPerStep = 1000;

    ListRun(const Core::BatchRun::StepRegistry &registry, RunLog &log, const Place &place);

    /// True while a run is going on.
    bool isRunning();
    /// Takes the lock of a run; false while one goes on.
    bool lock() { return m_mutex.tryAcquire(); }
    /// Lets the lock go: after a run that did not start, or once the dialog took it after a run.
    void unlock() { m_mutex.release(); }
    /// Blocks until the worker has returned, letting this thread draw the images it asks for.
    void waitForWorker();

    Place &place() { return m_place; }
    /// With the lock held: the steps begin to run on a worker, which lets the lock go when it returns.
    void start(const QList<Core::Processes::ProcessStep> &steps, const Core::BatchRun::ImageFolder &images,
               const QString &listFolder);
    void requestStop() { m_control.requestStop(); }

    /// The finished steps and the running step's own progress, in progress units.
    int progressValue() const;
    int doneCount() const { return m_doneCount; }
    /// After a run that had no volume: none of its steps counts as done.
    void forgetDone() { m_doneCount = 0; }
    int stepCount() const { return m_stepCount; }
    Core::BatchRun::RunSummary summary() const { return m_summary; }
    /// Puts the finished run on the undo stack of its window, or says why it cannot be undone.
    void record(const Core::BatchRun::RunSummary &summary);

public slots:
    /// In this object's thread: regenerates the target's surface, repaints the view and, with a
    /// file name, saves the view as an image. False when the image could not be saved.
    bool updateGeometry(const QString &fileName);

private:
    /// The worker.
    void run(const QList<Core::Processes::ProcessStep> &steps, const Core::BatchRun::ImageFolder &images);

    const Core::BatchRun::StepRegistry &m_registry;
    RunLog &m_log;
    Place m_place;
    /// A semaphore of one, because the worker releases what the user-interface thread took, which
    /// a mutex does not allow.
    QSemaphore m_mutex{1};
    QFuture<void> m_worker;
    /// The run's stop request and the running engine's progress.
    Util::RunControl m_control;
    Core::BatchRun::RunSummary m_summary;
    std::shared_ptr<Core::BatchRun::ListRunStep> m_step;
    /// The folder of the list's file when the run started (layouts are read there).
    QString m_listFolder;
    int m_stepCount = 0;
    std::atomic<int> m_doneCount{0};
    /// The index of the step that runs now, -1 between runs.
    std::atomic<int> m_runningStep{-1};
};

} // namespace Ui
