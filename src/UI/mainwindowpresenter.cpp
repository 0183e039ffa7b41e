#include "UI/mainwindowpresenter.h"

#include "Core/workspace.h"
#include "UI/Console/commandconsole.h"
#include "UI/Console/consoleobserver.h"
#include "UI/Console/promptobserver.h"
#include "UI/Dialogs/editcompatiblematerialsdialog.h"
#include "UI/Dialogs/managematerialsdialog.h"
#include "UI/Observers/undoredoobserver.h"
#include "UI/Observers/updateobserver.h"
#include "UI/busyindicator.h"
#include "UI/operationfactory.h"
#include "UI/operationrunner.h"

#include <QAction>
#include <QDockWidget>
#include <QMainWindow>
#include <QMessageBox>

namespace Ui {

MainWindowPresenter::MainWindowPresenter(QMainWindow *mainWindow)
    : QObject(mainWindow)
    , m_mainWindow(mainWindow)
    , m_workspace(std::make_unique<Core::Workspace>())
{
    m_workspace->setErrorReporter(
        [this](const QString &title, const QString &text) { QMessageBox::critical(m_mainWindow, title, text); });
    m_workspace->setBusyIndicator(std::make_shared<BusyIndicator>(mainWindow));
    m_runner = std::make_shared<OperationRunner>(mainWindow);
    m_workspace->setJobRunner(m_runner);

    m_console = new Console::CommandConsole(m_workspace->console());
    m_consoleObserver = std::make_shared<Console::ConsoleObserver>(m_workspace->console());
    m_workspace->console().addObserver(m_consoleObserver);
    connect(m_consoleObserver.get(), &Console::ConsoleObserver::messageWritten, m_console.data(),
            &Console::CommandConsole::writeMessage);
    m_promptObserver = std::make_shared<Console::PromptObserver>(m_workspace->console());
    m_workspace->console().addPromptObserver(m_promptObserver);
    dockConsole();
    m_workspace->setAsker([this](const QString &title, const QString &text) {
        const auto answer =
            QMessageBox::question(m_mainWindow, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        return answer == QMessageBox::Yes ? Core::Workspace::Answer::Yes : Core::Workspace::Answer::No;
    });

    m_undoObserver = std::make_shared<Observers::UndoRedoObserver>();
    m_workspace->undoRedo().addUndoObserver(m_undoObserver);
    connect(m_undoObserver.get(), &Observers::UndoRedoObserver::stackChanged, this,
            &MainWindowPresenter::undoStackChanged);
    m_redoObserver = std::make_shared<Observers::UndoRedoObserver>();
    m_workspace->undoRedo().addRedoObserver(m_redoObserver);
    connect(m_redoObserver.get(), &Observers::UndoRedoObserver::stackChanged, this,
            &MainWindowPresenter::redoStackChanged);

    m_factory = std::make_shared<OperationFactory>(*m_workspace, mainWindow);
    m_workspace->setOperationFactory(m_factory);
}

MainWindowPresenter::~MainWindowPresenter()
{
    // Operations and dialogs refer to the workspace: it goes last, after the console.
    m_workspace->setErrorReporter({});
    m_workspace->setAsker({});
    delete m_consoleDock.data();
    delete m_console.data();
}

Console::CommandConsole *MainWindowPresenter::console() const { return m_console.data(); }

QDockWidget *MainWindowPresenter::consoleDock() const { return m_consoleDock.data(); }

void MainWindowPresenter::dockConsole()
{
    // Part of its window: it moves, hides and closes with it, and never hides behind another one.
    if (!m_mainWindow)
        return;
    m_consoleDock = new QDockWidget(QStringLiteral("Console"), m_mainWindow);
    m_consoleDock->setObjectName(QStringLiteral("dockConsole"));
    m_consoleDock->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
    m_consoleDock->setWidget(m_console);
    m_mainWindow->addDockWidget(Qt::BottomDockWidgetArea, m_consoleDock);
}

QAction *MainWindowPresenter::windowAction(const char *objectName) const
{
    return m_mainWindow ? m_mainWindow->findChild<QAction *>(QLatin1String(objectName)) : nullptr;
}

void MainWindowPresenter::operationActivated(const QString &operationId)
{
    bool ok = false;
    const uint identifier = operationId.toUInt(&ok, 10);
    m_workspace->startOperation(ok ? identifier : 0);
}

void MainWindowPresenter::enterPressed() { m_console->enterPressed(); }

void MainWindowPresenter::cancelPressed()
{
    m_workspace->cancelCurrentOperation();
    m_workspace->selection().clearSelection();
    m_workspace->notifyUpdate();
}

void MainWindowPresenter::undoStackChanged()
{
    if (QAction *undo = windowAction("actionUndo")) {
        const QString name = m_workspace->undoRedo().undoName();
        undo->setText(QStringLiteral("Undo ") + name);
        undo->setEnabled(!name.isEmpty());
    }
}

void MainWindowPresenter::redoStackChanged()
{
    if (QAction *redo = windowAction("actionRedo")) {
        const QString name = m_workspace->undoRedo().redoName();
        redo->setText(QStringLiteral("Redo ") + name);
        redo->setEnabled(!name.isEmpty());
    }
}

void MainWindowPresenter::undoOperation() { m_workspace->undoRedo().undo(); }

void MainWindowPresenter::redoOperation() { m_workspace->undoRedo().redo(); }

void MainWindowPresenter::showConsole(bool visible)
{
    if (m_consoleDock)
        m_consoleDock->setVisible(visible);
}

void MainWindowPresenter::selectionToggled(bool on)
{
    if (m_workspace->selection().isSelectionMode() != on)
        m_workspace->selection().setSelectionMode(on);
}

void MainWindowPresenter::newDocument()
{
    const auto answer = QMessageBox::question(m_mainWindow, QStringLiteral("Create new document"),
                                              QStringLiteral("This will erase all data. Continue?"),
                                              QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel);
    if (answer == QMessageBox::Ok)
        clearDocument();
}

void MainWindowPresenter::clearDocument() { m_workspace->newDocument(); }

void MainWindowPresenter::manageMaterials()
{
    ManageMaterialsDialog dialog(m_mainWindow);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString error = ManageMaterialsDialog::storeMaterials(dialog.materials());
    if (!error.isEmpty())
        QMessageBox::warning(m_mainWindow, QStringLiteral("Manage Materials"), error);
    // The view takes the new colours on its next redraw.
    m_workspace->selection().clearSelection();
    m_workspace->notifyUpdate();
}

void MainWindowPresenter::manageCompatibleMaterials()
{
    EditCompatibleMaterialsDialog dialog(m_mainWindow);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString error = EditCompatibleMaterialsDialog::storeProcesses(dialog.processes());
    if (!error.isEmpty())
        QMessageBox::warning(m_mainWindow, QStringLiteral("Edit Compatible Materials"), error);
}

std::shared_ptr<Observers::UpdateObserver> MainWindowPresenter::createUpdateObserver()
{
    auto observer = std::make_shared<Observers::UpdateObserver>();
    m_workspace->addUpdateObserver(observer);
    return observer;
}

} // namespace Ui
