#include "UI/BatchRun/runprocessesdialog.h"

#include "Core/BatchRun/layoutmaskstep.h"
#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processvocabulary.h"
#include "Core/workspace.h"
#include "UI/BatchRun/imagesfolderfield.h"
#include "UI/BatchRun/listrun.h"
#include "UI/BatchRun/movetodialog.h"
#include "UI/BatchRun/runlog.h"
#include "UI/BatchRun/stepeditor.h"
#include "UI/BatchRun/steptree.h"
#include "UI/Dialogs/maskfilegroup.h"
#include "UI/Dialogs/materialconflictdialog.h"
#include "UI/documentdialogs.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace Ui {

using Core::Processes::ProcessStep;

namespace {

using namespace Core::BatchRun;

} // namespace

RunProcessesDialog::RunProcessesDialog(QWidget *mainWindow, const Model::Automaton::TotalVolumePtr &target,
                                       Core::Workspace &workspace, const StepRegistry &registry)
    : QDialog(mainWindow)
    , m_mainWindow(mainWindow)
    , m_target(target)
    , m_workspace(workspace)
{
    setObjectName(QStringLiteral("RunProcessesDialog"));
    m_baseTitle = QStringLiteral("Batch Run");
    setWindowTitle(m_baseTitle);

    m_tree = new StepTree;

    m_cbxProcess = new QComboBox;
    m_cbxProcess->setObjectName(QStringLiteral("cbxProcess"));
    for (const auto &entry : addableProcesses())
        m_cbxProcess->addItem(entry.first, entry.second);

    auto button = [this](const char *name, const char *text, void (RunProcessesDialog::*clicked)()) {
        auto *b = new QPushButton(QLatin1String(text));
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, clicked);
        return b;
    };
    using D = RunProcessesDialog;
    QPushButton *btnAddProcess = button("btnAddProcess", "Add Process", &D::on_btnAddProcess_clicked);
    QPushButton *btnRemoveProcess = button("btnRemoveProcess", "Remove Process", &D::on_btnRemoveProcess_clicked);
    QPushButton *btnModify = button("btnModify", "Modify", &D::on_btnModify_clicked);
    QPushButton *btnMoveUp = button("btnMoveUp", "Move Up", &D::on_btnMoveUp_clicked);
    QPushButton *btnMoveDown = button("btnMoveDown", "Move Down", &D::on_btnMoveDown_clicked);
    QPushButton *btnMoveTo = button("btnMoveTo", "Move To", &D::on_btnMoveTo_clicked);
    QPushButton *btnNewList = button("btnNewList", "New List", &D::on_btnNewList_clicked);
    QPushButton *btnLoadList = button("btnLoadList", "Load List", &D::on_btnLoadList_clicked);
    QPushButton *btnSaveList = button("btnSaveList", "Save List", &D::on_btnSaveList_clicked);
    QPushButton *btnSaveListAs = button("btnSaveListAs", "Save List As ...", &D::on_btnSaveListAs_clicked);
    QPushButton *btnRun = button("btnRun", "Run", &D::on_btnRun_clicked);
    m_btnStop = button("btnStop", "Stop", &D::on_btnStop_clicked);
    m_btnStop->setEnabled(false);
    QPushButton *btnClose = button("btnClose", "Close", &D::on_btnClose_clicked);

    m_chkNewWindow = new QCheckBox(QStringLiteral("Run in a new window"));
    m_chkNewWindow->setObjectName(QStringLiteral("chkNewWindow"));
    m_chkNewWindow->setToolTip(QStringLiteral("The list's result goes to a new window; a selected cell volume is "
                                              "copied there first, this window stays as it is."));
    m_chkNewWindow->setEnabled(false);

    m_progressBar = new QProgressBar;
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setValue(0);
    m_progressBar->setEnabled(false);

    auto *side = new QVBoxLayout;
    side->addWidget(m_cbxProcess);
    for (QPushButton *b : {btnAddProcess, btnRemoveProcess, btnModify, btnMoveUp, btnMoveDown, btnMoveTo})
        side->addWidget(b);
    side->addSpacing(12);
    for (QPushButton *b : {btnNewList, btnLoadList, btnSaveList, btnSaveListAs})
        side->addWidget(b);
    side->addStretch();
    auto *top = new QHBoxLayout;
    top->addWidget(m_tree, 1);
    top->addLayout(side);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_progressBar, 1);
    bottom->addWidget(m_chkNewWindow);
    bottom->addWidget(btnRun);
    bottom->addWidget(m_btnStop);
    bottom->addWidget(btnClose);
    m_log = new RunLog;
    m_log->setFixedHeight(110);
    m_run = std::make_unique<ListRun>(registry, *m_log, ListRun::Place{mainWindow, &workspace, nullptr, target});
    m_imagesFolder = new ImagesFolderField;
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(m_log);
    layout->addWidget(m_imagesFolder);
    layout->addLayout(bottom);
    resize(720, 560);

    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, &RunProcessesDialog::on_treeWidget_itemDoubleClicked);
    connect(m_tree, &QTreeWidget::itemExpanded, this, &RunProcessesDialog::on_treeWidget_itemExpanded);
    connect(m_tree, &QTreeWidget::itemCollapsed, this, &RunProcessesDialog::on_treeWidget_itemCollapsed);
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, &RunProcessesDialog::selectionChanged);

    m_progressTimer.setInterval(500);
    m_progressTimer.setSingleShot(true);
    connect(&m_progressTimer, &QTimer::timeout, this, &RunProcessesDialog::updateProgress);
}

