#include "mainwindow.h"
#include "UI/Observers/batchrunobserver.h"
#include "UI/Observers/documentopenedobserver.h"

#include "Core/workspace.h"
#include "UI/Console/promptobserver.h"
#include "UI/Dialogs/materialconflictdialog.h"
#include "UI/Observers/selectionmodeobserver.h"
#include "UI/Observers/updateobserver.h"
#include "UI/cataloguewatcher.h"
#include "UI/cellvolumeexport.h"
#include "UI/documentcommands.h"
#include "UI/documentdialogs.h"
#include "UI/glwidget.h"
#include "UI/mainwindowpresenter.h"
#include "UI/measurementsdock.h"
#include "UI/operationfactory.h"
#include "UI/operationmapper.h"
#include "UI/promptoverlay.h"
#include "UI/surfaceexportcommand.h"
#include "UI/viewactions.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QXmlStreamReader>

#include <utility>

namespace {

struct ActionInfo {
    const char *objectName;
    const char *text;
    const char *shortcut;
    uint32_t operationId; // 0: handled by the window itself
};

// Every command of the menus. The operation identifiers are the command vocabulary of the workspace.
const ActionInfo actionTable[] = {
    {"actionNew", "New", "Ctrl+N", 0},
    {"actionOpen", "Open", "Ctrl+O", 11},
    {"actionSave", "Save", "Ctrl+S", 9},
    {"actionSave_as", "Save As ...", "Ctrl+Shift+S", 10},
    {"actionExport_Data", "Export Data", "", 37},
    {"actionExport_Cell_Volume", "Export Cell Volume...", "", 0},
    {"actionExport_Surface", "Export Surface...", "", 0},
    {"actionNew_Process_List", "New Process List", "Ctrl+Shift+N", 0},
    {"actionOpen_Process_List", "Open Process List", "Ctrl+P", 0},
    {"actionSave_Image", "Save Image", "", 0},
    {"actionExit", "Exit", "Ctrl+Q", 0},
    {"actionUndo", "Undo", "Ctrl+Z", 0},
    {"actionRedo", "Redo", "Ctrl+Y", 0},
    {"actionSelect", "Select", "", 0},
    {"actionCopy", "Copy", "Ctrl+C", 1},
    {"actionMove", "Move", "", 7},
    {"actionDelete", "Delete", "", 4},
    {"actionGrid", "Grid", "", 0},
    {"actionSnap_to_Grid", "Snap to Grid", "", 0},
    {"actionGrid_Spacing", "Grid Spacing", "", 0},
    {"actionCreate_Substrate", "Create Substrate", "", 2},
    {"actionDoping", "Doping", "", 17},
    {"actionRandom_Walk_Doping", "Random Walk Doping", "", 36},
    {"actionElectrodeposition", "Electroplating", "", 15},
    {"actionIon_Implantation", "Ion Implantation", "", 3},
    {"actionPVD", "PVD", "", 31},
    {"actionCVD", "CVD", "", 33},
    {"actionMoore_Deposition", "Moore Deposition", "", 18},
    {"actionMoore_Etching", "Moore Etching", "", 19},
    {"actionPhotolithography", "Photolithography", "", 20},
    {"actionPlanarization", "Planarization", "", 22},
    {"actionSi_Oxidation", "Si Oxidation", "", 26},
    {"actionBCA_Wet_Etching", "Si Wet Etching", "", 28},
    {"actionContinuous_Wet_Etching", "Si Wet Etching (CCA)", "", 29},
    {"actionSimple_RIE", "Simple RIE", "", 30},
    {"actionSpin_Coating", "Pour Material", "", 23},
    {"actionAnisotropic_Deposition", "Anisotropic Deposition", "", 27},
    {"actionAnisotropic_Etching", "Anisotropic Etching", "", 32},
    {"actionIsotropic_Deposition", "Isotropic Deposition", "", 13},
    {"actionIsotropic_Film_Etching", "Isotropic Etching", "", 14},
    {"actionLine_of_Sight_Deposition", "Line-of-Sight Deposition", "", 40},
    {"actionLine_of_Sight_Etching", "Line-of-Sight Etching", "", 41},
    {"actionBosch_Etching", "Bosch Etching", "", 42},
    {"actionExtract_Film", "Extract Film", "", 8},
    {"actionGlue_Substrate", "Glue Substrate", "", 12},
    {"actionBatch_Run", "Batch Run", "Ctrl+R", 24},
    {"actionManage_Materials", "Manage Materials", "", 0},
    {"actionManage_Compatible_Materials", "Manage Compatible Materials", "", 0},
    {"actionRender_Objects", "Render Objects", "", 0},
    {"actionLighting", "Lighting", "", 0},
    {"actionRender_Object_Edges", "Render Object Edges", "", 0},
    {"actionChange_Viewing_Options", "Change Cell Volume Viewing Options", "", 6},
    {"actionCut_Cell_Volume", "Cut Cell Volume", "", 16},
    {"actionMasked_Volume_Cut", "Masked Volume Cut", "", 34},
    {"actionRemove_Masked_Cuts", "Remove Masked Cuts", "", 35},
    {"actionConfigure_Window_Colors", "Configure Window Colors", "", 0},
    {"actionFront_View", "Front View", "", 0},
    {"actionBack_view", "Back View", "", 0},
    {"actionBottom_View", "Bottom View", "", 0},
    {"actionTop_View", "Top View", "", 0},
    {"actionRight_View", "Right View", "", 0},
    {"actionLeft_View", "Left View", "", 0},
    {"actionFit_to_Volumes", "Fit to Volumes", "F", 0},
    {"actionShow_Axis", "Show Axis", "", 0},
    {"actionShow_Lights", "Show Lights", "", 0},
    {"actionSet_View", "Set View", "", 0},
    {"actionSet_Lighting", "Set Lighting", "", 0},
    {"actionConsole", "Console", "", 0},
    {"actionMeasurements", "Measurements", "", 0},
    {"actionAbout_Cellforge", "About Cellforge", "", 0},
    {"actionModel_Extraction", "Model Extraction", "", 1000},
};

const ActionInfo *findAction(const QString &objectName)
{
    for (const auto &info : actionTable) {
        if (objectName == QLatin1String(info.objectName))
            return &info;
    }
    return nullptr;
}

// Menus in order; an empty entry is a separator.
struct MenuInfo {
    const char *title;
    std::initializer_list<const char *> actions;
};

const MenuInfo menuTable[] = {
    {"File",
     {"actionNew", "actionOpen", "actionSave", "actionSave_as", "", "actionExport_Data", "actionExport_Cell_Volume",
      "actionExport_Surface", "", "actionNew_Process_List", "actionOpen_Process_List", "", "actionSave_Image", "",
      "actionExit"}},
    {"Edit",
     {"actionUndo", "actionRedo", "", "actionSelect", "actionCopy", "actionMove", "actionDelete", "", "actionGrid",
      "actionSnap_to_Grid", "actionGrid_Spacing"}},
    {"Simulation",
     {"actionCreate_Substrate",
      "",
      "actionDoping",
      "actionRandom_Walk_Doping",
      "actionElectrodeposition",
      "actionIon_Implantation",
      "actionPVD",
      "actionCVD",
      "actionMoore_Deposition",
      "actionMoore_Etching",
      "actionPhotolithography",
      "actionPlanarization",
      "actionSi_Oxidation",
      "actionBCA_Wet_Etching",
      "actionContinuous_Wet_Etching",
      "actionSimple_RIE",
      "actionSpin_Coating",
      "actionAnisotropic_Deposition",
      "actionAnisotropic_Etching",
      "actionIsotropic_Deposition",
      "actionIsotropic_Film_Etching",
      "actionLine_of_Sight_Deposition",
      "actionLine_of_Sight_Etching",
      "actionBosch_Etching",
      "",
      "actionExtract_Film",
      "actionGlue_Substrate",
      "",
      "actionBatch_Run",
      "",
      "actionModel_Extraction"}},
    {"Materials", {"actionManage_Materials", "actionManage_Compatible_Materials"}},
    {"Rendering",
     {"actionRender_Objects", "actionLighting", "actionRender_Object_Edges", "", "actionChange_Viewing_Options",
      "actionCut_Cell_Volume", "actionMasked_Volume_Cut", "actionRemove_Masked_Cuts", "",
      "actionConfigure_Window_Colors"}},
    {"View",
     {"actionFront_View", "actionBack_view", "actionBottom_View", "actionTop_View", "actionRight_View",
      "actionLeft_View", "actionFit_to_Volumes", "", "actionShow_Axis", "actionShow_Lights", "", "actionSet_View",
      "actionSet_Lighting", "", "actionConsole"}},
    {"Tools", {"actionMeasurements"}},
    {"Windows", {"actionConsole"}},
    {"About", {"actionAbout_Cellforge"}},
};

// Tool tips and status tips of the actions that have them.
struct TipInfo {
    const char *objectName;
    const char *toolTip;
    const char *statusTip;
};

const TipInfo tipTable[] = {
    {"actionCreate_Substrate", "Create a substrate.", "This creates a simulation volume with a substrate inside."},
    {"actionManage_Materials", "", "Edit material names, colors and properties."},
    {"actionManage_Compatible_Materials", "", "Change what materials may be used with a certain process."},
};

// The view actions and the view each one turns to.
const std::pair<const char *, const char *> viewTable[] = {
    {"actionFront_View", "front"},   {"actionBack_view", "back"}, {"actionTop_View", "top"},
    {"actionBottom_View", "bottom"}, {"actionLeft_View", "left"}, {"actionRight_View", "right"},
    {"actionSet_View", "manual"},
};

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    createMenus();
    m_presenter = new Ui::MainWindowPresenter(this);
    m_presenter->factory().setWindowMaker(&MainWindow::newWindow);
    createView();

