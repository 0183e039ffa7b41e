#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processvocabulary.h"
#include "Core/workspace.h"
#include "UI/BatchRun/runprocessesdialog.h"
#include "UI/dialogtesting.h"
#include "batchlists.h"
#include "catalogtesthome.h"
#include "volumetesthelpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using namespace Core::BatchRun;
using Core::Processes::ProcessStep;
using Model::Automaton::TotalVolume;

namespace {

constexpr int perStep = Ui::RunProcessesDialog::progressPerStep;

struct Message {
    QMessageBox::Icon icon;
    QString title;
    QString text;
    QString informative;
};

// The dialog with its questions answered by the test instead of a user.
class TestDialog : public Ui::RunProcessesDialog {
public:
    TestDialog(Core::Workspace &workspace, const Model::Automaton::TotalVolumePtr &target = nullptr,
               const StepRegistry &registry = StepRegistry::standard())
        : RunProcessesDialog(nullptr, target, workspace, registry)
    {
    }

    QMap<QString, QVariant> nextValues;
    bool acceptEdit = true;
    int edits = 0;
    QString openName;
    QString saveName;
    QMessageBox::StandardButton newListAnswer = QMessageBox::Cancel;
    int newListQuestions = 0;
    uint32_t moveTarget = 0;
    bool moveBefore = false;
    QList<Message> messages;
    bool replaceAnswer = false;
    QStringList replaceQuestions;

    QTreeWidget *tree() { return findChild<QTreeWidget *>(QStringLiteral("treeWidget")); }
    void click(const char *name) { findChild<QPushButton *>(QLatin1String(name))->click(); }
    int progress() { return findChild<QProgressBar *>(QStringLiteral("progressBar"))->value(); }
    QStringList rows()
    {
        QStringList names;
        for (int i = 0; i < tree()->topLevelItemCount(); ++i)
            names << tree()->topLevelItem(i)->text(0) + QLatin1Char(' ') + tree()->topLevelItem(i)->text(1);
        return names;
    }
    void run()
    {
        click("btnRun");
        waitForWorker();
        updateProgress();
    }

protected:
    bool editStep(ProcessStep &step, bool adding) override
    {
        ++edits;
        if (!acceptEdit)
            return false;
        for (auto it = nextValues.constBegin(); it != nextValues.constEnd(); ++it)
            step.setParameterValue(it.key(), it.value());
        completeDerivedParameters(step);
        if (adding)
            applyDefaultVisibility(step);
        return true;
    }
    QString chooseListToOpen() override { return openName; }
    QString chooseListToSave() override { return saveName; }
    QMessageBox::StandardButton askNewList() override
    {
        ++newListQuestions;
        return newListAnswer;
    }
    bool chooseMoveTarget(uint32_t, uint32_t &target, bool &before) override
    {
        target = moveTarget;
        before = moveBefore;
        return true;
    }
    void showMessage(QMessageBox::Icon icon, const QString &title, const QString &text,
                     const QString &informative) override
    {
        messages << Message{icon, title, text, informative};
    }
    bool askReplaceImages(const QStringList &files) override
    {
        replaceQuestions << files;
        return replaceAnswer;
    }
};

ProcessStep saveImage(const QString &name)
{
    ProcessStep step(SaveImage);
    step.setParameter(QStringLiteral("Filename"), name, true);
    return step;
}

ProcessStep planarize(bool withParameters = true)
{
    ProcessStep step(Planarization);
    if (withParameters) {
        step.setParameter(QStringLiteral("Maximum Height"), 3u, true);
        step.setParameter(QStringLiteral("Minimum Height"), 0u, true);
    }
    return step;
}

/// Steps by letter: S a substrate, P a planarization, p one without its parameters.
QList<ProcessStep> steps(const QString &letters)
{
    QList<ProcessStep> list;
    for (QChar c : letters)
        list << (c == QLatin1Char('S') ? boxSubstrate(4, 4, 4, 2) : planarize(c == QLatin1Char('P')));
    return list;
}

// The standard steps, but planarization only counts its runs.
struct CountingSteps {
    QAtomicInt runs = 0;
    StepRegistry registry = StepRegistry::standard();
    CountingSteps()
    {
        registry.add(Planarization, [this](StepContext &, const ProcessStep &s) {
            if (!s.hasParameter(QStringLiteral("Maximum Height")))
                return int(MissingParameter);
            runs.ref();
            return int(Success);
        });
    }
};

} // namespace

