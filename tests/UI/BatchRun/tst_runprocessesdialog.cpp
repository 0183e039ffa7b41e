#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processvocabulary.h"
#include "Core/workspace.h"
#include "UI/BatchRun/runprocessesdialog.h"
#include "catalogtesthome.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using namespace Core::BatchRun;
using Model::Automaton::TotalVolume;
using Ui::ProcessData;

namespace {

struct Message {
    QMessageBox::Icon icon;
    QString title;
    QString text;
    QString informative;
};

// The dialog with its questions answered by the test instead of a user.
class TestDialog : public Ui::RunProcessesDialog {
public:
    using RunProcessesDialog::RunProcessesDialog;

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
    int conflicts = 0;

protected:
    ProcessListFile::ConflictAnswer resolveConflict(const Model::Materials::Material &,
                                                    const Model::Materials::Material &) override
    {
        ++conflicts;
        return {ProcessListFile::ConflictChoice::ReplaceLoadedByAnother, 9u};
    }
    bool editStep(ProcessData &step, bool adding) override
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
};

ProcessData substrate()
{
    ProcessData step(CreateSubstrate);
    step.setParameter(QStringLiteral("Material_Id"), 1u, false);
    step.setParameter(QStringLiteral("Lower Left Front Corner"), QVariant::fromValue(Util::Vector3D(0, 0, 0)), true);
    for (const char *n : {"Volume Size X", "Volume Size Y", "Volume Size Z", "Substrate Size X", "Substrate Size Y"})
        step.setParameter(QLatin1String(n), 4u, true);
    step.setParameter(QStringLiteral("Substrate Size Z"), 2u, true);
    for (const char *n : {"Substrate Delta X", "Substrate Delta Y", "Substrate Delta Z"})
        step.setParameter(QLatin1String(n), 0u, true);
    step.setParameter(QStringLiteral("SphericalSubstrate"), false, false);
    return step;
}

ProcessData planarize(bool withParameters = true)
{
    ProcessData step(Planarization);
    if (withParameters) {
        step.setParameter(QStringLiteral("Maximum Height"), 3u, true);
        step.setParameter(QStringLiteral("Minimum Height"), 0u, true);
    }
    return step;
}

// A registry in which planarization counts its runs and may wait at a gate the test opens.
struct GatedSteps {
    QSemaphore gate{0};
    bool gated = false;
    QAtomicInt runs = 0;
    StepRegistry registry;
    GatedSteps()
    {
        registry.add(CreateSubstrate,
                     [](StepContext &c, const ProcessData &s) { return StepRegistry::standard().run(c, s); });
        registry.add(SaveImage,
                     [](StepContext &c, const ProcessData &s) { return StepRegistry::standard().run(c, s); });
        registry.add(Planarization, [this](StepContext &, const ProcessData &s) {
            if (!s.hasParameter(QStringLiteral("Maximum Height")))
                return int(MissingParameter);
            if (gated)
                gate.acquire();
            runs.ref();
            return int(Success);
        });
    }
};

QPushButton *button(QDialog &d, const char *name) { return d.findChild<QPushButton *>(QLatin1String(name)); }

QStringList rowNames(QDialog &d)
{
    QStringList names;
    auto *tree = d.findChild<QTreeWidget *>(QStringLiteral("treeWidget"));
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        names << tree->topLevelItem(i)->text(0) + QLatin1Char(' ') + tree->topLevelItem(i)->text(1);
    return names;
}

void finishRun(TestDialog &dialog)
{
    dialog.waitForWorker();
    dialog.updateProgress();
}

} // namespace

class tst_RunProcessesDialog : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