    Core::Workspace &ws = m_presenter->workspace();
    m_updateObserver = m_presenter->createUpdateObserver();
    connect(m_updateObserver.get(), &Ui::Observers::UpdateObserver::updateGL, this, &MainWindow::updateWindowTitle);
    connect(m_updateObserver.get(), &Ui::Observers::UpdateObserver::updateGL, m_view, &Ui::GLWidget::sceneChanged);
    m_measurements = new Ui::MeasurementsDock(ws, this);
    addDockWidget(Qt::RightDockWidgetArea, m_measurements);
    m_measurements->hide();
    connect(m_updateObserver.get(), &Ui::Observers::UpdateObserver::updateGL, m_measurements,
            &Ui::MeasurementsDock::refresh);
    m_selectionModeObserver =
        std::make_shared<Ui::Observers::SelectionModeObserver>(ws.selection(), action(QStringLiteral("actionSelect")));
    ws.selection().addObserver(m_selectionModeObserver);

    connectActions();
    createShortcuts();
    Ui::ViewActions::install(*this, *m_view);
    Ui::CellVolumeExport::install(*this, ws);
    installObserverHooks();
    updateOperationActions();
    m_presenter->undoStackChanged();
    m_presenter->redoStackChanged();
    updateWindowTitle();
    statusBar()->showMessage(tr("Ready"));
}

