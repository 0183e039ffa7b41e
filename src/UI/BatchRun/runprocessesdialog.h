#pragma once

#include "Core/BatchRun/batchrunner.h"
#include "Core/BatchRun/processlistfile.h"
#include "Core/Processes/processstep.h"
#include "Model/Volume/totalvolume.h"
#include "UI/BatchRun/listrun.h"

#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace Core {
class Workspace;
}

namespace Ui {

class ImagesFolderField;
class RunLog;
class StepTree;

/// The "Batch Run" dialog: composes a process list, loads and saves it, and runs it on the target
/// cell volume (or from nothing when it begins with "Create Substrate") in a worker thread while
/// a progress bar follows the steps (and the running step's engine) and a log shows each step's
/// result and warnings. A run is one step of the undo history of the window it ran in: this
/// dialog's, or a new one that gets the result ("Run in a new window"), where the list works on
/// a copy of the target.
class RunProcessesDialog : public QDialog {
    Q_OBJECT
public:
    /// A main window made for a run: the window, its workspace and how its view is saved as an image.
    struct RunWindow {
        QWidget *window = nullptr;
        Core::Workspace *workspace = nullptr;
        std::function<bool(const QString &)> screenshot;
    };
    using WindowMaker = std::function<RunWindow()>;
    /// Units of the progress bar per step: a step's share fills as its engine reports progress.
    static constexpr int progressPerStep = ListRun::progressPerStep;

    RunProcessesDialog(QWidget *mainWindow, const Model::Automaton::TotalVolumePtr &target, Core::Workspace &workspace,
                       const Core::BatchRun::StepRegistry &registry = Core::BatchRun::StepRegistry::standard());
    ~RunProcessesDialog() override;

    QList<Core::Processes::ProcessStep> steps() const { return m_steps; }
    void setSteps(const QList<Core::Processes::ProcessStep> &steps);
    QString currentFileName() const { return m_currentFileName; }
    Model::Automaton::TotalVolumePtr targetVolume() const { return m_target; }
    /// True while a run is going on.
    bool isRunning();
    /// Blocks until the worker of the current run has returned (the progress timer still has to
    /// see the end to finish the run).
    void waitForWorker();

    /// Saves the main view as an image; set by whoever knows the main window's view.
    void setScreenshotFunction(const std::function<bool(const QString &)> &function) { m_screenshot = function; }
    /// Makes the window for "Run in a new window", which is offered only once a maker is set.
    void setWindowMaker(const WindowMaker &maker);

    bool loadList(const QString &fileName);
    /// Why the last loadList failed (empty after a success).
    QString loadError() const { return m_loadError; }
    bool saveList(const QString &fileName);

public slots:
    /// Escape and the window's close button do nothing while a run is going on.
    void reject() override;
    void on_btnAddProcess_clicked();
    void on_btnRemoveProcess_clicked();
    void on_btnModify_clicked();
    void on_btnMoveUp_clicked();
    void on_btnMoveDown_clicked();
    void on_btnMoveTo_clicked();
    void on_btnNewList_clicked();
    void on_btnLoadList_clicked();
    void on_btnSaveList_clicked();
    void on_btnSaveListAs_clicked();
    void on_btnRun_clicked();
    /// While a run goes on: the running step stops at its next boundary and its cells are put
    /// back (a step that ends first stays done); no further step starts.
    void on_btnStop_clicked();
    void on_btnClose_clicked();
    void on_treeWidget_itemDoubleClicked(QTreeWidgetItem *item, int column);
    void on_treeWidget_itemExpanded(QTreeWidgetItem *item);
    void on_treeWidget_itemCollapsed(QTreeWidgetItem *item);
    void selectionChanged();
    void updateProgress();

protected:
    /// The seams to the user: option dialogs, file choosers, questions and message boxes.
    virtual bool editStep(Core::Processes::ProcessStep &step, bool adding);
    virtual QString chooseListToOpen();
    virtual QString chooseListToSave();
    virtual QMessageBox::StandardButton askNewList();
    /// A listed material whose identifier the catalogue knows under another name: the material
    /// conflict dialog, shown without a parent; cancelling adds the loaded material as new.
    virtual Core::BatchRun::ProcessListFile::ConflictAnswer resolveConflict(const Model::Materials::Material &existing,
                                                                            const Model::Materials::Material &loaded);
    virtual bool chooseMoveTarget(uint32_t moving, uint32_t &target, bool &before);
    virtual void showMessage(QMessageBox::Icon icon, const QString &title, const QString &text,
                             const QString &informative = QString());
    /// Whether the images of the list may replace these files (one line each); no by default.
    virtual bool askReplaceImages(const QStringList &files);

    void closeEvent(QCloseEvent *event) override;

private:
    /// Where the next run goes (this window, or a new one with a copy of the target); false, with
    /// the reason shown, when no new window could be made.
    bool prepareRunWindow();
    /// The images folder of the next run; false, with the reason shown, when its "Save Image"
    /// steps cannot save there or the user does not let them replace existing files.
    bool prepareImages(Core::BatchRun::ImageFolder &images);
    void rebuildTree();
    void updateTitle();
    void modifyStep(int index);
    int indexOfSerial(uint32_t serial) const;
    /// Index of the step of the first selected row, -1 when none is selected.
    int firstSelectedStep() const;
    void makeCurrent(uint32_t serial);
    /// The folder of the list's file; empty while the list was never saved or loaded.
    QString listFolder() const;

    QWidget *m_mainWindow;
    Model::Automaton::TotalVolumePtr m_target;
    Core::Workspace &m_workspace;
    QTimer m_progressTimer;
    QString m_currentFileName;
    QString m_loadError;
    QString m_baseTitle;
    QList<Core::Processes::ProcessStep> m_steps;
    std::function<bool(const QString &)> m_screenshot;
    WindowMaker m_windowMaker;
    /// The runs of the list: the current one's window, workspace, volume, worker and progress.
    std::unique_ptr<ListRun> m_run;

    StepTree *m_tree;
    QComboBox *m_cbxProcess;
    QProgressBar *m_progressBar;
    QPushButton *m_btnStop;
    QCheckBox *m_chkNewWindow;
    RunLog *m_log;
    ImagesFolderField *m_imagesFolder;
};

} // namespace Ui
