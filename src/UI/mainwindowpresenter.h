#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

class QAction;
class QDockWidget;
class QMainWindow;

namespace Core {
class Workspace;
}

namespace Ui {

class OperationFactory;
class OperationRunner;
namespace Console {
class CommandConsole;
class ConsoleObserver;
class PromptObserver;
} // namespace Console
namespace Observers {
class UndoRedoObserver;
class UpdateObserver;
} // namespace Observers

/// Sits between the main window and the model: owns the workspace and the console (a dock at the
/// bottom of the main window), starts operations from menu identifiers, answers the workspace's
/// questions with message boxes, and keeps the undo and redo actions up to date.
class MainWindowPresenter : public QObject {
    Q_OBJECT
public:
    explicit MainWindowPresenter(QMainWindow *mainWindow);
    ~MainWindowPresenter() override;

    Core::Workspace &workspace() { return *m_workspace; }
    Console::CommandConsole *console() const;
    /// The dock that holds the console ("dockConsole"); null without a main window.
    QDockWidget *consoleDock() const;
    /// Tells the window what a waiting operation wants the user to do.
    Console::PromptObserver *promptObserver() const { return m_promptObserver.get(); }
    OperationFactory &factory() const { return *m_factory; }
    /// Runs the operations' engines off the GUI thread with a progress dialog.
    OperationRunner &runner() const { return *m_runner; }

    void undoOperation();
    void redoOperation();
    /// Shows or hides the console's dock.
    void showConsole(bool visible);
    void selectionToggled(bool on);
    /// Asks "Create new document" and, on Ok, empties the document (see clearDocument).
    void newDocument();
    /// Empties the document and everything that refers to it, without asking.
    void clearDocument();
    /// Runs the Manage Materials dialog; on OK stores and writes the catalogue and redraws.
    void manageMaterials();
    /// Runs the Edit Compatible Materials dialog; on OK stores and writes the process catalogue.
    void manageCompatibleMaterials();
    /// An update observer, added to the workspace's update observers.
    std::shared_ptr<Observers::UpdateObserver> createUpdateObserver();

public slots:
    /// Starts the operation with this decimal identifier; text that is not a number starts nothing.
    void operationActivated(const QString &operationId);
    void enterPressed();
    void cancelPressed();
    void undoStackChanged();
    void redoStackChanged();

private:
    QAction *windowAction(const char *objectName) const;
    void dockConsole();

    QPointer<QMainWindow> m_mainWindow;
    std::unique_ptr<Core::Workspace> m_workspace;
    QPointer<Console::CommandConsole> m_console;
    QPointer<QDockWidget> m_consoleDock;
    std::shared_ptr<Console::ConsoleObserver> m_consoleObserver;
    std::shared_ptr<Console::PromptObserver> m_promptObserver;
    std::shared_ptr<Observers::UndoRedoObserver> m_undoObserver;
    std::shared_ptr<Observers::UndoRedoObserver> m_redoObserver;
    std::shared_ptr<OperationFactory> m_factory;
    std::shared_ptr<OperationRunner> m_runner;
};

} // namespace Ui
