#include "UI/BatchRun/runprocessesdialog.h"

#include "Core/BatchRun/layoutmaskstep.h"
#include "Core/BatchRun/listrunstep.h"
#include "Core/BatchRun/offscreenimage.h"
#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processvocabulary.h"
#include "Core/workspace.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "UI/BatchRun/imagesfolderfield.h"
#include "UI/BatchRun/movetodialog.h"
#include "UI/BatchRun/runlog.h"
#include "UI/BatchRun/stepeditor.h"
#include "UI/Dialogs/maskfilegroup.h"
#include "UI/Dialogs/materialconflictdialog.h"
#include "UI/documentdialogs.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDebug>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QThreadPool>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtConcurrent>

#include <algorithm>

namespace Ui {

using Core::Processes::ProcessStep;

namespace {

using namespace Core::BatchRun;

constexpr int SerialRole = Qt::UserRole;

QString valueText(const QVariant &value)
{
    if (value.userType() == qMetaTypeId<Util::Vector3D>()) {
        const auto v = value.value<Util::Vector3D>();
        return QStringLiteral("(%1, %2, %3)").arg(v.x).arg(v.y).arg(v.z);
    }
    if (value.userType() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    return value.toString();
}

} // namespace

RunProcessesDialog::RunProcessesDialog(QWidget *mainWindow, const Model::Automaton::TotalVolumePtr &target,
                                       Core::Workspace &workspace, const StepRegistry &registry)
    : QDialog(mainWindow)
    , m_mainWindow(mainWindow)
    , m_target(target)
    , m_workspace(workspace)
    , m_registry(registry)
    , m_runWorkspace(&workspace)
    , m_runWindow(mainWindow)
    , m_runTarget(target)
{
    setObjectName(QStringLiteral("RunProcessesDialog"));
    m_baseTitle = QStringLiteral("Batch Run");
    setWindowTitle(m_baseTitle);

    m_tree = new QTreeWidget;
    m_tree->setObjectName(QStringLiteral("treeWidget"));
    m_tree->setColumnCount(4);
    m_tree->setHeaderLabels(
        {QStringLiteral("Step"), QStringLiteral("Process"), QStringLiteral("Parameter"), QStringLiteral("Value")});
    m_tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_tree->setIconSize(QSize(25, 25));

    m_cbxProcess = new QComboBox;
    m_cbxProcess->setObjectName(QStringLiteral("cbxProcess"));
    for (const auto &entry : addableProcesses())
        m_cbxProcess->addItem(entry.first, entry.second);

    auto button = [](const char *name, const char *text) {
        auto *b = new QPushButton(QLatin1String(text));
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton *btnAddProcess = button("btnAddProcess", "Add Process");
    QPushButton *btnRemoveProcess = button("btnRemoveProcess", "Remove Process");
    QPushButton *btnModify = button("btnModify", "Modify");
    QPushButton *btnMoveUp = button("btnMoveUp", "Move Up");
    QPushButton *btnMoveDown = button("btnMoveDown", "Move Down");
    QPushButton *btnMoveTo = button("btnMoveTo", "Move To");
    QPushButton *btnNewList = button("btnNewList", "New List");
    QPushButton *btnLoadList = button("btnLoadList", "Load List");
    QPushButton *btnSaveList = button("btnSaveList", "Save List");
    QPushButton *btnSaveListAs = button("btnSaveListAs", "Save List As ...");
    QPushButton *btnRun = button("btnRun", "Run");
    m_btnStop = button("btnStop", "Stop");
    m_btnStop->setEnabled(false);
    QPushButton *btnClose = button("btnClose", "Close");

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
    m_imagesFolder = new ImagesFolderField;
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(m_log);
    layout->addWidget(m_imagesFolder);
    layout->addLayout(bottom);
    resize(720, 560);

    connect(btnAddProcess, &QPushButton::clicked, this, &RunProcessesDialog::on_btnAddProcess_clicked);
    connect(btnRemoveProcess, &QPushButton::clicked, this, &RunProcessesDialog::on_btnRemoveProcess_clicked);
    connect(btnModify, &QPushButton::clicked, this, &RunProcessesDialog::on_btnModify_clicked);
    connect(btnMoveUp, &QPushButton::clicked, this, &RunProcessesDialog::on_btnMoveUp_clicked);
    connect(btnMoveDown, &QPushButton::clicked, this, &RunProcessesDialog::on_btnMoveDown_clicked);
    connect(btnMoveTo, &QPushButton::clicked, this, &RunProcessesDialog::on_btnMoveTo_clicked);
    connect(btnNewList, &QPushButton::clicked, this, &RunProcessesDialog::on_btnNewList_clicked);
    connect(btnLoadList, &QPushButton::clicked, this, &RunProcessesDialog::on_btnLoadList_clicked);
    connect(btnSaveList, &QPushButton::clicked, this, &RunProcessesDialog::on_btnSaveList_clicked);
    connect(btnSaveListAs, &QPushButton::clicked, this, &RunProcessesDialog::on_btnSaveListAs_clicked);
    connect(btnRun, &QPushButton::clicked, this, &RunProcessesDialog::on_btnRun_clicked);
    connect(m_btnStop, &QPushButton::clicked, this, &RunProcessesDialog::on_btnStop_clicked);
    connect(btnClose, &QPushButton::clicked, this, &RunProcessesDialog::on_btnClose_clicked);
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

bool RunProcessesDialog::isRunning()
{
    if (!m_runMutex.tryAcquire())
        return true;
    m_runMutex.release();
    return false;
}

void RunProcessesDialog::waitForWorker()
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

// ---- list view ----

void RunProcessesDialog::rebuildTree()
{
    QSignalBlocker blocker(m_tree);
    m_tree->clear();
    for (int i = 0; i < m_steps.size(); ++i) {
        const ProcessStep &step = m_steps[i];
        auto *row = new QTreeWidgetItem(m_tree);
        row->setText(0, QString::number(i + 1));
        row->setText(1, displayName(step.getProcessType()));
        row->setData(1, SerialRole, step.getSerialNumber());
        const auto parameters = step.getParameters();
        const auto visibility = step.getVisibilities();
        for (auto it = parameters.constBegin(); it != parameters.constEnd(); ++it) {
            if (!visibility.value(it.key(), true))
                continue;
            auto *child = new QTreeWidgetItem(row);
            child->setText(2, it.key());
            child->setText(3, valueText(it.value()));
            const QString colorName = it.key() + QStringLiteral("_Color");
            if (parameters.contains(colorName)) {
                QPixmap swatch(25, 25);
                swatch.fill(parameters.value(colorName).value<QColor>());
                child->setIcon(3, QIcon(swatch));
            }
        }
        row->setExpanded(step.isExpanded());
    }
    m_tree->resizeColumnToContents(0);
    m_tree->resizeColumnToContents(1);
}

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
    const auto selected = m_tree->selectedItems();
    if (selected.isEmpty())
        return -1;
    QTreeWidgetItem *item = selected.first();
    if (item->parent())
        item = item->parent();
    return indexOfSerial(item->data(1, SerialRole).toUInt());
}

void RunProcessesDialog::makeCurrent(uint32_t serial)
{
    const int index = indexOfSerial(serial);
    if (index >= 0)
        m_tree->setCurrentItem(m_tree->topLevelItem(index));
}

void RunProcessesDialog::on_treeWidget_itemExpanded(QTreeWidgetItem *item)
{
    const int index = item->parent() ? -1 : indexOfSerial(item->data(1, SerialRole).toUInt());
    if (index >= 0)
        m_steps[index].setExpanded(true);
}

void RunProcessesDialog::on_treeWidget_itemCollapsed(QTreeWidgetItem *item)
{
    const int index = item->parent() ? -1 : indexOfSerial(item->data(1, SerialRole).toUInt());
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
    // Masks need cover only the columns of the volume the list acts on: the target, or else the
    // one the list creates.
    uint32_t columnsX = Core::Operations::anyColumns;
    uint32_t columnsY = Core::Operations::anyColumns;
    if (m_target) {
        columnsX = m_target->sizeX();
        columnsY = m_target->sizeY();
    } else {
        for (const ProcessStep &other : m_steps) {
            if (other.getProcessType() != CreateSubstrate)
                continue;
            columnsX = other.getParameters().value(QStringLiteral("Volume Size X"), columnsX).toUInt();
            columnsY = other.getParameters().value(QStringLiteral("Volume Size Y"), columnsY).toUInt();
            break;
        }
    }
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
    QTreeWidgetItem *row = item->parent() ? item->parent() : item;
    modifyStep(indexOfSerial(row->data(1, SerialRole).toUInt()));
}

void RunProcessesDialog::on_btnRemoveProcess_clicked()
{
    QList<uint32_t> serials;
    for (QTreeWidgetItem *item : m_tree->selectedItems()) {
        if (!item->parent())
            serials << item->data(1, SerialRole).toUInt();
    }
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
    using Choice = ProcessListFile::ConflictChoice;
    const auto decision = MaterialConflictDialog::ask(existing, loaded, nullptr);
    if (!decision)
        return {Choice::AddLoadedAsNew, 0};
    switch (decision->choice) {
    case Model::Persistence::ConflictChoice::ReplaceLoadedByExisting:
        return {Choice::ReplaceLoadedByExisting, 0};
    case Model::Persistence::ConflictChoice::ReplaceExistingByLoaded:
        return {Choice::ReplaceExistingByLoaded, 0};
    case Model::Persistence::ConflictChoice::ReplaceLoadedByAnother:
        return {Choice::ReplaceLoadedByAnother, decision->alternateId};
    case Model::Persistence::ConflictChoice::AddLoadedAsNew:
        break;
    }
    return {Choice::AddLoadedAsNew, 0};
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
    if (isRunning() || !prepareImages(images) || !m_runMutex.tryAcquire())
        return;
    if (!prepareRunWindow()) {
        m_runMutex.release();
        return;
    }
    m_runStepCount = m_steps.size();
    m_progressBar->setValue(0);
    m_progressBar->setEnabled(true);
    m_progressBar->setRange(0, m_runStepCount * progressPerStep);
    m_doneCount = 0;
    m_runningStep = -1;
    m_summary = RunSummary();
    m_log->clear();
    if (m_runWorkspace != &m_workspace)
        m_log->appendPlainText(m_runTarget ? QStringLiteral("The list runs in a new window, on a copy of the "
                                                            "selected cell volume.")
                                           : QStringLiteral("The list runs in a new window."));
    m_runStep = std::make_shared<ListRunStep>(*m_runWorkspace);
    QString notKept;
    if (!m_runStep->begin(m_runTarget, &notKept))
        m_log->appendPlainText(QStringLiteral("note: the run cannot be undone: %1.").arg(notKept));
    // No worker reads the control now: the last run's stop request goes.
    m_control.reset();
    m_runListFolder = listFolder();
    m_btnStop->setEnabled(true);
    m_progressTimer.start();
    const QList<ProcessStep> steps = m_steps;
    m_worker = QtConcurrent::run([this, steps, images] { runProcessList(steps, images); });
}

bool RunProcessesDialog::prepareRunWindow()
{
    m_runWorkspace = &m_workspace;
    m_runWindow = m_mainWindow;
    m_runScreenshot = m_screenshot;
    m_runTarget = m_target;
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
    m_runWorkspace = made.workspace;
    m_runWindow = made.window;
    m_runScreenshot = made.screenshot;
    m_runTarget = nullptr;
    if (m_target) {
        try {
            m_runTarget = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(m_target->clone());
        } catch (const std::exception &) {
            showMessage(QMessageBox::Warning, m_baseTitle,
                        QStringLiteral("The selected cell volume could not be copied to the new window: there is "
                                       "not enough memory."));
            return false;
        }
        made.workspace->document().addObject(m_runTarget);
    }
    return true;
}

void RunProcessesDialog::on_btnStop_clicked()
{
    if (isRunning())
        m_control.requestStop();
}

void RunProcessesDialog::runProcessList(const QList<ProcessStep> &steps, const ImageFolder &images)
{
    // This pool thread only waits while the engines spread their work over the pool.
    QThreadPool::globalInstance()->releaseThread();
    BatchRunner runner(*m_runWorkspace, m_runTarget, m_registry);
    const int total = steps.size();
    runner.setStartObserver([this](int index, const QString &) {
        // Until the step's engine gives its own total, the step counts as just begun.
        m_control.beginStage(0);
        m_runningStep = index;
    });
    runner.setStepObserver([this, total](const StepRecord &record) {
        m_log->post(record.line(total));
        if (record.code == Success)
            m_doneCount = record.index + 1;
    });
    runner.setWarningObserver([this](const QString &warning) { m_log->post(QStringLiteral("warning: ") + warning); });
    runner.setRunControl(&m_control, true);
    runner.setImageFolder(images);
    runner.setListFolder(m_runListFolder);
    runner.setSaveImageHandler([this, &runner](const QString &fileName, QString *error) {
        m_runTarget = runner.target();
        bool saved = false;
        QMetaObject::invokeMethod(this, "updateGeometry", Qt::BlockingQueuedConnection, Q_RETURN_ARG(bool, saved),
                                  Q_ARG(QString, fileName));
        if (!saved && error)
            *error = QStringLiteral("The image could not be saved to \"%1\".").arg(fileName);
        return saved;
    });
    m_summary = runner.run(steps);
    m_runTarget = runner.target();
    m_runningStep = -1;
    QThreadPool::globalInstance()->reserveThread();
    m_runMutex.release();
}

int RunProcessesDialog::progressValue() const
{
    const int done = m_doneCount;
    int value = done * progressPerStep;
    const uint64_t total = m_control.total();
    if (m_runningStep == done && total > 0)
        value += int(std::min(m_control.done(), total) * progressPerStep / total);
    return value;
}

void RunProcessesDialog::updateProgress()
{
    m_progressBar->setValue(progressValue());
    if (!m_runMutex.tryAcquire()) {
        m_log->showPosted();
        m_progressTimer.start();
        return;
    }
    m_progressTimer.stop();
    m_btnStop->setEnabled(false);
    // After the worker let go: every line it posted is there to show.
    m_log->showPosted();
    const RunSummary summary = m_summary;
    if (summary.stopped)
        m_log->appendPlainText(QStringLiteral("Stopped: %1 of %2 steps ran.").arg(summary.done).arg(m_runStepCount));
    if (m_runTarget) {
        m_runTarget->painter().regenerateSurface();
        m_runWorkspace->notifyUpdate();
    }
    recordRun(summary);
    if (m_runWorkspace == &m_workspace)
        m_target = m_runTarget;
    if (summary.failedIndex >= 0) {
        // The user sees which step stopped the run and why, not only the debug log.
        const StepRecord &f = summary.failure;
        showMessage(
            QMessageBox::Warning, m_baseTitle,
            QStringLiteral("Could not run process %1 (step %2) : %3").arg(f.name).arg(f.index + 1).arg(f.message),
            f.detail);
    } else if (!m_runTarget) {
        const QString text = QStringLiteral("No cell volume was selected and a cell volume was not created. The cell "
                                            "volume must be created before any other process.");
        m_log->appendPlainText(text);
        showMessage(QMessageBox::Critical, QStringLiteral("Missing Cell Volume"), text);
        m_doneCount = 0;
    }
    m_progressBar->setValue(m_doneCount * progressPerStep);
    m_runMutex.release();
}

void RunProcessesDialog::recordRun(const RunSummary &summary)
{
    const auto step = std::move(m_runStep);
    if (!step || summary.missingVolume)
        return;
    QString reason;
    if (step->end(&reason)) {
        m_runWorkspace->undoRedo().push(step);
        return;
    }
    // Undoing the steps before the run would now mix their cells with the run's.
    m_runWorkspace->clearHistory();
    m_log->appendPlainText(
        QStringLiteral("note: the run cannot be undone (%1); the undo history was cleared.").arg(reason));
}

bool RunProcessesDialog::updateGeometry(const QString &fileName)
{
    if (m_runTarget)
        m_runTarget->painter().regenerateSurface();
    m_runWorkspace->notifyUpdate();
    if (m_runWindow)
        m_runWindow->repaint();
    if (fileName.isEmpty())
        return true;
    if (m_runScreenshot)
        return m_runScreenshot(fileName);
    QString error;
    return OffscreenImage().save(m_runWorkspace->document(), fileName, &error);
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
