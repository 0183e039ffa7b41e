#pragma once

#include <QHash>
#include <QMainWindow>

#include <memory>

class QAction;

namespace Ui {
class GLWidget;
class MainWindowPresenter;
class MeasurementsDock;
class OperationMapper;
namespace Observers {
struct OpenedWindow;
class SelectionModeObserver;
class UpdateObserver;
} // namespace Observers
} // namespace Ui

/// The application window: the menu bar with every command of the program and, in the centre,
/// the view of the document. Commands go to the presenter, which owns the workspace.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    /// The menu action with that object name (e.g. "actionCreate_Substrate"), or null.
    QAction *action(const QString &objectName) const;
    /// The operation identifier a menu action starts; 0 for actions the window handles itself.
    static uint32_t operationIdentifier(const QString &objectName);

    Ui::MainWindowPresenter *presenter() const { return m_presenter; }
    /// The 3D view in the centre of the window.
    Ui::GLWidget *view() const { return m_view; }
    /// Tools > Measurements.
    Ui::MeasurementsDock *measurements() const { return m_measurements; }
    /// Enables exactly the operation actions whose identifier the factory serves
    /// (call again after supplying an observer to the factory).
    void updateOperationActions();
    /// Opens the "Batch Run" dialog for the selected cell volume (or none), with the list of
    /// `fileName` loaded when it is not empty.
    void runProcessList(const QString &fileName);
    /// Opens a file named on the command line: a process list (a `.plst` file, or XML whose root
    /// element is "Process-List") in the "Batch Run" dialog once the event loop runs, anything
    /// else as a document in this window, with File > Open's messages.
    void openFromCommandLine(const QString &fileName);
    /// True when `fileName` is to be opened as a process list.
    static bool isProcessList(const QString &fileName);
    /// A new main window, which deletes itself when closed, and its workspace (not shown yet):
    /// where opened documents and lists run in a new window go.
    static Ui::Observers::OpenedWindow newWindow();

public slots:
    /// Turns the view to "front", "back", "top", "bottom", "left", "right" or "manual".
    void setView(const QString &view);
    /// "Cellforge" without a document file, else the file's name followed by " - Cellforge".
    void updateWindowTitle();

private:
    void createMenus();
    QAction *addAction(QMenu *menu, const QString &objectName);
    /// The central widget; the 3D view replaces the placeholder made here.
    void createView();
    void connectActions();
    /// Supplies the factory with the observers of dialogs built elsewhere.
    void installObserverHooks();
    void createShortcuts();
    void showAbout();

    QHash<QString, QAction *> m_actions;
    Ui::MainWindowPresenter *m_presenter = nullptr;
    Ui::GLWidget *m_view = nullptr;
    Ui::MeasurementsDock *m_measurements = nullptr;
    Ui::OperationMapper *m_operationMapper = nullptr;
    Ui::OperationMapper *m_viewMapper = nullptr;
    std::shared_ptr<Ui::Observers::UpdateObserver> m_updateObserver;
    std::shared_ptr<Ui::Observers::SelectionModeObserver> m_selectionModeObserver;
};