RunProcessesDialog::~RunProcessesDialog()
{
    // The worker refers to this dialog; it must have returned before the dialog goes.
    waitForWorker();
}

void RunProcessesDialog::setWindowMaker(const WindowMaker &maker)
{
    m_windowMaker = maker;
    m_chkNewWindow->setEnabled(bool(maker));
}

void RunProcessesDialog::setSteps(const QList<ProcessStep> &steps)
{
    m_steps = steps;
    rebuildTree();
}

bool RunProcessesDialog::isRunning() { return m_run->isRunning(); }

void RunProcessesDialog::waitForWorker() { m_run->waitForWorker(); }

// ---- list view ----

void RunProcessesDialog::rebuildTree() { m_tree->showSteps(m_steps); }

void RunProcessesDialog::updateTitle()
{
    setWindowTitle(m_currentFileName.isEmpty() ? m_baseTitle : m_baseTitle + QLatin1Char(' ') + m_currentFileName);
}

int RunProcessesDialog::indexOfSerial(uint32_t serial) const
{
    for (int i = 0; i < m_steps.size(); ++i) {
        if (m_steps[i].getSerialNumber() == serial)
            return i;
    }
    return -1;
}

int RunProcessesDialog::firstSelectedStep() const
{
    const auto serial = m_tree->firstSelectedSerial();
    return serial ? indexOfSerial(*serial) : -1;
}

void RunProcessesDialog::makeCurrent(uint32_t serial)
{
    const int index = indexOfSerial(serial);
    if (index >= 0)
        m_tree->setCurrentItem(m_tree->topLevelItem(index));
}

void RunProcessesDialog::on_treeWidget_itemExpanded(QTreeWidgetItem *item)
{
    const auto serial = StepTree::serialOf(item);
    const int index = serial ? indexOfSerial(*serial) : -1;
    if (index >= 0)
        m_steps[index].setExpanded(true);
}

void RunProcessesDialog::on_treeWidget_itemCollapsed(QTreeWidgetItem *item)
{
    const auto serial = StepTree::serialOf(item);
    const int index = serial ? indexOfSerial(*serial) : -1;
    if (index >= 0)
        m_steps[index].setExpanded(false);
}

void RunProcessesDialog::selectionChanged()
{
    const auto selected = m_tree->selectedItems();
    if (!selected.isEmpty() && selected.first()->parent())
        m_tree->clearSelection();
}

// ---- editing ----