MainWindow::~MainWindow() = default;

QAction *MainWindow::action(const QString &objectName) const { return m_actions.value(objectName, nullptr); }

uint32_t MainWindow::operationIdentifier(const QString &objectName)
{
    const ActionInfo *info = findAction(objectName);
    return info ? info->operationId : 0;
}

QAction *MainWindow::addAction(QMenu *menu, const QString &objectName)
{
    const ActionInfo *info = findAction(objectName);
    auto *action = new QAction(info ? tr(info->text) : objectName, this);
    action->setObjectName(objectName);
    if (info && info->shortcut[0] != '\0')
        action->setShortcut(QKeySequence(QString::fromLatin1(info->shortcut)));
    for (const auto &tip : tipTable) {
        if (objectName == QLatin1String(tip.objectName)) {
            if (tip.toolTip[0] != '\0')
                action->setToolTip(QString::fromLatin1(tip.toolTip));
            action->setStatusTip(QString::fromLatin1(tip.statusTip));
        }
    }
    // Commands become available as their operations are built.
    action->setEnabled(false);
    if (menu)
        menu->addAction(action);
    m_actions.insert(objectName, action);
    return action;
}

void MainWindow::createMenus()
{
    for (const auto &menuInfo : menuTable) {
        QMenu *menu = menuBar()->addMenu(tr(menuInfo.title));
        for (const char *name : menuInfo.actions) {
            const QString objectName = QString::fromLatin1(name);
            if (name[0] == '\0')
                menu->addSeparator();
            else if (QAction *shared = action(objectName)) // an action in two menus (Console)
                menu->addAction(shared);
            else
                addAction(menu, objectName);
        }
    }
}

