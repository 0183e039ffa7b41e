#pragma once

#include "Core/Operations/ioperationfactory.h"
#include "Core/Operations/operation.h"
#include "Core/Undo/undofiles.h"
#include "Core/Undo/undoredo.h"
#include "Core/consoleinput.h"
#include "Core/ibusyindicator.h"
#include "Core/ijobrunner.h"
#include "Core/pickstate.h"
#include "Core/selection.h"
#include "Model/document.h"
#include "Util/iobserver.h"

#include <QMap>

#include <functional>
#include <memory>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
}
namespace Surfaces {
class ShownSurfaces;
}
} // namespace Model

namespace Util {
class RunControl;
}

namespace Core {

/// The model side of a main window: the document, the current operation, the undo/redo stacks,
/// the selection, the console input, the per-object tables and the surfaces shown for the volumes.
/// Operations keep a reference to it.
class Workspace {
public:
    /// Headless users (cellforge-batch) pass UndoFiles::Storage::None: no undo or redo file is made.
    explicit Workspace(UndoFiles::Storage undoStorage = UndoFiles::Storage::TemporaryFiles);
    ~Workspace();
    Workspace(const Workspace &) = delete;
    Workspace &operator=(const Workspace &) = delete;

    void setOperationFactory(const std::shared_ptr<Operations::IOperationFactory> &factory) { m_factory = factory; }

    /// Cancels the current operation, creates the one with this identifier and starts it.
    void startOperation(uint32_t identifier);
    /// The current operation reports completion; an undoable one goes on the undo stack.
    void operationFinished();
    void operationCanceled();
    void cancelCurrentOperation();
    Operations::OperationPtr currentOperation() const { return m_currentOperation; }

    /// Shown while an engine runs; may be null (headless use).
    void setBusyIndicator(const BusyIndicatorPtr &indicator) { m_busyIndicator = indicator; }
    BusyIndicatorPtr busyIndicator() const { return m_busyIndicator; }

    /// Runs long jobs off the GUI thread with progress and Cancel; may be null (then jobs run here).
    void setJobRunner(const JobRunnerPtr &runner) { m_jobRunner = runner; }
    JobRunnerPtr jobRunner() const { return m_jobRunner; }
    /// Runs `job` through the job runner, or in the calling thread when there is none.
    void runJob(const QString &operationName, Util::RunControl &control, const std::function<void()> &job);

    /// The surfaces shown for the document's volumes, given by the window's view; headless use has
    /// none, and then no surface is ever built.
    void setShownSurfaces(const std::shared_ptr<Model::Surfaces::ShownSurfaces> &surfaces)
    {
        m_shownSurfaces = surfaces;
    }
    Model::Surfaces::ShownSurfaces *shownSurfaces() const { return m_shownSurfaces.get(); }
    std::shared_ptr<Model::Surfaces::ShownSurfaces> sharedShownSurfaces() const { return m_shownSurfaces; }
    /// Rebuilds the shown surface of a volume whose cells or view changed, on the calling thread
    /// (inside an operation's job: the control sees its progress); nothing without shown surfaces.
    /// A failure waits to be reported by notifyUpdate.
    void regenerateSurface(const std::shared_ptr<Model::Automaton::TotalVolume> &volume,
                           Util::RunControl *control = nullptr);

    void addUpdateObserver(const Util::ObserverPtr &observer) { m_updateObservers.push_back(observer); }
    /// Tells the update observers that the scene changed (the view redraws). A volume whose
    /// surface could not be generated (out of memory) is reported through reportError first.
    void notifyUpdate();

    /// The type code of the last process applied to an object; 0 when none was.
    void setLastOperation(uint32_t objectId, uint32_t typeCode) { m_lastOperation.insert(objectId, typeCode); }
    uint32_t lastOperation(uint32_t objectId) const { return m_lastOperation.value(objectId, 0); }
    void setLatticeOutOfDate(uint32_t objectId, bool outOfDate) { m_latticeOutOfDate.insert(objectId, outOfDate); }
    /// True also for objects that were never marked.
    bool isLatticeOutOfDate(uint32_t objectId) const { return m_latticeOutOfDate.value(objectId, true); }
    void clearObjectTables();

    /// Empties the document and every piece of state that refers to it (the "New" command).
    void newDocument();
    /// Empties the undo and redo stacks and both undo files (a new or an opened document).
    void clearHistory();

    Model::Document &document() { return m_document; }
    Selection &selection() { return m_selection; }
    PickState &pickState() { return m_pickState; }
    ConsoleInput &console() { return m_console; }
    UndoRedoStacks &undoRedo() { return m_undoRedo; }
    UndoFiles &undoFiles() { return *m_undoFiles; }
    const UndoFiles &undoFiles() const { return *m_undoFiles; }
    /// For records that must not outlive the files (an operation may outlive its workspace).
    std::shared_ptr<UndoFiles> sharedUndoFiles() const { return m_undoFiles; }

    /// Shows a problem to the user (a message box in the program). Without a reporter the text
    /// goes to the debug log, so headless code never blocks on a dialog.
    using ErrorReporter = std::function<void(const QString &title, const QString &text)>;
    void setErrorReporter(const ErrorReporter &reporter) { m_errorReporter = reporter; }
    void reportError(const QString &title, const QString &text);

    /// Asks the user a yes/no question (a message box in the program). Without an asker the answer
    /// is `Unasked`, and the caller asks in the console instead.
    enum class Answer { Yes, No, Unasked };
    using Asker = std::function<Answer(const QString &title, const QString &text)>;
    void setAsker(const Asker &asker) { m_asker = asker; }
    Answer ask(const QString &title, const QString &text) const;

private:
    void reportSurfaceFailures();

    Operations::OperationPtr m_currentOperation;
    ConsoleInput m_console;
    PickState m_pickState;
    Model::Document m_document;
    UndoRedoStacks m_undoRedo;
    std::vector<Util::ObserverPtr> m_updateObservers;
    Selection m_selection;
    std::shared_ptr<UndoFiles> m_undoFiles;
    QMap<uint32_t, uint32_t> m_lastOperation;
    QMap<uint32_t, bool> m_latticeOutOfDate;
    std::shared_ptr<Operations::IOperationFactory> m_factory;
    ErrorReporter m_errorReporter;
    Asker m_asker;
    BusyIndicatorPtr m_busyIndicator;
    JobRunnerPtr m_jobRunner;
    std::shared_ptr<Model::Surfaces::ShownSurfaces> m_shownSurfaces;
};

} // namespace Core
