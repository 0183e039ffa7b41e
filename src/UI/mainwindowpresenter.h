#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

#include <memory>

class QAction;
class QMainWindow;
class QRect;
class QSize;

namespace Core {
class Workspace;
}

namespace Ui {

class OperationFactory;
class OperationRunner;
namespace Console {
class CommandConsole;
class ConsoleObserver;
} // namespace Console
namespace Observers {
class UndoRedoObserver;
class UpdateObserver;
} // namespace Observers

/// Sits between the main window and the model: owns the workspace and the console window,
/// starts operations from menu identifiers, and keeps the undo and redo actions up to date.
class MainWindowPresenter : public QObject {
    Q_OBJECT
public:
    explicit MainWindowPresenter(QMainWindow *mainWindow);
    ~MainWindowPresenter() override;

    Core::Workspace &workspace() { return *m_workspace; }
    Console::CommandConsole *console() const { return m_console.get(); }
    OperationFactory &factory() const { return *m_factory; }
    /// Runs the operations' engines off the GUI thread with a progress dialog.
    OperationRunner &runner() const { return *m_runner; }

    void undoOperation();
    void redoOperation();
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

    /// Where the console window goes: 0.9 of the free space right of and below it on the screen.
    static QPoint consolePosition(const QRect &availableScreen, const QSize &windowSize);

public slots:
    /// Starts the operation with this decimal identifier; text that is not a number starts nothing.
    void operationActivated(const QString &operationId);
    void enterPressed();
    void cancelPressed();
    void undoStackChanged();
    void redoStackChanged();

private:
    QAction *windowAction(const char *objectName) const;
    void placeConsole();

    QPointer<QMainWindow> m_mainWindow;
    std::unique_ptr<Core::Workspace> m_workspace;
    std::unique_ptr<Console::CommandConsole> m_console;
    std::shared_ptr<Console::ConsoleObserver> m_consoleObserver;
    std::shared_ptr<Observers::UndoRedoObserver> m_undoObserver;
    std::shared_ptr<Observers::UndoRedoObserver> m_redoObserver;
    std::shared_ptr<OperationFactory> m_factory;
    std::shared_ptr<OperationRunner> m_runner;
};

} // namespace Ui