bool RunProcessesDialog::editStep(ProcessStep &step, bool adding)
{
    const auto [columnsX, columnsY] = listColumns(m_target.get(), m_steps);
    if (!Ui::editStep(this, step, adding, columnsX, columnsY, m_imagesFolder->folder(), listFolder()))
        return false;
    // A layout that the list cannot name is kept as its bitmap: say so, since it is not read again.
    if (step.getProcessType() == Photolithography && !LayoutMaskStep::named(step) &&
        Operations::MaskFileGroup::isLayoutFile(step.getParameters().value(QStringLiteral("Top Mask File")).toString()))
        m_log->post(QStringLiteral("note: the top mask's layout lies outside the list's folder (or the list is not "
                                   "saved yet): the step keeps the mask as a bitmap and does not read the layout "
                                   "again when the list runs."));
    return true;
}

QString RunProcessesDialog::listFolder() const
{
    return m_currentFileName.isEmpty() ? QString() : QFileInfo(m_currentFileName).absolutePath();
}

void RunProcessesDialog::on_btnAddProcess_clicked()
{
    ProcessStep step(m_cbxProcess->currentData().toInt());
    if (!editStep(step, true))
        return;
    m_steps.append(step);
    rebuildTree();
}

void RunProcessesDialog::modifyStep(int index)
{
    if (index < 0 || index >= m_steps.size())
        return;
    ProcessStep step = m_steps[index];
    if (!editStep(step, false))
        return;
    m_steps[index] = step;
    rebuildTree();
}

void RunProcessesDialog::on_btnModify_clicked() { modifyStep(firstSelectedStep()); }

void RunProcessesDialog::on_treeWidget_itemDoubleClicked(QTreeWidgetItem *item, int)
{
    if (!item)
        return;
    modifyStep(indexOfSerial(StepTree::stepSerialOf(item)));
}

void RunProcessesDialog::on_btnRemoveProcess_clicked()
{
    const QList<uint32_t> serials = m_tree->selectedStepSerials();
    if (serials.isEmpty())
        return;
    for (uint32_t serial : serials) {
        const int index = indexOfSerial(serial);
        if (index >= 0)
            m_steps.removeAt(index);
    }
    rebuildTree();
}

void RunProcessesDialog::on_btnMoveUp_clicked()
{
    const int index = firstSelectedStep();
    if (index <= 0)
        return;
    const uint32_t serial = m_steps[index].getSerialNumber();
    m_steps.swapItemsAt(index, index - 1);
    rebuildTree();
    makeCurrent(serial);
}

void RunProcessesDialog::on_btnMoveDown_clicked()
{
    const int index = firstSelectedStep();
    if (index < 0 || index + 1 >= m_steps.size())
        return;
    const uint32_t serial = m_steps[index].getSerialNumber();
    m_steps.swapItemsAt(index, index + 1);
    rebuildTree();
    makeCurrent(serial);
}