class tst_RunProcessesDialog : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

private slots:
    void addedStepShowsItsVisibleParametersModifyingKeepsThemAndRemoveTakesThem()
    {
        Core::Workspace workspace;
        TestDialog dialog(workspace);
        auto *combo = dialog.findChild<QComboBox *>(QStringLiteral("cbxProcess"));
        combo->setCurrentIndex(combo->findData(int(IsotropicDeposition)));
        dialog.nextValues = {{QStringLiteral("Film Thickness"), 2.5}, {QStringLiteral("Material_Id"), 3u}};
        dialog.click("btnAddProcess");
        QCOMPARE(dialog.steps().size(), 1);
        const ProcessStep step = dialog.steps().first();
        QCOMPARE(dialog.rows(), QStringList{QStringLiteral("1 Isotropic Deposition")});
        QCOMPARE(dialog.tree()->topLevelItem(0)->childCount(), 2); // film thickness and material name

        // Modify keeps the step and what it hides; double-clicking a parameter row modifies its step too.
        ProcessStep hidden = step;
        hidden.setParameter(QStringLiteral("Film Thickness"), 2.5, false);
        dialog.setSteps({hidden});
        dialog.tree()->topLevelItem(0)->setSelected(true);
        dialog.nextValues = {{QStringLiteral("Film Thickness"), 4.0}};
        dialog.click("btnModify");
        QVERIFY(!dialog.steps().first().getParameterVisibility(QStringLiteral("Film Thickness")));
        QCOMPARE(dialog.steps().first().getSerialNumber(), step.getSerialNumber());
        dialog.tree()->expandAll();
        dialog.nextValues = {{QStringLiteral("Film Thickness"), 7.0}};
        dialog.on_treeWidget_itemDoubleClicked(dialog.tree()->topLevelItem(0)->child(0), 3);
        QCOMPARE(dialog.steps().first().getProcessParameter(QStringLiteral("Film Thickness")).toDouble(), 7.0);
        QCOMPARE(dialog.edits, 3);

        dialog.acceptEdit = false;
        dialog.click("btnAddProcess");
        QCOMPARE(dialog.steps().size(), 1);

        // Remove takes every selected step but no parameter row.
        dialog.setSteps({ProcessStep(SiWetEtching), planarize(), ProcessStep(SaveImage)});
        QTreeWidget *tree = dialog.tree();
        tree->topLevelItem(1)->child(0)->setSelected(true);
        QVERIFY(tree->selectedItems().isEmpty());
        tree->topLevelItem(0)->setSelected(true);
        tree->topLevelItem(2)->setSelected(true);
        dialog.click("btnRemoveProcess");
        QCOMPARE(dialog.rows(), QStringList{QStringLiteral("1 Planarization")});
    }

    void moves_data()
    {
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("target");
        QTest::addColumn<bool>("before");
        QTest::addColumn<QString>("order");
        QTest::addColumn<int>("current");
        QTest::newRow("move to before the first") << 2 << "btnMoveTo" << 0 << true << "CAB" << 0;
        QTest::newRow("move to after the last") << 0 << "btnMoveTo" << 2 << false << "BCA" << 2;
        QTest::newRow("move to itself") << 1 << "btnMoveTo" << 1 << true << "ABC" << -1;
        QTest::newRow("move up") << 1 << "btnMoveUp" << -1 << false << "BAC" << 0;
        QTest::newRow("move up at the top") << 0 << "btnMoveUp" << -1 << false << "ABC" << -1;
        QTest::newRow("move down") << 1 << "btnMoveDown" << -1 << false << "ACB" << 2;
        QTest::newRow("move down at the bottom") << 2 << "btnMoveDown" << -1 << false << "ABC" << -1;
    }
    void moves()
    {
        QFETCH(int, selected);
        QFETCH(QString, action);
        QFETCH(int, target);
        QFETCH(bool, before);
        QFETCH(QString, order);
        QFETCH(int, current);
        Core::Workspace workspace;
        TestDialog dialog(workspace);
        // A, B and C are told apart by their types.
        const QMap<int, QChar> letters{{int(SiWetEtching), 'A'}, {int(Planarization), 'B'}, {int(SaveImage), 'C'}};
        const QList<ProcessStep> steps{ProcessStep(SiWetEtching), ProcessStep(Planarization), ProcessStep(SaveImage)};
        dialog.setSteps(steps);
        dialog.tree()->setCurrentItem(dialog.tree()->topLevelItem(selected));
        if (target >= 0) {
            dialog.moveTarget = steps[target].getSerialNumber();
            dialog.moveBefore = before;
        }
        dialog.click(action.toLatin1().constData());
        QString result;
        for (const ProcessStep &s : dialog.steps())
            result += letters.value(s.getProcessType());
        QCOMPARE(result, order);
        QCOMPARE(dialog.rows().first().left(2), QStringLiteral("1 "));
        if (current >= 0)
            QCOMPARE(dialog.tree()->currentItem(), dialog.tree()->topLevelItem(current));
    }

    void newList_data()
    {
        QTest::addColumn<bool>("empty"); // an empty list is not asked about and keeps its file
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("emptied");
        QTest::addColumn<bool>("saved");
        QTest::newRow("empty list") << true << int(QMessageBox::Cancel) << true << true;
        QTest::newRow("save") << false << int(QMessageBox::Save) << true << true;
        QTest::newRow("discard") << false << int(QMessageBox::Discard) << true << false;
        QTest::newRow("cancel") << false << int(QMessageBox::Cancel) << false << false;
    }
    void newList()
    {
        QFETCH(bool, empty);
        QFETCH(int, answer);
        QFETCH(bool, emptied);
        QFETCH(bool, saved);
        Core::Workspace workspace;
        TestDialog dialog(workspace);
        const QString path = m_dir.filePath(QStringLiteral("newlist.plst"));
        QFile::remove(path);
        if (empty)
            QVERIFY(dialog.saveList(path));
        else
            dialog.setSteps({planarize()});
        dialog.saveName = path;
        dialog.newListAnswer = QMessageBox::StandardButton(answer);
        dialog.click("btnNewList");
        QCOMPARE(dialog.newListQuestions, empty ? 0 : 1);
        QCOMPARE(dialog.steps().isEmpty(), emptied);
        QCOMPARE(QFile::exists(path), saved);
        if (emptied)
            QCOMPARE(dialog.currentFileName(), empty ? path : QString());
    }

    // A list that cannot be saved is said so, with the reason; the dialog keeps no file name for it.
    void listThatCannotBeSavedIsReported()
    {
        Core::Workspace workspace;
        TestDialog dialog(workspace);
        dialog.setSteps({planarize()});
        dialog.saveName = m_dir.filePath(QStringLiteral("no/such/folder/x.plst"));
        dialog.click("btnSaveList");
        QCOMPARE(dialog.messages.size(), 1);
        QCOMPARE(dialog.messages[0].text,
                 QStringLiteral("Cannot write \"%1\": No such file or directory").arg(dialog.saveName));
        QVERIFY(dialog.currentFileName().isEmpty());
    }

    void oldListWarnsOnce()
    {
        const QString old = writeFile(
            m_dir.filePath(QStringLiteral("old.plst")),
            "<Process-List version=\"0\"><Materials><Material name=\"Si\" material-id=\"1\"/></Materials>"
            "<Process-Data process-type=\"4\"><Parameter parameter-name=\"MaterialId\" parameter-type=\"uint\" "
            "parameter-data=\"1\"/></Process-Data><Process-Data process-type=\"5\"><Parameter "
            "parameter-name=\"MaterialId\" parameter-type=\"uint\" parameter-data=\"1\"/></Process-Data>"
            "</Process-List>");
        Core::Workspace workspace;
        TestDialog dialog(workspace);
        QVERIFY(dialog.loadList(old));
        QCOMPARE(dialog.messages.size(), 1);
        QCOMPARE(dialog.messages[0].text, ProcessListFile::upgradeText());
    }

    void savedListComesBackAndItsRunIsLogged()
    {
        Core::Workspace workspace;
        TestDialog saver(workspace);
        ProcessStep deposition(IsotropicDeposition);
        deposition.setParameter(QStringLiteral("Film Thickness"), 2.5, true);
        deposition.setParameter(QStringLiteral("Material_Id"), 1u, true);
        saver.setSteps({boxSubstrate(4, 4, 4, 2), deposition});
        const QString path = m_dir.filePath(QStringLiteral("typo.plst"));
        saver.saveName = path;
        saver.click("btnSaveList");
        QCOMPARE(saver.currentFileName(), path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray xml = file.readAll();
        file.close();
        QVERIFY(xml.contains("parameter-data=\"2.5\""));
        writeFile(m_dir.filePath(QStringLiteral("typo.plst")),
                  xml.replace("parameter-data=\"2.5\"", "parameter-data=\"thick\""));
        // A missing file leaves the list as it is; the saved one comes back with its number unreadable.
        TestDialog dialog(workspace);
        dialog.openName = m_dir.filePath(QStringLiteral("missing.plst"));
        dialog.click("btnLoadList");
        QVERIFY(dialog.steps().isEmpty() && dialog.currentFileName().isEmpty());
        dialog.openName = path;
        dialog.click("btnLoadList");
        QCOMPARE(dialog.rows(),
                 (QStringList{QStringLiteral("1 Create Substrate"), QStringLiteral("2 Isotropic Deposition")}));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Batch Run ") + path);
        auto *log = child<QPlainTextEdit>(&dialog, QStringLiteral("txtLog"));
        dialog.run();
        QVERIFY(dialog.messages.isEmpty());
        const QStringList lines = log->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 3);
        QVERIFY2(lines[0].startsWith(QLatin1String("1/2  Create Substrate  ")), qPrintable(lines[0]));
        QVERIFY2(lines[0].endsWith(QLatin1String(" ms  No error, process was run successfully.")),
                 qPrintable(lines[0]));
        QCOMPARE(lines[1], QStringLiteral("warning: step 2 (Isotropic Deposition): \"Film Thickness\" is not a number "
                                          "(\"thick\"); 0 is used."));
        QVERIFY2(lines[2].startsWith(QLatin1String("2/2  Isotropic Deposition  ")), qPrintable(lines[2]));
        QCOMPARE(dialog.progress(), 2 * perStep);
    }

    // A loaded list reads the layouts it names in its own folder when it runs; one never saved has none.
    void aLoadedListReadsItsLayoutBesideIt()
    {
        QTemporaryDir folder;
        QVERIFY(QFile::copy(QStringLiteral(TEST_DATA_DIR "/layouts/square.gds"), folder.filePath("chip.gds")));
        const QList<ProcessStep> list{boxSubstrate(10, 8, 3, 2, 3), layoutLithography("chip.gds", 1)};
        Core::Workspace unsaved;
        TestDialog fresh(unsaved);
        fresh.setSteps(list);
        fresh.run();
        QCOMPARE(fresh.messages.size(), 1);
        QVERIFY2(fresh.messages[0].text.contains(QStringLiteral("the list has no folder")) ||
                     fresh.messages[0].informative.contains(QStringLiteral("the list has no folder")),
                 qPrintable(fresh.messages[0].text + fresh.messages[0].informative));
        const QString path = folder.filePath(QStringLiteral("flow.plst"));
        fresh.saveName = path;
        fresh.click("btnSaveList");
        Core::Workspace workspace;
        TestDialog dialog(workspace);
        QVERIFY(dialog.loadList(path));
        dialog.run();
        QVERIFY(dialog.messages.isEmpty());
        // Layer 1 of square.gds exposes 3 by 3 of the 80 columns, 2 cells high.
        QCOMPARE(countState(*dialog.targetVolume(), 3), size_t(2 * (80 - 9)));
    }

    void failedRunsSayWhy_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("progress");
        QTest::addColumn<int>("objects");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QStringList>("says");
        QTest::newRow("a failing step stops the run, the substrate stays")
            << "SpP" << 1 << 1 << int(QMessageBox::Warning)
            << QStringList{"Planarization", "A required parameter was not found. Check input list."};
        QTest::newRow("no volume for the first step")
            << "PS" << 0 << 0 << int(QMessageBox::Critical)
            << QStringList{"No cell volume was selected and a cell volume was not created. The cell volume must be "
                           "created before any other process."};
    }
    void failedRunsSayWhy()
    {
        QFETCH(QString, list);
        QFETCH(int, progress);
        QFETCH(int, objects);
        QFETCH(int, icon);
        QFETCH(QStringList, says);
        Core::Workspace workspace;
        CountingSteps gated;
        TestDialog dialog(workspace, nullptr, gated.registry);
        dialog.setSteps(steps(list));
        dialog.run();
        QCOMPARE(dialog.findChild<QProgressBar *>()->maximum(), list.size() * perStep);
        QCOMPARE(dialog.progress(), progress * perStep);
        QCOMPARE(int(gated.runs), 0);
        QCOMPARE(workspace.document().allObjects().size(), objects);
        QCOMPARE(bool(dialog.targetVolume()), objects == 1);
        QCOMPARE(dialog.messages.size(), 1);
        QCOMPARE(int(dialog.messages[0].icon), icon);
        for (const QString &part : says)
            QVERIFY2(dialog.messages[0].text.contains(part), qPrintable(dialog.messages[0].text));
    }

    void stopEndsTheRunInTheRunningStepAndPutsItsCellsBack()
    {
        Core::Workspace workspace;
        QSemaphore started;
        QSemaphore gate;
        QAtomicInt depositions = 0;
        StepRegistry registry = StepRegistry::standard();
        registry.add(IsotropicDeposition, [&](StepContext &c, const ProcessStep &s) {
            depositions.ref();
            started.release();
            gate.acquire();
            return StepRegistry::standard().run(c, s);
        });
        ProcessStep deposition(IsotropicDeposition);
        deposition.setParameter(QStringLiteral("Material_Id"), 3u, false);
        deposition.setParameter(QStringLiteral("Film Thickness"), 1.0f, true);
        TestDialog dialog(workspace, nullptr, registry);
        dialog.setSteps({boxSubstrate(4, 4, 4, 2), deposition, deposition});
        auto *stop = dialog.findChild<QPushButton *>(QStringLiteral("btnStop"));
        QVERIFY(!stop->isEnabled());
        dialog.click("btnRun");
        QVERIFY(stop->isEnabled());
        started.acquire(); // the worker is in the second step
        // A second Run starts nothing and Close does nothing while the run goes on.
        dialog.click("btnRun");
        dialog.show();
        dialog.click("btnClose");
        QVERIFY(dialog.isVisible());
        dialog.updateProgress();
        QVERIFY(dialog.isRunning());
        stop->click();
        gate.release(4);
        dialog.waitForWorker();
        dialog.updateProgress();

        QVERIFY(!dialog.isRunning());
        QCOMPARE(int(depositions), 1);
        QVERIFY(!stop->isEnabled());
        QCOMPARE(dialog.progress(), 1 * perStep);
        const QString log = dialog.findChild<QPlainTextEdit *>()->toPlainText();
        QVERIFY2(log.contains(QStringLiteral("Stopped: 1 of 3 steps ran.")), qPrintable(log));
        QVERIFY(dialog.messages.isEmpty());
        QVERIFY(dialog.targetVolume());
        const auto states = cellStates(*dialog.targetVolume());
        QCOMPARE(std::count(states.begin(), states.end(), 3u), 0);
        dialog.click("btnClose");
        QVERIFY(!dialog.isVisible());
    }

    // The bar counts the finished steps and the running step's own progress (here a quarter).
    void progressFollowsTheRunningStep()
    {
        Core::Workspace workspace;
        QSemaphore started;
        QSemaphore gate;
        StepRegistry registry = StepRegistry::standard();
        registry.add(IsotropicDeposition, [&](StepContext &c, const ProcessStep &) {
            c.control->beginStage(4);
            c.control->advance();
            started.release();
            gate.acquire();
            return int(Success);
        });
        TestDialog dialog(workspace, nullptr, registry);
        dialog.setSteps({boxSubstrate(4, 4, 4, 2), ProcessStep(IsotropicDeposition), planarize()});
        dialog.click("btnRun");
        started.acquire();
        dialog.updateProgress();
        QCOMPARE(dialog.progress(), perStep + perStep / 4);
        gate.release();
        dialog.waitForWorker();
        dialog.updateProgress();
        QCOMPARE(dialog.progress(), 3 * perStep);
    }

    // A run is one step of its window's history; in a new window it works on a copy of the target.
    void runIsUndoneAsOneStepHereOrInANewWindow_data()
    {
        QTest::addColumn<bool>("newWindow");
        QTest::newRow("this window") << false;
        QTest::newRow("new window") << true;
    }
    void runIsUndoneAsOneStepHereOrInANewWindow()
    {
        QFETCH(bool, newWindow);
        Core::Workspace workspace;
        Core::Workspace other;
        QWidget otherWindow;
        auto target = makeVolume(4, 4, 4, [](uint32_t, uint32_t, uint32_t z) { return z < 2 ? 1u : 0u; });
        workspace.document().addObject(target);
        const auto before = cellStates(*target);
        ProcessStep deposition(IsotropicDeposition);
        deposition.setParameter(QStringLiteral("Material_Id"), 3u, true);
        deposition.setParameter(QStringLiteral("Film Thickness"), 1.0f, true);
        TestDialog dialog(workspace, target);
        QVERIFY(!dialog.findChild<QCheckBox *>(QStringLiteral("chkNewWindow"))->isEnabled());
        dialog.setWindowMaker([&] { return Ui::RunProcessesDialog::RunWindow{&otherWindow, &other, nullptr}; });
        dialog.findChild<QCheckBox *>(QStringLiteral("chkNewWindow"))->setChecked(newWindow);
        dialog.setSteps({deposition, boxSubstrate(4, 4, 4, 2)});
        dialog.run();
        QVERIFY(dialog.messages.isEmpty());
        Core::Workspace &ran = newWindow ? other : workspace;
        QCOMPARE(workspace.document().allObjects().size(), newWindow ? 1 : 2);
        QCOMPARE(cellStates(*target) == before, newWindow);
        const auto objects = ran.document().allObjects();
        QCOMPARE(objects.size(), 2);
        auto worked = std::dynamic_pointer_cast<TotalVolume>(objects.first());
        const auto after = cellStates(*worked);
        QVERIFY(after != before);
        QCOMPARE(ran.undoRedo().undoName(), QStringLiteral("Batch Run"));
        QVERIFY(ran.undoRedo().undo());
        QCOMPARE(ran.document().allObjects(), QList<Model::ObjectPtr>{worked});
        QCOMPARE(cellStates(*worked), before);
        QVERIFY(ran.undoRedo().redo());
        QCOMPARE(ran.document().allObjects(), objects);
        QCOMPARE(cellStates(*worked), after);
    }

    void saveImageWaitsForTheInterfaceThread()
    {
        Core::Workspace workspace;
        CountingSteps gated;
        TestDialog dialog(workspace, std::make_shared<TotalVolume>(2, 2, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D(), 1u),
                          gated.registry);
        QStringList shots;
        QThread *shotThread = nullptr;
        dialog.setScreenshotFunction([&](const QString &name) {
            shots << name;
            shotThread = QThread::currentThread();
            return !name.endsWith(QLatin1String("/refused.png"));
        });
        dialog.setSteps({saveImage("one.png"), planarize(), saveImage("refused.png"), planarize()});
        dialog.run();
        // Without a list file the images go to the working folder.
        const QString folder = QDir::current().canonicalPath() + QLatin1Char('/');
        QCOMPARE(shots, (QStringList{folder + "one.png", folder + "refused.png"}));
        QCOMPARE(shotThread, QThread::currentThread());
        QCOMPARE(int(gated.runs), 1);
        QCOMPARE(dialog.messages.size(), 1);
        QVERIFY(dialog.messages[0].text.contains(QLatin1String("Save Image")));
        QVERIFY(dialog.messages[0].informative.contains(QLatin1String("refused.png")));
    }

    // The images of a list go to the images folder: names leading elsewhere stop the run before
    // its first step, and existing files are replaced only when the user says so.
    void imagesStayInTheImagesFolder()
    {
        QTemporaryDir folder;
        writeFile(folder, QStringLiteral("old.png"), "old");
        const QString canonical = QDir(folder.path()).canonicalPath() + QLatin1Char('/');
        Core::Workspace workspace;
        CountingSteps counted;
        TestDialog dialog(workspace, std::make_shared<TotalVolume>(2, 2, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D(), 1u),
                          counted.registry);
        QStringList shots;
        dialog.setScreenshotFunction([&shots](const QString &name) {
            shots << name;
            return true;
        });
        dialog.findChild<QLineEdit *>(QStringLiteral("lieImagesFolder"))->setText(folder.path());
        dialog.setSteps({planarize(), saveImage("new.png"), saveImage("../holiday.png")});
        dialog.run();
        QCOMPARE(int(counted.runs), 0);
        QCOMPARE(dialog.messages.size(), 1);
        QCOMPARE(dialog.messages[0].text,
                 QStringLiteral("The list was not run: its images cannot be saved in the images folder \"%1\".")
                     .arg(folder.path()));
        QVERIFY2(dialog.messages[0].informative.startsWith(
                     QStringLiteral("Step 3 (Save Image): \"../holiday.png\" leads out of the images folder")),
                 qPrintable(dialog.messages[0].informative));

        dialog.messages.clear();
        dialog.setSteps({planarize(), saveImage("new.png"), saveImage("old.png")});
        dialog.run();
        const QStringList question{QStringLiteral("Step 3 (Save Image): \"old.png\" would replace the existing file "
                                                  "\"%1old.png\".")
                                       .arg(canonical)};
        QCOMPARE(dialog.replaceQuestions, question);
        QCOMPARE(int(counted.runs), 0);
        QVERIFY(shots.isEmpty());
        dialog.replaceAnswer = true;
        dialog.run();
        QCOMPARE(dialog.replaceQuestions, question + question);
        QCOMPARE(int(counted.runs), 1);
        QCOMPARE(shots, (QStringList{canonical + "new.png", canonical + "old.png"}));
        QVERIFY(dialog.messages.isEmpty());

        // Left empty, the field means the folder of the list.
        dialog.findChild<QLineEdit *>(QStringLiteral("lieImagesFolder"))->clear();
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("lists")));
        QVERIFY(dialog.saveList(folder.filePath(QStringLiteral("lists/l.plst"))));
        shots.clear();
        dialog.setSteps({saveImage("listed.png")});
        dialog.run();
        QCOMPARE(shots, QStringList{canonical + "lists/listed.png"});
    }
};

QTEST_MAIN(tst_RunProcessesDialog)
#include "tst_runprocessesdialog.moc"
