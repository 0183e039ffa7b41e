#include "Core/workspace.h"

#include "Model/Surfaces/shownsurfaces.h"
#include "Model/Volume/totalvolume.h"

#include <QDebug>

namespace Core {

Workspace::Workspace(UndoFiles::Storage undoStorage)
    : m_undoRedo([this] { cancelCurrentOperation(); })
    , m_selection(m_document, m_pickState)
    , m_undoFiles(std::make_shared<UndoFiles>(undoStorage))
{
}

Workspace::~Workspace()
{
    // Operations hold a reference to this workspace; let go of them while it still exists.
    m_console.reset();
    m_pickState.clear();
    m_currentOperation.reset();
}

void Workspace::startOperation(uint32_t identifier)
{
    cancelCurrentOperation();
    m_currentOperation = m_factory ? m_factory->create(identifier) : nullptr;
    if (m_currentOperation) {
        auto operation = m_currentOperation; // start may finish and release it
        operation->start();
    }
}

void Workspace::operationFinished()
{
    if (auto undoable = std::dynamic_pointer_cast<Operations::ObjectOperation>(m_currentOperation)) {
        // An operation that could not record its changes cannot be undone, and undoing the steps
        // before it would mix their old states with its new ones.
        if (undoable->undoable())
            m_undoRedo.push(undoable);
        else
            m_undoRedo.clear();
    }
    m_currentOperation.reset();
    m_console.setPrompt(QString());
    m_selection.clearSelection();
    notifyUpdate();
}

void Workspace::operationCanceled()
{
    m_currentOperation.reset();
    m_console.setPrompt(QString());
    m_selection.clearSelection();
    notifyUpdate();
}

void Workspace::cancelCurrentOperation()
{
    if (m_currentOperation) {
        auto operation = m_currentOperation; // cancel usually releases it through operationCanceled
        operation->cancel();
    }
}

void Workspace::notifyUpdate()
{
    reportSurfaceFailures();
    for (const auto &observer : m_updateObservers)
        observer->notify();
}

// Every path that regenerates surfaces in a window ends by telling the observers: this is where
// the user hears, once per failure, that a volume is left undrawn.
void Workspace::reportSurfaceFailures()
{
    if (!m_shownSurfaces)
        return;
    for (const auto &object : m_document.allObjects()) {
        if (auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object)) {
            const auto surface = m_shownSurfaces->find(*volume);
            const QString failure = surface ? surface->takeFailure() : QString();
            if (!failure.isEmpty())
                reportError(QStringLiteral("Cellforge"), failure);
        }
    }
}

void Workspace::regenerateSurface(const std::shared_ptr<Model::Automaton::TotalVolume> &volume,
                                  Util::RunControl *control)
{
    if (m_shownSurfaces && volume)
        m_shownSurfaces->regenerate(volume, control);
}

void Workspace::clearObjectTables()
{
    m_lastOperation.clear();
    m_latticeOutOfDate.clear();
}

void Workspace::newDocument()
{
    cancelCurrentOperation();
    m_selection.clearSelection();
    clearHistory();
    m_console.reset();
    m_pickState.clear();
    m_document.clear();
    clearObjectTables();
    notifyUpdate();
}

void Workspace::clearHistory()
{
    m_undoRedo.clear();
    // Records of operations that are still held elsewhere go too.
    m_undoFiles->clear();
}

void Workspace::reportError(const QString &title, const QString &text)
{
    if (m_errorReporter)
        m_errorReporter(title, text);
    else
        qWarning() << "Core/workspace" << Q_FUNC_INFO << title << text;
}

Workspace::Answer Workspace::ask(const QString &title, const QString &text) const
{
    return m_asker ? m_asker(title, text) : Answer::Unasked;
}

void Workspace::runJob(const QString &operationName, Util::RunControl &control, const std::function<void()> &job)
{
    if (m_jobRunner)
        m_jobRunner->run(operationName, control, job);
    else
        job();
}

} // namespace Core