bool RunProcessesDialog::chooseMoveTarget(uint32_t moving, uint32_t &target, bool &before)
{
    UtilDialog::MoveTo dialog(m_steps, moving, this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    target = dialog.chosenSerialNumber();
    before = dialog.before();
    return true;
}

void RunProcessesDialog::on_btnMoveTo_clicked()
{
    const int index = firstSelectedStep();
    if (index < 0)
        return;
    const uint32_t serial = m_steps[index].getSerialNumber();
    uint32_t targetSerial = 0;
    bool before = false;
    if (!chooseMoveTarget(serial, targetSerial, before) || targetSerial == serial || indexOfSerial(targetSerial) < 0)
        return;
    const ProcessStep moving = m_steps.takeAt(index);
    const int targetIndex = indexOfSerial(targetSerial);
    m_steps.insert(before ? targetIndex : targetIndex + 1, moving);
    rebuildTree();
    makeCurrent(serial);
}

// ---- files ----

QMessageBox::StandardButton RunProcessesDialog::askNewList()
{
    QMessageBox box(this);
    box.setText(QStringLiteral("Creating a new process list."));
    box.setInformativeText(QStringLiteral("You will lose any unsaved changes, do you wish to continue?"));
    box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Save);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void RunProcessesDialog::on_btnNewList_clicked()
{
    if (m_steps.isEmpty())
        return;
    switch (askNewList()) {
    case QMessageBox::Save:
        on_btnSaveList_clicked();
        break;
    case QMessageBox::Discard:
        break;
    case QMessageBox::Cancel:
        return;
    default:
        qDebug() << "UI/BatchRun/runprocessesdialog" << Q_FUNC_INFO
                 << "Run process create new list message box returned unexpected value.";
        return;
    }
    m_steps.clear();
    m_currentFileName.clear();
    m_imagesFolder->setListFile(QString());
    updateTitle();
    rebuildTree();
}

QString RunProcessesDialog::chooseListToOpen()
{
    return QFileDialog::getOpenFileName(this, QStringLiteral("Process List File"), QDir::homePath(),
                                        QStringLiteral("Process List (*.plst)"));
}

QString RunProcessesDialog::chooseListToSave()
{
    return DocumentDialogs::askSaveFileName(this, QStringLiteral("Process List File"),
                                            m_currentFileName.isEmpty() ? QDir::homePath() : m_currentFileName,
                                            QStringLiteral("Process List (*.plst)"));
}

ProcessListFile::ConflictAnswer RunProcessesDialog::resolveConflict(const Model::Materials::Material &existing,
                                                                    const Model::Materials::Material &loaded)
{
    return ProcessListFile::answerOf(MaterialConflictDialog::ask(existing, loaded, nullptr));
}

bool RunProcessesDialog::loadList(const QString &fileName)
{
    ProcessListFile file;
    file.setConflictResolver(
        [this](const Model::Materials::Material &existing, const Model::Materials::Material &loaded) {
            return resolveConflict(existing, loaded);
        });
    m_loadError.clear();
    if (!file.load(fileName)) {
        m_loadError = file.errorString();
        return false;
    }
    if (file.wasUpgraded())
        showMessage(QMessageBox::Warning, ProcessListFile::upgradeTitle(), ProcessListFile::upgradeText());
    if (!file.materialReport().isEmpty())
        showMessage(QMessageBox::Information, QStringLiteral("Materials of the Process List"),
                    QStringLiteral("Some materials of the list differ from the material catalogue."),
                    file.materialReport().join(QLatin1Char('\n')));
    m_steps = file.steps();
    m_currentFileName = fileName;
    m_imagesFolder->setListFile(fileName);
    rebuildTree();
    updateTitle();
    return true;
}

bool RunProcessesDialog::saveList(const QString &fileName)
{
    ProcessListFile file(m_steps);
    if (!file.save(fileName)) {
        showMessage(QMessageBox::Warning, QStringLiteral("Save Process List"), file.errorString());
        return false;
    }
    m_currentFileName = fileName;
    m_imagesFolder->setListFile(fileName);
    updateTitle();
    return true;
}

void RunProcessesDialog::on_btnLoadList_clicked()
{
    const QString fileName = chooseListToOpen();
    if (!fileName.isEmpty())
        loadList(fileName);
}

void RunProcessesDialog::on_btnSaveList_clicked()
{
    if (m_currentFileName.isEmpty())
        on_btnSaveListAs_clicked();
    else
        saveList(m_currentFileName);
}

void RunProcessesDialog::on_btnSaveListAs_clicked()
{
    const QString fileName = chooseListToSave();
    if (!fileName.isEmpty())
        saveList(fileName);
}

// ---- running ----

bool RunProcessesDialog::askReplaceImages(const QStringList &files)
{
    QMessageBox box(QMessageBox::Question, m_baseTitle,
                    QStringLiteral("The list saves images over files that exist. Replace them?"),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setInformativeText(files.join(QLatin1Char('\n')));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool RunProcessesDialog::prepareImages(ImageFolder &images)
{
    images = ImageFolder(m_imagesFolder->folder());
    QStringList refused;
    QStringList existing;
    for (const ImageFolder::Finding &finding : images.check(m_steps))
        (finding.existingFile ? existing : refused) << finding.text;
    if (!refused.isEmpty()) {
        showMessage(QMessageBox::Warning, m_baseTitle,
                    QStringLiteral("The list was not run: its images cannot be saved in the images folder \"%1\".")
                        .arg(images.folder()),
                    refused.join(QLatin1Char('\n')));
        return false;
    }
    if (!existing.isEmpty()) {
        if (!askReplaceImages(existing))
            return false;
        images = ImageFolder(images.folder(), true);
    }
    return true;
}

void RunProcessesDialog::on_btnRun_clicked()
{
    ImageFolder images;
    if (isRunning() || !prepareImages(images) || !m_run->lock())
        return;
    if (!prepareRunWindow()) {
        m_run->unlock();
        return;
    }
    m_progressBar->setValue(0);
    m_progressBar->setEnabled(true);
    m_progressBar->setRange(0, m_steps.size() * progressPerStep);
    m_log->clear();
    const ListRun::Place &place = m_run->place();
    if (place.workspace != &m_workspace)
        m_log->appendPlainText(place.target ? QStringLiteral("The list runs in a new window, on a copy of the "
                                                             "selected cell volume.")
                                            : QStringLiteral("The list runs in a new window."));
    m_run->start(m_steps, images, listFolder());
    m_btnStop->setEnabled(true);
    m_progressTimer.start();
}

bool RunProcessesDialog::prepareRunWindow()
{
    ListRun::Place &place = m_run->place();
    place = ListRun::Place{m_mainWindow, &m_workspace, m_screenshot, m_target};
    if (!m_chkNewWindow->isChecked())
        return true;
    const RunWindow made = m_windowMaker ? m_windowMaker() : RunWindow();
    if (!made.window || !made.workspace) {
        showMessage(QMessageBox::Warning, m_baseTitle, QStringLiteral("No new window could be made for the list."));
        return false;
    }
    // The new window must not hide this dialog, which stays modal while the list runs.
    raise();
    activateWindow();
    place = ListRun::Place{made.window, made.workspace, made.screenshot, nullptr};
    if (m_target) {
        try {
            place.target = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(m_target->clone());
        } catch (const std::exception &) {
            showMessage(QMessageBox::Warning, m_baseTitle,
                        QStringLiteral("The selected cell volume could not be copied to the new window: there is "
                                       "not enough memory."));
            return false;
        }
        made.workspace->document().addObject(place.target);
    }
    return true;
}

void RunProcessesDialog::on_btnStop_clicked()
{
    if (isRunning())
        m_run->requestStop();
}

void RunProcessesDialog::updateProgress()
{
    m_progressBar->setValue(m_run->progressValue());
    if (!m_run->lock()) {
        m_log->showPosted();
        m_progressTimer.start();
        return;
    }
    m_progressTimer.stop();
    m_btnStop->setEnabled(false);
    // After the worker let go: every line it posted is there to show.
    m_log->showPosted();
    const RunSummary summary = m_run->summary();
    if (summary.stopped)
        m_log->appendPlainText(
            QStringLiteral("Stopped: %1 of %2 steps ran.").arg(summary.done).arg(m_run->stepCount()));
    const ListRun::Place &place = m_run->place();
    if (place.target) {
        place.workspace->regenerateSurface(place.target);
        place.workspace->notifyUpdate();
    }
    m_run->record(summary);
    if (place.workspace == &m_workspace)
        m_target = place.target;
    if (summary.failedIndex >= 0) {
        // The user sees which step stopped the run and why, not only the debug log.
        const StepRecord &f = summary.failure;
        showMessage(
            QMessageBox::Warning, m_baseTitle,
            QStringLiteral("Could not run process %1 (step %2) : %3").arg(f.name).arg(f.index + 1).arg(f.message),
            f.detail);
    } else if (!place.target) {
        const QString text = QStringLiteral("No cell volume was selected and a cell volume was not created. The cell "
                                            "volume must be created before any other process.");
        m_log->appendPlainText(text);
        showMessage(QMessageBox::Critical, QStringLiteral("Missing Cell Volume"), text);
        m_run->forgetDone();
    }
    m_progressBar->setValue(m_run->doneCount() * progressPerStep);
    m_run->unlock();
}

void RunProcessesDialog::showMessage(QMessageBox::Icon icon, const QString &title, const QString &text,
                                     const QString &informative)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, this);
    if (!informative.isEmpty())
        box.setInformativeText(informative);
    box.exec();
}

void RunProcessesDialog::on_btnClose_clicked()
{
    if (isRunning())
        return;
    accept();
}

void RunProcessesDialog::closeEvent(QCloseEvent *event)
{
    if (isRunning()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void RunProcessesDialog::reject()
{
    if (!isRunning())
        QDialog::reject();
}

} // namespace Ui
