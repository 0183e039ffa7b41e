#include "mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>

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
    {"actionShow_Axis", "Show Axis", "", 0},
    {"actionShow_Lights", "Show Lights", "", 0},
    {"actionSet_View", "Set View", "", 0},
    {"actionSet_Lighting", "Set Lighting", "", 0},
    {"actionConsole", "Console", "", 0},
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
     {"actionNew", "actionOpen", "actionSave", "actionSave_as", "", "actionExport_Data", "", "actionNew_Process_List",
      "actionOpen_Process_List", "", "actionSave_Image", "", "actionExit"}},
    {"Edit",
     {"actionUndo", "actionRedo", "", "actionSelect", "actionCopy", "actionMove", "actionDelete", "", "actionGrid",
      "actionSnap_to_Grid", "actionGrid_Spacing"}},
    {"Simulation",
     {"actionCreate_Substrate", "", "actionDoping", "actionRandom_Walk_Doping", "actionElectrodeposition",
      "actionIon_Implantation", "actionPVD", "actionCVD", "actionMoore_Deposition", "actionMoore_Etching",
      "actionPhotolithography", "actionPlanarization", "actionSi_Oxidation", "actionBCA_Wet_Etching",
      "actionContinuous_Wet_Etching", "actionSimple_RIE", "actionSpin_Coating", "actionAnisotropic_Deposition",
      "actionAnisotropic_Etching", "actionIsotropic_Deposition", "actionIsotropic_Film_Etching", "",
      "actionExtract_Film", "actionGlue_Substrate", "", "actionBatch_Run"}},
    {"Materials", {"actionManage_Materials", "actionManage_Compatible_Materials"}},
    {"Rendering",
     {"actionRender_Objects", "actionLighting", "actionRender_Object_Edges", "", "actionChange_Viewing_Options",
      "actionCut_Cell_Volume", "actionMasked_Volume_Cut", "actionRemove_Masked_Cuts", "",
      "actionConfigure_Window_Colors"}},
    {"View",
     {"actionFront_View", "actionBack_view", "actionBottom_View", "actionTop_View", "actionRight_View",
      "actionLeft_View", "", "actionShow_Axis", "actionShow_Lights", "", "actionSet_View", "actionSet_Lighting"}},
    {"Windows", {"actionConsole"}},
    {"About", {"actionAbout_Cellforge"}},
};

} // namespace

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Cellforge"));
    createMenus();
    auto *placeholder = new QLabel(tr("No view yet"), this);
    placeholder->setAlignment(Qt::AlignCenter);
    setCentralWidget(placeholder);
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
            if (name[0] == '\0')
                menu->addSeparator();
            else
                addAction(menu, QString::fromLatin1(name));
        }
    }
    addAction(nullptr, QStringLiteral("actionModel_Extraction"));

    QAction *exit = action(QStringLiteral("actionExit"));
    exit->setEnabled(true);
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QAction *about = action(QStringLiteral("actionAbout_Cellforge"));
    about->setEnabled(true);
    connect(about, &QAction::triggered, this, [this] {
        QMessageBox::about(this, tr("About Cellforge"),
                           tr("<b>Cellforge</b> %1<br>A simulator of MEMS micro-fabrication process steps on a "
                              "volume of cubic cells.")
                               .arg(QApplication::applicationVersion()));
    });
}
