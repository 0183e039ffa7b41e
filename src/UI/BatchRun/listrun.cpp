#include "UI/BatchRun/listrun.h"

#include "Core/BatchRun/imagefolder.h"
#include "Core/BatchRun/listrunstep.h"
#include "Core/BatchRun/processvocabulary.h"
#include "Core/workspace.h"
#include "Model/Display/offscreenimage.h"
#include "UI/BatchRun/runlog.h"

#include <QEventLoop>
#include <QFutureWatcher>
#include <QThreadPool>
#include <QtConcurrent>

#include <algorithm>

namespace Ui {

using namespace Core::BatchRun;
using Core::Processes::ProcessStep;

ListRun::ListRun(const StepRegistry &registry, RunLog &log, const Place &place)
    : m_registry(registry)
    , m_log(log)
    , m_place(place)
{
}

bool ListRun::isRunning()
{
    if (!m_mutex.tryAcquire())
        return true;
    m_mutex.release();
    return false;
}

void ListRun::waitForWorker()
{
    if (!m_worker.isRunning())
        return;
    // Wait in an event loop: a "Save Image" step of the worker needs this thread.
    QFutureWatcher<void> watcher;
    QEventLoop loop;
    connect(&watcher, &QFutureWatcher<void>::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(m_worker);
    if (!watcher.isFinished())
        loop.exec();
    m_worker.waitForFinished();
}

void ListRun::start(const QList<ProcessStep> &steps, const ImageFolder &images, const QString &listFolder)
{
    m_stepCount = steps.size();
    m_doneCount = 0;
    m_runningStep = -1;
    m_summary = RunSummary();
    m_step = std::make_shared<ListRunStep>(*m_place.workspace);
    QString notKept;
    if (!m_step->begin(m_place.target, &notKept))
        m_log.appendPlainText(QStringLiteral("note: the run cannot be undone: %1.").arg(notKept));
    // No worker reads the control now: the last run's stop request goes.
    m_control.reset();
    m_listFolder = listFolder;
    m_worker = QtConcurrent::run([this, steps, images] { run(steps, images); });
}

void ListRun::run(const QList<ProcessStep> &steps, const ImageFolder &images)
{
    // This pool thread only waits while the engines spread their work over the pool.
    QThreadPool::globalInstance()->releaseThread();
    BatchRunner runner(*m_place.workspace, m_place.target, m_registry);
    const int total = steps.size();
    runner.setStartObserver([this](int index, const QString &) {
        // Until the step's engine gives its own total, the step counts as just begun.
        m_control.beginStage(0);
        m_runningStep = index;
    });
    runner.setStepObserver([this, total](const StepRecord &record) {
        m_log.post(record.line(total));
        if (record.code == Success)
            m_doneCount = record.index + 1;
    });
    runner.setWarningObserver([this](const QString &warning) { m_log.post(QStringLiteral("warning: ") + warning); });
    runner.setRunControl(&m_control, true);
    runner.setImageFolder(images);
    runner.setListFolder(m_listFolder);
    runner.setSaveImageHandler([this, &runner](const QString &fileName, QString *error) {
        m_place.target = runner.target();
        bool saved = false;
        QMetaObject::invokeMethod(this, "updateGeometry", Qt::BlockingQueuedConnection, Q_RETURN_ARG(bool, saved),
                                  Q_ARG(QString, fileName));
        if (!saved && error)
            *error = QStringLiteral("The image could not be saved to \"%1\".").arg(fileName);
        return saved;
    });
    m_summary = runner.run(steps);
    m_place.target = runner.target();
    m_runningStep = -1;
    QThreadPool::globalInstance()->reserveThread();
    m_mutex.release();
}

int ListRun::progressValue() const
{
    const int done = m_doneCount;
    int value = done * progressPerStep;
    const uint64_t total = m_control.total();
    if (m_runningStep == done && total > 0)
        value += int(std::min(m_control.done(), total) * progressPerStep / total);
    return value;
}

void ListRun::record(const RunSummary &summary)
{
    const auto step = std::move(m_step);
    if (!step || summary.missingVolume)
        return;
    QString reason;
    if (step->end(&reason)) {
        m_place.workspace->undoRedo().push(step);
        return;
    }
    // Undoing the steps before the run would now mix their cells with the run's.
    m_place.workspace->clearHistory();
    m_log.appendPlainText(
        QStringLiteral("note: the run cannot be undone (%1); the undo history was cleared.").arg(reason));
}

bool ListRun::updateGeometry(const QString &fileName)
{
    if (m_place.target)
        m_place.workspace->regenerateSurface(m_place.target);
    m_place.workspace->notifyUpdate();
    if (m_place.window)
        m_place.window->repaint();
    if (fileName.isEmpty())
        return true;
    if (m_place.screenshot)
        return m_place.screenshot(fileName);
    QString error;
    // The image builds the surfaces of the run's window, which then shows the new cells too.
    Model::Display::OffscreenImage image;
    image.setSurfaces(m_place.workspace->sharedShownSurfaces());
    return image.save(m_place.workspace->document(), fileName, &error);
}

} // namespace Ui