void MainWindow::installObserverHooks()
{
    // Operations whose options dialog lives outside the factory get their observer here.
    m_presenter->factory().setObserverMaker(24, [](Core::Workspace &workspace, QWidget *mainWindow) {
        return std::make_shared<Ui::Observers::BatchRunObserver>(workspace, mainWindow, &MainWindow::newWindow);
    });
}

Ui::Observers::OpenedWindow MainWindow::newWindow()
{
    auto *window = new MainWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    return Ui::Observers::OpenedWindow{window, &window->presenter()->workspace()};
}

void MainWindow::createView()
{
    m_view = new Ui::GLWidget(m_presenter->workspace(), this);
    setCentralWidget(m_view);
    // What a waiting operation wants is said over the view and in the status bar.
    auto *prompt = new Ui::PromptOverlay(m_view, statusBar());
    connect(m_presenter->promptObserver(), &Ui::Console::PromptObserver::promptChanged, prompt,
            &Ui::PromptOverlay::setPrompt);
    // New material colours reach this window's volumes even when another window changed them.
    connect(new Ui::CatalogueWatcher(this), &Ui::CatalogueWatcher::changed, m_view, &Ui::GLWidget::updateGL);
}

void MainWindow::setView(const QString &view) { m_view->setStandardView(view); }

void MainWindow::updateWindowTitle()
{
    const QString file = m_presenter->workspace().document().fileName();
    setWindowTitle(file.isEmpty() ? QStringLiteral("Cellforge") : Ui::documentWindowTitle(file));
}

void MainWindow::updateOperationActions()
{
    for (const auto &info : actionTable) {
        if (info.operationId != 0)
            action(QString::fromLatin1(info.objectName))->setEnabled(m_presenter->factory().serves(info.operationId));
    }
}