private slots:
    void opensWithEveryWidget()
    {
        Core::Workspace workspace;
        TestDialog dialog(nullptr, nullptr, workspace);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Batch Run"));
        const QList<QPair<const char *, const char *>> buttons{{"btnAddProcess", "Add Process"},
                                                               {"btnRemoveProcess", "Remove Process"},
                                                               {"btnModify", "Modify"},
                                                               {"btnMoveUp", "Move Up"},
                                                               {"btnMoveDown", "Move Down"},
                                                               {"btnMoveTo", "Move To"},
                                                               {"btnNewList", "New List"},
                                                               {"btnLoadList", "Load List"},
                                                               {"btnSaveList", "Save List"},
                                                               {"btnSaveListAs", "Save List As ..."},
                                                               {"btnRun", "Run"},
                                                               {"btnStop", "Stop"},
                                                               {"btnClose", "Close"}};
        for (const auto &b : buttons) {
            QPushButton *widget = button(dialog, b.first);
            QVERIFY2(widget, b.first);
            QCOMPARE(widget->text(), QLatin1String(b.second));
        }
        auto *tree = dialog.findChild<QTreeWidget *>(QStringLiteral("treeWidget"));
        QCOMPARE(tree->columnCount(), 4);
        QCOMPARE(tree->headerItem()->text(2), QStringLiteral("Parameter"));
        QCOMPARE(tree->headerItem()->text(3), QStringLiteral("Value"));
        auto *combo = dialog.findChild<QComboBox *>(QStringLiteral("cbxProcess"));
        QCOMPARE(combo->count(), 20);
        QCOMPARE(combo->itemText(0), QStringLiteral("Anisotropic Deposition"));
        QCOMPARE(combo->itemData(0).toInt(), 17);
        QCOMPARE(combo->itemText(13), QStringLiteral("Pour Material"));
        QCOMPARE(combo->itemData(13).toInt(), 9);
        QCOMPARE(combo->itemText(19), QStringLiteral("Thermal Oxidation"));
        auto *progress = dialog.findChild<QProgressBar *>(QStringLiteral("progressBar"));
        QVERIFY(!progress->isEnabled());
        QCOMPARE(progress->value(), 0);
    }

    void addedStepShowsItsVisibleParameters()
    {
        Core::Workspace workspace;
        TestDialog dialog(nullptr, nullptr, workspace);
        auto *combo = dialog.findChild<QComboBox *>(QStringLiteral("cbxProcess"));
        combo->setCurrentIndex(combo->findData(int(IsotropicDeposition)));
        dialog.nextValues = {{QStringLiteral("Film Thickness"), 2.5}, {QStringLiteral("Material_Id"), 3u}};
        button(dialog, "btnAddProcess")->click();
        QCOMPARE(dialog.steps().size(), 1);
        const ProcessData step = dialog.steps().first();
        QCOMPARE(step.getProcessType(), int(IsotropicDeposition));
        QCOMPARE(step.getProcessParameter(QStringLiteral("Material")).toString(), QStringLiteral("Thermal Si02"));
        QVERIFY(!step.getParameterVisibility(QStringLiteral("Material_Id")));
        QVERIFY(!step.getParameterVisibility(QStringLiteral("Material_Color")));
        auto *tree = dialog.findChild<QTreeWidget *>(QStringLiteral("treeWidget"));
        QCOMPARE(rowNames(dialog), QStringList{QStringLiteral("1 Isotropic Deposition")});
        QTreeWidgetItem *row = tree->topLevelItem(0);
        QCOMPARE(row->data(1, Qt::UserRole).toUInt(), step.getSerialNumber());
        QCOMPARE(row->childCount(), 2);
        QCOMPARE(row->child(0)->text(2), QStringLiteral("Film Thickness"));
        QCOMPARE(row->child(0)->text(3), QStringLiteral("2.5"));
        QCOMPARE(row->child(1)->text(2), QStringLiteral("Material"));
        QVERIFY(!row->child(1)->icon(3).isNull());
        QVERIFY(row->child(0)->icon(3).isNull());

        dialog.acceptEdit = false;
        button(dialog, "btnAddProcess")->click();
        QCOMPARE(dialog.steps().size(), 1);
    }

    void modifyKeepsVisibility()
    {
        Core::Workspace workspace;
        TestDialog dialog(nullptr, nullptr, workspace);
        ProcessData step = planarize();
        step.setParameter(QStringLiteral("Minimum Height"), 0u, false);
        dialog.setSteps({step});
        auto *tree = dialog.findChild<QTreeWidget *>(QStringLiteral("treeWidget"));
        tree->topLevelItem(0)->setSelected(true);
        dialog.nextValues = {{QStringLiteral("Minimum Height"), 2u}};
        button(dialog, "btnModify")->click();
        const ProcessData changed = dialog.steps().first();
        QCOMPARE(changed.getProcessParameter(QStringLiteral("Minimum Height")).toUInt(), 2u);
        QVERIFY(!changed.getParameterVisibility(QStringLiteral("Minimum Height")));
        QCOMPARE(changed.getSerialNumber(), step.getSerialNumber());

        // Double-clicking a parameter row modifies its step.
        tree->expandAll();
        dialog.nextValues = {{QStringLiteral("Maximum Height"), 7u}};
        dialog.on_treeWidget_itemDoubleClicked(tree->topLevelItem(0)->child(0), 3);
        QCOMPARE(dialog.steps().first().getProcessParameter(QStringLiteral("Maximum Height")).toUInt(), 7u);
        QCOMPARE(dialog.edits, 2);
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
        QTest::newRow("move to after the first") << 2 << "btnMoveTo" << 0 << false << "ACB" << 1;
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
        TestDialog dialog(nullptr, nullptr, workspace);
        // A, B and C are told apart by their types.
        const QMap<int, QChar> letters{{int(SiWetEtching), 'A'}, {int(Planarization), 'B'}, {int(SaveImage), 'C'}};
        const QList<ProcessData> steps{ProcessData(SiWetEtching), ProcessData(Planarization), ProcessData(SaveImage)};
        dialog.setSteps(steps);
        auto *tree = dialog.findChild<QTreeWidget *>(QStringLiteral("treeWidget"));
        tree->setCurrentItem(tree->topLevelItem(selected));
        if (target >= 0) {
            dialog.moveTarget = steps[target].getSerialNumber();
            dialog.moveBefore = before;
        }
        button(dialog, action.toLatin1().constData())->click();
        QString result;
        for (const ProcessData &s : dialog.steps())
            result += letters.value(s.getProcessType());
        QCOMPARE(result, order);
        QCOMPARE(rowNames(dialog).size(), 3);
        QCOMPARE(rowNames(dialog).first().left(2), QStringLiteral("1 "));
        if (current >= 0)
            QCOMPARE(tree->currentItem(), tree->topLevelItem(current));
    }

    void removeTakesEverySelectedStep()
    {
        Core::Workspace workspace;
        TestDialog dialog(nullptr, nullptr, workspace);
        dialog.setSteps({ProcessData(SiWetEtching), ProcessData(Planarization), ProcessData(SaveImage)});
        auto *tree = dialog.findChild<QTreeWidget *>(QStringLiteral("treeWidget"));
        tree->topLevelItem(0)->setSelected(true);
        tree->topLevelItem(2)->setSelected(true);
        button(dialog, "btnRemoveProcess")->click();
        QCOMPARE(rowNames(dialog), QStringList{QStringLiteral("1 Planarization")});
    }

    void parameterRowsCannotBeSelected()
    {
        Core::Workspace workspace;
        TestDialog dialog(nullptr, nullptr, workspace);
        dialog.setSteps({planarize()});
        auto *tree = dialog.findChild<QTreeWidget *>(QStringLiteral("treeWidget"));
        tree->topLevelItem(0)->child(0)->setSelected(true);
        QVERIFY(tree->selectedItems().isEmpty());
        tree->topLevelItem(0)->setSelected(true);
        QCOMPARE(tree->selectedItems().size(), 1);
    }

    void expandedRowsStayExpanded()
    {
        Core::Workspace workspace;
        TestDialog dialog(nullptr, nullptr, workspace);
        dialog.setSteps({planarize(), planarize()});
        auto *tree = dialog.findChild<QTreeWidget *>(QStringLiteral("treeWidget"));
        tree->topLevelItem(1)->setExpanded(true);
        QVERIFY(dialog.steps()[1].isExpanded());
        tree->setCurrentItem(tree->topLevelItem(1));
        button(dialog, "btnMoveUp")->click();
        QVERIFY(tree->topLevelItem(0)->isExpanded());
        QVERIFY(!tree->topLevelItem(1)->isExpanded());
    }

    void newListOnEmptyListChangesNothing()
    {
        Core::Workspace workspace;
        TestDialog dialog(nullptr, nullptr, workspace);
        const QString path = m_dir.filePath(QStringLiteral("empty.plst"));
        QVERIFY(dialog.saveList(path));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Batch Run ") + path);
        button(dialog, "btnNewList")->click();
        QCOMPARE(dialog.newListQuestions, 0);
        QCOMPARE(dialog.currentFileName(), path);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Batch Run ") + path);
    }

    void newListAnswers_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("emptied");
        QTest::addColumn<bool>("saved");
        QTest::newRow("save") << int(QMessageBox::Save) << true << true;
        QTest::newRow("discard") << int(QMessageBox::Discard) << true << false;
        QTest::newRow("cancel") << int(QMessageBox::Cancel) << false << false;
        QTest::newRow("unexpected") << int(QMessageBox::Yes) << false << false;
    }
    void newListAnswers()
    {
        QFETCH(int, answer);
        QFETCH(bool, emptied);
        QFETCH(bool, saved);
        Core::Workspace workspace;
        TestDialog dialog(nullptr, nullptr, workspace);
        const QString path = m_dir.filePath(QStringLiteral("newlist.plst"));
        QFile::remove(path);
        dialog.setSteps({planarize()});
        dialog.saveName = path;
        dialog.newListAnswer = QMessageBox::StandardButton(answer);
        button(dialog, "btnNewList")->click();
        QCOMPARE(dialog.newListQuestions, 1);
        QCOMPARE(dialog.steps().isEmpty(), emptied);
        QCOMPARE(QFile::exists(path), saved);
        if (emptied) {
            QVERIFY(dialog.currentFileName().isEmpty());
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Batch Run"));
        }
    }

    void loadAndSaveLists()
    {
        Core::Workspace workspace;
        TestDialog dialog(nullptr, nullptr, workspace);
        dialog.setSteps({substrate(), planarize()});
        const QString path = m_dir.filePath(QStringLiteral("saved.plst"));
        dialog.saveName = path;
        button(dialog, "btnSaveList")->click();
        QCOMPARE(dialog.currentFileName(), path);

        TestDialog other(nullptr, nullptr, workspace);
        other.openName = m_dir.filePath(QStringLiteral("missing.plst"));
        button(other, "btnLoadList")->click();
        QVERIFY(other.steps().isEmpty());
        QVERIFY(other.currentFileName().isEmpty());
        QVERIFY(other.messages.isEmpty());
        other.openName = path;
        button(other, "btnLoadList")->click();
        QCOMPARE(rowNames(other),
                 (QStringList{QStringLiteral("1 Create Substrate"), QStringLiteral("2 Planarization")}));
        QCOMPARE(other.windowTitle(), QStringLiteral("Batch Run ") + path);
        QVERIFY(other.messages.isEmpty());
    }

    void oldListWarnsOnce()
    {
        const QString path = m_dir.filePath(QStringLiteral("old.plst"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<Process-List version=\"0\"><Materials><Material name=\"Si\" material-id=\"1\"/></Materials>"
                   "<Process-Data process-type=\"4\"><Parameter parameter-name=\"MaterialId\" parameter-type=\"uint\" "
                   "parameter-data=\"1\"/></Process-Data><Process-Data process-type=\"5\"><Parameter "
                   "parameter-name=\"MaterialId\" parameter-type=\"uint\" parameter-data=\"1\"/></Process-Data>"
                   "</Process-List>");
        file.close();
        Core::Workspace workspace;
        TestDialog dialog(nullptr, nullptr, workspace);
        QVERIFY(dialog.loadList(path));
        QCOMPARE(dialog.messages.size(), 1);
        QCOMPARE(dialog.messages[0].title, QStringLiteral("Updated List"));
        QCOMPARE(dialog.messages[0].text, ProcessListFile::upgradeText());
    }

    void materialConflictsAreAsked()
    {
        const QString path = m_dir.filePath(QStringLiteral("conflict.plst"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<Process-List version=\"1\"><Materials><Material name=\"Nitride\" material-id=\"3\"/></Materials>"
                   "<Process-Data process-type=\"4\"><Parameter parameter-name=\"Material_Id\" parameter-type=\"uint\" "
                   "parameter-data=\"3\"/></Process-Data></Process-List>");
        file.close();
        Core::Workspace workspace;
        TestDialog dialog(nullptr, nullptr, workspace);
        QVERIFY(dialog.loadList(path));
        QCOMPARE(dialog.conflicts, 1);
        QCOMPARE(dialog.steps().first().getProcessParameter(QStringLiteral("Material_Id")).toUInt(), 9u);
        QCOMPARE(dialog.steps().first().getProcessParameter(QStringLiteral("Material")).toString(),
                 QStringLiteral("Au (bulk)"));
    }

    void logShowsStepResultsAndWarningsOfALoadedList()
    {
        const QString path = m_dir.filePath(QStringLiteral("typo.plst"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<Process-List version=\"1\"><Materials><Material name=\"Si\" material-id=\"1\"/></Materials>"
                   "<Process-Data process-type=\"11\">"
                   "<Parameter parameter-name=\"Material_Id\" parameter-type=\"uint\" parameter-data=\"1\"/>"
                   "<Parameter parameter-name=\"Lower Left Front Corner\" parameter-type=\"Util::Vector3D\" "
                   "parameter-data=\"0;0;0\"/>"
                   "<Parameter parameter-name=\"Volume Size X\" parameter-type=\"uint\" parameter-data=\"4\"/>"
                   "<Parameter parameter-name=\"Volume Size Y\" parameter-type=\"uint\" parameter-data=\"4\"/>"
                   "<Parameter parameter-name=\"Volume Size Z\" parameter-type=\"uint\" parameter-data=\"4\"/>"
                   "<Parameter parameter-name=\"SphericalSubstrate\" parameter-type=\"bool\" parameter-data=\"false\"/>"
                   "<Parameter parameter-name=\"Substrate Size X\" parameter-type=\"uint\" parameter-data=\"4\"/>"
                   "<Parameter parameter-name=\"Substrate Size Y\" parameter-type=\"uint\" parameter-data=\"4\"/>"
                   "<Parameter parameter-name=\"Substrate Size Z\" parameter-type=\"uint\" parameter-data=\"2\"/>"
                   "<Parameter parameter-name=\"Substrate Delta X\" parameter-type=\"uint\" parameter-data=\"0\"/>"
                   "<Parameter parameter-name=\"Substrate Delta Y\" parameter-type=\"uint\" parameter-data=\"0\"/>"
                   "<Parameter parameter-name=\"Substrate Delta Z\" parameter-type=\"uint\" parameter-data=\"0\"/>"
                   "</Process-Data><Process-Data process-type=\"16\">"
                   "<Parameter parameter-name=\"Film Thickness\" parameter-type=\"double\" parameter-data=\"thick\"/>"
                   "<Parameter parameter-name=\"Material_Id\" parameter-type=\"uint\" parameter-data=\"1\"/>"
                   "</Process-Data></Process-List>");
        file.close();
        Core::Workspace workspace;
        TestDialog dialog(nullptr, nullptr, workspace);
        QVERIFY(dialog.loadList(path));
        auto *log = dialog.findChild<QPlainTextEdit *>(QStringLiteral("txtLog"));
        QVERIFY(log);
        QVERIFY(log->isReadOnly());
        button(dialog, "btnRun")->click();
        finishRun(dialog);
        QVERIFY(dialog.messages.isEmpty());
        const QStringList lines = log->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 3);
        QVERIFY2(QRegularExpression(QStringLiteral("^1/2  Create Substrate  \\d+ ms  No error, process was run "
                                                   "successfully\\.$"))
                     .match(lines[0])
                     .hasMatch(),
                 qPrintable(lines[0]));
        QCOMPARE(lines[1], QStringLiteral("warning: step 2 (Isotropic Deposition): \"Film Thickness\" is not a number "
                                          "(\"thick\"); 0 is used."));
        QVERIFY2(lines[2].startsWith(QLatin1String("2/2  Isotropic Deposition  ")), qPrintable(lines[2]));
        // The film of thickness 0 changed nothing; the run went through.
        QCOMPARE(dialog.findChild<QProgressBar *>(QStringLiteral("progressBar"))->value(), 2);

        // A failing step is in the log as well as in the message box; a new run starts a new log.
        dialog.setSteps({planarize(false)});
        button(dialog, "btnRun")->click();
        finishRun(dialog);
        QCOMPARE(dialog.messages.size(), 1);
        const QStringList failed = log->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(failed.size(), 1);
        QVERIFY2(failed[0].startsWith(QLatin1String("1/1  Planarization  ")), qPrintable(failed[0]));
        QVERIFY(failed[0].contains(QLatin1String("A required parameter was not found. Check input list. (missing: ")));
    }

    void stopEndsTheRunInTheRunningStepAndPutsItsCellsBack()
    {
        Core::Workspace workspace;
        QSemaphore started;
        QSemaphore gate;
        QAtomicInt depositions = 0;
        StepRegistry registry;
        registry.add(CreateSubstrate,
                     [](StepContext &c, const ProcessData &s) { return StepRegistry::standard().run(c, s); });
        registry.add(IsotropicDeposition, [&](StepContext &c, const ProcessData &s) {
            depositions.ref();
            started.release();
            gate.acquire();
            return StepRegistry::standard().run(c, s);
        });
        ProcessData deposition(IsotropicDeposition);
        deposition.setParameter(QStringLiteral("Material_Id"), 3u, false);
        deposition.setParameter(QStringLiteral("Film Thickness"), 1.0f, true);
        TestDialog dialog(nullptr, nullptr, workspace, registry);
        dialog.setSteps({substrate(), deposition, deposition});
        QVERIFY(!button(dialog, "btnStop")->isEnabled());
        button(dialog, "btnRun")->click();
        QVERIFY(button(dialog, "btnStop")->isEnabled());
        started.acquire(); // the worker is in the second step
        button(dialog, "btnStop")->click();
        gate.release(2);
        finishRun(dialog);

        QCOMPARE(int(depositions), 1);
        QVERIFY(!button(dialog, "btnStop")->isEnabled());
        QCOMPARE(dialog.findChild<QProgressBar *>(QStringLiteral("progressBar"))->value(), 1);
        const QString log = dialog.findChild<QPlainTextEdit *>()->toPlainText();
        QVERIFY2(log.contains(QStringLiteral("Stopped: 1 of 3 steps ran.")), qPrintable(log));
        QVERIFY(dialog.messages.isEmpty());
        QVERIFY(dialog.targetVolume());
        Model::Automaton::CellLock lock(*dialog.targetVolume());
        for (size_t i = 0; i < dialog.targetVolume()->cellCount(); ++i)
            QVERIFY(lock.cells()[i].state() != 3u);
    }

    void runPressedTwiceStartsOneRun()
    {
        Core::Workspace workspace;
        auto volume = std::make_shared<TotalVolume>(2, 2, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D(0, 0, 0), 1u);
        GatedSteps steps;
        steps.gated = true;
        TestDialog dialog(nullptr, volume, workspace, steps.registry);
        dialog.setSteps({planarize()});
        button(dialog, "btnRun")->click();
        QVERIFY(dialog.isRunning());
        button(dialog, "btnRun")->click();
        // Close does nothing while the run goes on.
        dialog.show();
        button(dialog, "btnClose")->click();
        QVERIFY(dialog.isVisible());
        dialog.updateProgress();
        QVERIFY(dialog.isRunning());
        steps.gate.release(2);
        finishRun(dialog);
        QVERIFY(!dialog.isRunning());
        QCOMPARE(int(steps.runs), 1);
        QCOMPARE(dialog.findChild<QProgressBar *>(QStringLiteral("progressBar"))->value(), 1);
        QVERIFY(dialog.messages.isEmpty());
        button(dialog, "btnClose")->click();
        QVERIFY(!dialog.isVisible());
    }

    void failingStepStopsTheRunAndIsShown()
    {
        Core::Workspace workspace;
        GatedSteps steps;
        TestDialog dialog(nullptr, nullptr, workspace, steps.registry);
        dialog.setSteps({substrate(), planarize(false), planarize()});
        button(dialog, "btnRun")->click();
        finishRun(dialog);
        QCOMPARE(int(steps.runs), 0);
        auto *progress = dialog.findChild<QProgressBar *>(QStringLiteral("progressBar"));
        QCOMPARE(progress->maximum(), 3);
        QCOMPARE(progress->value(), 1);
        QCOMPARE(dialog.messages.size(), 1);
        QCOMPARE(dialog.messages[0].icon, QMessageBox::Warning);
        QVERIFY(dialog.messages[0].text.contains(QLatin1String("Planarization")));
        QVERIFY(
            dialog.messages[0].text.contains(QLatin1String("A required parameter was not found. Check input list.")));
        // The substrate of the first step stays.
        QVERIFY(dialog.targetVolume());
        QCOMPARE(workspace.document().allObjects().size(), 1);
    }

    void listFromNothingCreatesTheVolume()
    {
        Core::Workspace workspace;
        GatedSteps steps;
        TestDialog dialog(nullptr, nullptr, workspace, steps.registry);
        dialog.setSteps({substrate(), planarize()});
        button(dialog, "btnRun")->click();
        finishRun(dialog);
        QVERIFY(dialog.messages.isEmpty());
        QVERIFY(dialog.targetVolume());
        QCOMPARE(dialog.targetVolume()->sizeX(), 4u);
        QCOMPARE(workspace.document().allObjects().size(), 1);
        QCOMPARE(int(steps.runs), 1);
        QCOMPARE(dialog.findChild<QProgressBar *>(QStringLiteral("progressBar"))->value(), 2);
    }

    void missingVolumeIsReported()
    {
        Core::Workspace workspace;
        GatedSteps steps;
        TestDialog dialog(nullptr, nullptr, workspace, steps.registry);
        dialog.setSteps({planarize(), substrate()});
        button(dialog, "btnRun")->click();
        finishRun(dialog);
        QCOMPARE(dialog.messages.size(), 1);
        QCOMPARE(dialog.messages[0].icon, QMessageBox::Critical);
        QCOMPARE(dialog.messages[0].title, QStringLiteral("Missing Cell Volume"));
        QCOMPARE(
            dialog.messages[0].text,
            QStringLiteral("No cell volume was selected and a cell volume was not created. The cell volume must be "
                           "created before any other process."));
        QCOMPARE(dialog.findChild<QProgressBar *>(QStringLiteral("progressBar"))->value(), 0);
        QVERIFY(workspace.document().allObjects().isEmpty());
    }

    void saveImageWaitsForTheInterfaceThread()
    {
        Core::Workspace workspace;
        auto volume = std::make_shared<TotalVolume>(2, 2, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D(0, 0, 0), 1u);
        GatedSteps steps;
        TestDialog dialog(nullptr, volume, workspace, steps.registry);
        QStringList shots;
        QThread *shotThread = nullptr;
        dialog.setScreenshotFunction([&](const QString &name) {
            shots << name;
            shotThread = QThread::currentThread();
            return name != QLatin1String("refused.png");
        });
        ProcessData save(SaveImage);
        save.setParameter(QStringLiteral("Filename"), QStringLiteral("one.png"), true);
        ProcessData refused(SaveImage);
        refused.setParameter(QStringLiteral("Filename"), QStringLiteral("refused.png"), true);
        dialog.setSteps({save, planarize(), refused, planarize()});
        button(dialog, "btnRun")->click();
        finishRun(dialog);
        QCOMPARE(shots, (QStringList{QStringLiteral("one.png"), QStringLiteral("refused.png")}));
        QCOMPARE(shotThread, QThread::currentThread());
        QCOMPARE(int(steps.runs), 1);
        QCOMPARE(dialog.messages.size(), 1);
        QVERIFY(dialog.messages[0].text.contains(QLatin1String("Save Image")));
        QVERIFY(dialog.messages[0].informative.contains(QLatin1String("refused.png")));
    }
};

QTEST_MAIN(tst_RunProcessesDialog)
#include "tst_runprocessesdialog.moc"