void MainWindow::connectActions()
{
    m_operationMapper = new Ui::OperationMapper(this);
    for (const auto &info : actionTable) {
        if (info.operationId != 0)
            m_operationMapper->addMapping(action(QString::fromLatin1(info.objectName)),
                                          QString::number(info.operationId));
    }
    connect(m_operationMapper, &Ui::OperationMapper::activated, m_presenter,
            &Ui::MainWindowPresenter::operationActivated);

    m_viewMapper = new Ui::OperationMapper(this);
    for (const auto &view : viewTable)
        m_viewMapper->addMapping(action(QString::fromLatin1(view.first)), QString::fromLatin1(view.second));
    connect(m_viewMapper, &Ui::OperationMapper::activated, this, &MainWindow::setView);

    // The commands the window handles itself.
    auto enable = [this](const char *name) {
        QAction *a = action(QString::fromLatin1(name));
        a->setEnabled(true);
        return a;
    };
    connect(enable("actionUndo"), &QAction::triggered, m_presenter, [this] { m_presenter->undoOperation(); });
    connect(enable("actionRedo"), &QAction::triggered, m_presenter, [this] { m_presenter->redoOperation(); });
    connect(enable("actionNew"), &QAction::triggered, m_presenter, [this] { m_presenter->newDocument(); });
    connect(enable("actionManage_Materials"), &QAction::triggered, m_presenter,
            [this] { m_presenter->manageMaterials(); });
    connect(enable("actionManage_Compatible_Materials"), &QAction::triggered, m_presenter,
            [this] { m_presenter->manageCompatibleMaterials(); });

    QAction *console = enable("actionConsole");
    console->setCheckable(true);
    console->setChecked(true);
    connect(console, &QAction::triggered, m_presenter, [this](bool on) { m_presenter->showConsole(on); });
    // The dock's own close button unchecks it.
    if (QDockWidget *dock = m_presenter->consoleDock())
        connect(dock->toggleViewAction(), &QAction::toggled, console, &QAction::setChecked);

    QAction *measurements = enable("actionMeasurements");
    measurements->setCheckable(true);
    connect(measurements, &QAction::triggered, m_measurements, &QWidget::setVisible);
    connect(m_measurements->toggleViewAction(), &QAction::toggled, measurements, &QAction::setChecked);

    // `triggered`, not `toggled`: the selection-mode observer sets the checked state without an echo.
    QAction *select = enable("actionSelect");
    select->setCheckable(true);
    select->setChecked(false);
    connect(select, &QAction::triggered, m_presenter, [this](bool on) { m_presenter->selectionToggled(on); });

    connect(enable("actionNew_Process_List"), &QAction::triggered, this, [this] { runProcessList(QString()); });
    connect(enable("actionOpen_Process_List"), &QAction::triggered, this, [this] {
        const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("Process List File"), QDir::homePath(),
                                                          QStringLiteral("Process List (*.plst)"));
        if (!file.isEmpty())
            runProcessList(file);
    });
    connect(enable("actionExport_Surface"), &QAction::triggered, this, [this] {
        Ui::DocumentDialogs dialogs(this);
        Ui::exportSurfaceFromWindow(m_presenter->workspace(), dialogs);
    });
    connect(enable("actionExit"), &QAction::triggered, this, &QWidget::close);
    connect(enable("actionAbout_Cellforge"), &QAction::triggered, this, &MainWindow::showAbout);
}

void MainWindow::createShortcuts()
{
    auto *enter = new QShortcut(QKeySequence(Qt::Key_Enter), this);
    connect(enter, &QShortcut::activated, m_presenter, &Ui::MainWindowPresenter::enterPressed);
    auto *ret = new QShortcut(QKeySequence(Qt::Key_Return), this);
    connect(ret, &QShortcut::activated, m_presenter, &Ui::MainWindowPresenter::enterPressed);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, m_presenter, &Ui::MainWindowPresenter::cancelPressed);
}

void MainWindow::runProcessList(const QString &fileName)
{
    Core::Workspace &workspace = m_presenter->workspace();
    Ui::Observers::BatchRunObserver::runDialog(
        workspace, this, Ui::Observers::BatchRunObserver::selectedVolume(workspace), &MainWindow::newWindow, fileName);
}

bool MainWindow::isProcessList(const QString &fileName)
{
    if (QFileInfo(fileName).suffix().compare(QLatin1String("plst"), Qt::CaseInsensitive) == 0)
        return true;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QXmlStreamReader reader(&file);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement)
            return reader.name() == QLatin1String("Process-List");
    }
    return false;
}

void MainWindow::openFromCommandLine(const QString &fileName)
{
    if (isProcessList(fileName)) {
        // Queued, so that the window is on the screen behind the modal dialog.
        QTimer::singleShot(0, this, [this, fileName] { runProcessList(fileName); });
        return;
    }
    Ui::DocumentDialogs dialogs(this);
    Ui::loadDocumentIntoWindow(this, m_presenter->workspace(), fileName, Ui::MaterialConflictDialog::resolver(this),
                               dialogs);
}

void MainWindow::showAbout()
{
    QMessageBox::about(this, tr("About Cellforge"),
                       tr("<b>Cellforge</b> %1<br>A simulator of MEMS micro-fabrication process steps on a "
                          "volume of cubic cells.")
                           .arg(QApplication::applicationVersion()));
}
