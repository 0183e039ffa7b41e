// The main window: its menus and keys, the commands driven through them on created substrates, the
// operation factory behind them, what a waiting command says in the window, the command console, the
// progress dialog's Escape, the timing lines and the window icon.
#include "Core/Operations/Objects/deleteobject.h"
#include "Core/Operations/Objects/selectvolumesoperation.h"
#include "Core/workspace.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Volume/totalvolume.h"
#include "UI/BatchRun/runprocessesdialog.h"
#include "UI/Console/commandconsole.h"
#include "UI/Console/consoleobserver.h"
#include "UI/Dialogs/operationprogressdialog.h"
#include "UI/applicationicon.h"
#include "UI/dialogtesting.h"
#include "UI/glwidget.h"
#include "UI/mainwindowpresenter.h"
#include "UI/operationfactory.h"
#include "Util/debugoutput.h"
#include "Util/runcontrol.h"
#include "catalogtesthome.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "testoperations.h"
#include "volumetesthelpers.h"

#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using Ui::OperationFactory;
using Ui::Console::CommandConsole;

namespace {

void createSubstrate(MainWindow &window)
{
    ModalAnswerer answerer({acceptDialog});
    window.action("actionCreate_Substrate")->trigger();
    QCOMPARE(answerer.answered(), size_t(1));
}

QList<TotalVolumePtr> volumes(Core::Workspace &ws)
{
    QList<TotalVolumePtr> result;
    for (const auto &object : ws.document().allObjects())
        if (auto volume = std::dynamic_pointer_cast<TotalVolume>(object))
            result << volume;
    return result;
}

QString consoleText(MainWindow &window) { return window.presenter()->console()->outputPane()->toPlainText(); }

std::shared_ptr<TotalVolume> smallVolume()
{
    return std::make_shared<TotalVolume>(4, 4, 6, 1.0f, 1.0f, 1.0f, Util::Vector3D(), 1u);
}

void type(CommandConsole &console, const QString &line)
{
    console.inputLine()->setText(line);
    console.enterPressed();
}

} // namespace

class tst_MainWindow : public QObject {
    Q_OBJECT
private slots:
    void keysUndoRedoNewAndTheWaitingOperation()
    {
        MainWindow window;
        Core::Workspace &ws = window.presenter()->workspace();
        QAction *undo = window.action("actionUndo");
        QAction *redo = window.action("actionRedo");
        QVERIFY(!undo->isEnabled() && !redo->isEnabled());
        createSubstrate(window);
        QCOMPARE(ws.document().allObjects().size(), 1);
        QCOMPARE(undo->text(), QStringLiteral("Undo Create Substrate"));

        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(ws.document().allObjects().isEmpty());
        QVERIFY(!undo->isEnabled());
        QCOMPARE(redo->text(), QStringLiteral("Redo Create Substrate"));
        QTest::keyClick(&window, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(ws.document().allObjects().size(), 1);
        QVERIFY(!redo->isEnabled());

        // Enter and Escape reach the waiting operation.
        const QString prompt = QStringLiteral("Delete: Select the objects to be deleted and press Return/Enter");
        window.action("actionDelete")->trigger();
        QCOMPARE(ws.console().message(), prompt);
        ws.console().writeMessage(QString());
        QTest::keyClick(&window, Qt::Key_Return);
        QCOMPARE(ws.console().message(), prompt); // Enter with nothing selected asks again
        QTest::keyClick(&window, Qt::Key_Escape);
        QCOMPARE(ws.console().message(), QStringLiteral("Delete: Operation canceled."));
        QVERIFY(!ws.currentOperation());

        // New asks first; only a confirmed New empties the document and its undo stack.
        for (bool confirm : {false, true}) {
            ModalAnswerer answerer({[&](QWidget *w) {
                qobject_cast<QMessageBox *>(w)->button(confirm ? QMessageBox::Ok : QMessageBox::Cancel)->click();
            }});
            window.action("actionNew")->trigger();
            QCOMPARE(answerer.answered(), size_t(1));
            QCOMPARE(ws.document().allObjects().isEmpty(), confirm);
            QCOMPARE(undo->isEnabled(), !confirm);
        }
    }

    void createSubstrateRejectedOrTooLargeAddsNothing()
    {
        MainWindow window;
        Core::Workspace &ws = window.presenter()->workspace();
        {
            ModalAnswerer answerer({[](QWidget *w) { qobject_cast<QDialog *>(w)->reject(); }});
            window.action("actionCreate_Substrate")->trigger();
        }
        QVERIFY(ws.document().allObjects().isEmpty());
        window.presenter()->cancelPressed();
        QVERIFY(!ws.currentOperation());

        // A volume too large for memory is refused with a message, and the program goes on.
        ModalAnswerer answerer({[](QWidget *w) {
                                    for (const char *name : {"sbxTotalWidth", "sbxTotalLength", "sbxTotalHeight"})
                                        w->findChild<QSpinBox *>(QLatin1String(name))->setValue(1000000000);
                                    acceptDialog(w);
                                },
                                [](QWidget *w) { qobject_cast<QMessageBox *>(w)->accept(); }});
        window.action("actionCreate_Substrate")->trigger();
        QCOMPARE(answerer.answered(), size_t(2)); // the dialog, then the message
        QVERIFY(ws.document().allObjects().isEmpty());
        QVERIFY(!window.action("actionUndo")->isEnabled());
        QVERIFY(!ws.currentOperation());
    }

    void actionsFollowTheirStateAndUnknownIdentifiersCancel()
    {
        MainWindow window;
        Core::Workspace &ws = window.presenter()->workspace();
        QAction *select = window.action("actionSelect");
        QVERIFY(select->isCheckable() && !select->isChecked());
        window.action("actionDelete")->trigger(); // nothing selected: asks for objects
        QVERIFY(ws.selection().isSelectionMode());
        QVERIFY(select->isChecked());
        window.presenter()->cancelPressed();
        select->trigger();
        QVERIFY(!select->isChecked());
        QVERIFY(!ws.selection().isSelectionMode());

        // The console is part of the window, a dock at its bottom, shown and hidden from the View menu.
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QAction *console = window.action("actionConsole");
        QDockWidget *dock = window.presenter()->consoleDock();
        QCOMPARE(window.presenter()->console()->window(), static_cast<QWidget *>(&window));
        QCOMPARE(window.dockWidgetArea(dock), Qt::BottomDockWidgetArea);
        QVERIFY(console->isChecked() && window.presenter()->console()->isVisible());
        bool inView = false;
        for (QAction *menu : window.menuBar()->actions())
            inView |= menu->text() == QLatin1String("View") && menu->menu()->actions().contains(console);
        QVERIFY(inView);
        console->trigger();
        QVERIFY(!console->isChecked() && !dock->isVisible());
        console->trigger();
        QVERIFY(console->isChecked() && dock->isVisible());
        // Closing the dock itself unchecks the action.
        dock->close();
        QVERIFY(!console->isChecked());

        // Texts that name no operation end the waiting one.
        for (const QString &text : {QStringLiteral("abc"), QStringLiteral("21")}) {
            window.presenter()->operationActivated(QStringLiteral("4"));
            QVERIFY(std::dynamic_pointer_cast<Core::Operations::DeleteObject>(ws.currentOperation()));
            window.presenter()->operationActivated(text);
            QVERIFY(!ws.currentOperation());
            QCOMPARE(ws.console().message(), QStringLiteral("Delete: Operation canceled."));
        }
    }

    void commandsTakeTheOnlyVolumeElseSayInTheWindowWhatToDo_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("takesTheOnly"); // one volume: taken at once (deleting it is no obvious choice)
        QTest::addColumn<QString>("prompt");    // with two volumes and none selected
        const QString click = QStringLiteral(u"Click a cell volume, then press Enter — Esc cancels");
        QTest::newRow("viewing options") << "actionChange_Viewing_Options" << true << "Change Visualization: " + click;
        QTest::newRow("extract film") << "actionExtract_Film" << true << "Extract Film: " + click;
        QTest::newRow("export data") << "actionExport_Data" << true << "Export Data: " + click;
        QTest::newRow("model extraction") << "actionModel_Extraction" << true << "Model Extraction: " + click;
        QTest::newRow("process step") << "actionPVD" << true << "Isotropic Deposition: " + click;
        QTest::newRow("glue") << "actionGlue_Substrate" << true
                              << QStringLiteral(u"Glue Volumes: Click the base cell volume, then press Enter — Esc "
                                                u"cancels");
        QTest::newRow("delete") << "actionDelete" << false
                                << QStringLiteral(
                                       u"Delete: Click the objects to delete, then press Enter — Esc cancels");
    }
    void commandsTakeTheOnlyVolumeElseSayInTheWindowWhatToDo()
    {
        QFETCH(QString, action);
        QFETCH(bool, takesTheOnly);
        QFETCH(QString, prompt);
        CatalogTestHome home;
        MainWindow window;
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        Core::Workspace &ws = window.presenter()->workspace();
        auto *overlay = window.view()->findChild<QLabel *>(QStringLiteral("lblPrompt"));
        QVERIFY(overlay);
        ws.document().addObject(smallVolume());
        if (takesTheOnly) {
            ModalAnswerer answerer({}, [](QWidget *modal) { modal->close(); });
            window.action(action)->trigger();
            QVERIFY2(!ws.console().requester(), qPrintable(ws.console().message()));
            QVERIFY(ws.console().prompt().isEmpty() && !overlay->isVisible());
            window.presenter()->cancelPressed(); // a dialog that stays open (model extraction) goes
        }

        ws.document().addObject(smallVolume());
        window.action(action)->trigger();
        QVERIFY(ws.console().requester());
        QCOMPARE(window.statusBar()->currentMessage(), prompt);
        QVERIFY(overlay->isVisible());
        QVERIFY(window.view()->rect().contains(overlay->geometry()));
        QVERIFY2(overlay->text().contains(prompt.mid(prompt.indexOf(QLatin1String(": ")) + 2)),
                 qPrintable(overlay->text()));
        QApplication::setActiveWindow(&window); // after the dialogs
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(!ws.currentOperation());
        QVERIFY(!overlay->isVisible());
        QVERIFY(window.statusBar()->currentMessage() != prompt); // the view may say its zoom there
    }

    void batchRunTakesTheOnlyVolumeOrAsksInADialog()
    {
        CatalogTestHome home;
        MainWindow window;
        Core::Workspace &ws = window.presenter()->workspace();
        QList<Model::ObjectPtr> added;
        bool yes = false;
        QStringList seen;
        ModalAnswerer answerer({}, [&](QWidget *modal) {
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                seen << QStringLiteral("asked");
                box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
            } else if (auto *dialog = qobject_cast<Ui::RunProcessesDialog *>(modal)) {
                seen << (dialog->targetVolume() ? QStringLiteral("run on %1").arg(added.indexOf(dialog->targetVolume()))
                                                : QStringLiteral("run on none"));
                dialog->reject();
            }
        });
        auto batchRun = [&] {
            seen.clear();
            window.action("actionBatch_Run")->trigger(); // returns when its dialogs have closed
            return seen;
        };
        QCOMPARE(batchRun(), QStringList{"run on none"}); // an empty document
        added << smallVolume();
        ws.document().addObject(added.last());
        QCOMPARE(batchRun(), QStringList{"run on 0"});
        added << smallVolume();
        ws.document().addObject(added.last());
        QCOMPARE(batchRun(), (QStringList{"asked", "run on none"}));
        yes = true;
        QCOMPARE(batchRun(), QStringList{"asked"});
        QCOMPARE(ws.console().prompt(),
                 QStringLiteral(u"Batch Run: Click a cell volume, then press Enter — Esc cancels"));
        ws.selection().toggle(added.last());
        seen.clear();
        window.presenter()->enterPressed();
        QCOMPARE(seen, QStringList{"run on 1"});
        QVERIFY(!ws.currentOperation() && ws.console().prompt().isEmpty());
    }

    void escapeAsksBeforeCancellingOnlyALongRun_data()
    {
        QTest::addColumn<int>("askAfter");   // milliseconds
        QTest::addColumn<QString>("answer"); // empty: not asked
        QTest::addColumn<bool>("stopped");
        QTest::newRow("a short run stops at once") << 3600000 << "" << true;
        QTest::newRow("a long run asks: yes") << 0 << "yes" << true;
        QTest::newRow("a long run asks: no") << 0 << "no" << false;
        QTest::newRow("the run ends while it asks") << 0 << "ended" << false;
    }
    void escapeAsksBeforeCancellingOnlyALongRun()
    {
        QFETCH(int, askAfter);
        QFETCH(QString, answer);
        QFETCH(bool, stopped);
        QCOMPARE(Ui::OperationProgressDialog::defaultAskAfter, 3000);
        Util::RunControl control;
        Ui::OperationProgressDialog dialog(QStringLiteral("CVD"), control);
        dialog.setAskAfter(askAfter);
        dialog.show();
        QStringList asked;
        ModalAnswerer answerer({}, [&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            asked << box->text();
            if (answer == QLatin1String("ended"))
                dialog.runEnded();
            else
                box->button(answer == QLatin1String("yes") ? QMessageBox::Yes : QMessageBox::No)->click();
        });
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QCOMPARE(asked, answer.isEmpty() ? QStringList() : QStringList{"Cancel the running step?"});
        QCOMPARE(control.stopRequested(), stopped);
    }

    void timingLinesOnlyWhenVerbose()
    {
        MainWindow window;
        QStringList lines;
        const bool wasEnabled = Util::DebugOutput::isEnabled();
        Util::DebugOutput::setSink([&lines](const QString &line) { lines << line; });
        Util::DebugOutput::setEnabled(false);
        createSubstrate(window);
        QVERIFY(lines.isEmpty());
        Util::DebugOutput::setEnabled(true);
        createSubstrate(window);
        Util::DebugOutput::setEnabled(wasEnabled);
        Util::DebugOutput::setSink({});
        QCOMPARE(lines.size(), 2);
        QVERIFY2(QRegularExpression(QStringLiteral("^Time to simulateCreate Substrate: \\d+ ms$"))
                     .match(lines[0])
                     .hasMatch(),
                 qPrintable(lines[0]));
        QVERIFY2(QRegularExpression(QStringLiteral("^Time to update surface: \\d+ ms$")).match(lines[1]).hasMatch(),
                 qPrintable(lines[1]));
    }

    void eachProcessEntryChangesACreatedSubstrate_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<uint>("typeCode");
        QTest::addColumn<bool>("undoable");
        QTest::addColumn<uint>("material"); // 0: the dialog's default
        // Doping makes the silicon N-doped (14); the implantation's defaults put P (15) in the bottom layer.
        QTest::newRow("actionIsotropic_Deposition") << "Isotropic Deposition" << 13u << true << 0u;
        QTest::newRow("actionIsotropic_Film_Etching") << "Isotropic Etching" << 14u << true << 0u;
        QTest::newRow("actionSimple_RIE") << "Simple RIE" << 30u << true << 0u;
        QTest::newRow("actionDoping") << "Doping" << 17u << true << 14u;
        QTest::newRow("actionIon_Implantation") << "Ion Implantation" << 3u << true << 15u;
        QTest::newRow("actionSi_Oxidation") << "Simple Si Oxidation" << 26u << true << 0u;
    }
    void eachProcessEntryChangesACreatedSubstrate()
    {
        QFETCH(QString, name);
        QFETCH(uint, typeCode);
        QFETCH(bool, undoable);
        QFETCH(uint, material);
        MainWindow window;
        Core::Workspace &ws = window.presenter()->workspace();
        createSubstrate(window);
        auto volume = volumes(ws).value(0);
        QVERIFY(volume);
        const auto before = cellStates(*volume);
        {
            ModalAnswerer answerer({}, [material](QWidget *w) {
                if (auto *box = w->findChild<QComboBox *>(QStringLiteral("cbxMaterial")); box && material)
                    box->setCurrentIndex(box->findData(material));
                acceptDialog(w);
            });
            window.action(QLatin1String(QTest::currentDataTag()))->trigger();
            QCOMPARE(answerer.answered(), size_t(1));
        }
        QVERIFY(consoleText(window).contains(name + QStringLiteral(": Operation finished.")));
        const auto after = cellStates(*volume);
        QVERIFY(after != before);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(ws.lastOperation(volume->id()), typeCode);
        QAction *undo = window.action("actionUndo");
        QCOMPARE(undo->text(), QStringLiteral("Undo ") + (undoable ? name : QStringLiteral("Create Substrate")));
        if (!undoable)
            return;
        undo->trigger();
        QVERIFY(cellStates(*volume) == before);
        window.action("actionRedo")->trigger();
        QVERIFY(cellStates(*volume) == after);
    }

    void glueCreatedSubstratesByMenu()
    {
        MainWindow window;
        Core::Workspace &ws = window.presenter()->workspace();
        createSubstrate(window);
        createSubstrate(window);
        const auto two = volumes(ws);
        QCOMPARE(two.size(), 2);

        ws.selection().toggle(two.first());
        {
            // The other volume is the top: the dialog opens at once.
            ModalAnswerer answerer({acceptDialog});
            window.action("actionGlue_Substrate")->trigger();
            QCOMPARE(answerer.answered(), size_t(1));
        }
        const auto glued = volumes(ws);
        QCOMPARE(glued.size(), 1);
        QCOMPARE(window.action("actionUndo")->text(), QStringLiteral("Undo Glue Volumes"));
        window.action("actionUndo")->trigger();
        QCOMPARE(volumes(ws), two);
        window.action("actionRedo")->trigger();
        QCOMPARE(volumes(ws), glued);
    }

    void iconFromAReadableIcoFileOrBuiltIn()
    {
        QTemporaryDir folder;
        const QString ico = folder.filePath(QStringLiteral("icon.ico"));
        const QList<QSize> builtIn{{16, 16}, {22, 22}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}};
        QCOMPARE(Ui::applicationIcon(folder.path()).availableSizes(), builtIn);
        writeFile(ico, "not an icon");
        const QImage drawn = Ui::applicationIcon(folder.path()).pixmap(QSize(32, 32)).toImage();
        QCOMPARE(drawn.size(), QSize(32, 32));
        // The drawn block: transparent around it, solid in its middle.
        QCOMPARE(qAlpha(drawn.pixel(0, 0)), 0);
        QVERIFY(qAlpha(drawn.pixel(16, 16)) > 200);

        QImage square(24, 24, QImage::Format_ARGB32);
        square.fill(QColor(0, 200, 0));
        QVERIFY(square.save(ico, "ICO"));
        const QIcon icon = Ui::applicationIcon(folder.path());
        QCOMPARE(icon.availableSizes(), QList<QSize>{QSize(24, 24)});
        QCOMPARE(icon.pixmap(24, 24).toImage().pixelColor(12, 12), QColor(0, 200, 0));
    }

    void everyListedIdentifierBuildsItsOwnOperationAndNoOtherIsServed()
    {
        CatalogTestHome home;
        Core::Workspace ws;
        OperationFactory factory(ws, nullptr);
        for (const auto &entry : OperationFactory::table()) {
            // Select Volumes waits for the Batch Run dialog to hook its observer in.
            QVERIFY2(factory.serves(entry.identifier) != entry.needsObserverHook, entry.actionName);
            if (entry.needsObserverHook)
                continue;
            auto first = factory.create(entry.identifier);
            auto second = factory.create(entry.identifier);
            QVERIFY2(first && second && first != second, entry.actionName); // a new operation every time
            QCOMPARE(first->name(), QString::fromLatin1(entry.operationName));
            QCOMPARE(first->typeCode(), entry.typeCode);
            QCOMPARE(&first->workspace(), &ws);
        }
        for (uint32_t unused : {0u, 21u, 1001u, 4294967295u}) {
            QVERIFY(!factory.serves(unused));
            QVERIFY(!factory.create(unused));
            QVERIFY(!OperationFactory::entry(unused));
        }

        // Select Volumes is served with the observer the Batch Run dialog supplies, one per window.
        auto batchObserver = std::make_shared<CountingObserver>();
        int made = 0;
        factory.setObserverMaker(24, [&](Core::Workspace &w, QWidget *) -> Util::ObserverPtr {
            ++made;
            return &w == &ws ? batchObserver : nullptr;
        });
        QVERIFY(std::dynamic_pointer_cast<Core::Operations::SelectVolumesOperation>(factory.create(24)));
        QCOMPARE(factory.create(24)->observer(), Util::ObserverPtr(batchObserver));
        QCOMPARE(made, 1);
        factory.setObserverMaker(24, {});
        QVERIFY(!factory.serves(24));
    }

    void windowsKeepTheirOwnObservers_data()
    {
        QTest::addColumn<uint32_t>("identifier");
        QTest::addColumn<bool>("closeOther");
        // The commands whose dialog a window's own observer shows.
        for (uint32_t id : {6u, 13u, 14u, 15u, 18u, 19u, 20u, 22u, 23u, 27u, 30u, 31u, 32u, 33u, 34u}) {
            QTest::newRow(qPrintable(QStringLiteral("%1, other window open").arg(id))) << id << false;
            QTest::newRow(qPrintable(QStringLiteral("%1, other window closed").arg(id))) << id << true;
        }
    }
    void windowsKeepTheirOwnObservers()
    {
        // Window A waits for a volume; window B starts the same command. A's dialog opens over A, for A.
        QFETCH(uint32_t, identifier);
        QFETCH(bool, closeOther);
        CatalogTestHome home;
        MainWindow a;
        Core::Workspace &wsA = a.presenter()->workspace();
        auto volume = smallVolume();
        wsA.document().addObject(volume);
        wsA.document().addObject(smallVolume());
        wsA.startOperation(identifier);
        QVERIFY(wsA.currentOperation());
        auto b = std::make_unique<MainWindow>();
        Core::Workspace &wsB = b->presenter()->workspace();
        wsB.startOperation(identifier); // an empty document: B's operation waits as well
        const auto waitingInB = wsB.currentOperation();
        QVERIFY(waitingInB);
        if (closeOther)
            b.reset();

        int dialogs = 0;
        QWidget *over = nullptr;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            ++dialogs;
            over = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
            dialog->reject();
        });
        wsA.selection().toggle(volume);
        a.presenter()->enterPressed();
        QCOMPARE(dialogs, 1);
        QCOMPARE(over, static_cast<QWidget *>(&a));
        // The rejected dialog cancelled A's own operation and left B's waiting one alone.
        QVERIFY(!wsA.currentOperation());
        QVERIFY2(wsA.console().message().contains(QStringLiteral("anceled")), qPrintable(wsA.console().message()));
        if (b) {
            QCOMPARE(wsB.currentOperation(), waitingInB);
            QVERIFY(wsB.console().message().endsWith(QStringLiteral("Enter/Return.")));
        }
    }

    void historyKeys_data()
    {
        QTest::addColumn<QStringList>("entered");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("shown"); // what the line shows after each key
        const QStringList abc{"A", "B", "C"};
        QTest::newRow("up walks from the oldest and stops at the newest")
            << abc << "UUUU" << QStringList{"A", "B", "C", "C"};
        QTest::newRow("down after that walks back and ends empty")
            << abc << "UUUUDDD" << QStringList{"A", "B", "C", "C", "C", "B", ""};
        QTest::newRow("down at once clears the line") << abc << "D" << QStringList{""};
        QTest::newRow("no history keeps what is typed") << QStringList() << "UD" << QStringList{"typed", "typed"};
    }
    void historyKeys()
    {
        QFETCH(QStringList, entered);
        QFETCH(QString, keys);
        QFETCH(QStringList, shown);
        Core::Workspace ws;
        CommandConsole console(ws.console());
        for (const QString &line : entered)
            type(console, line);
        QCOMPARE(console.history(), entered);
        QCOMPARE(console.inputLine()->text(), QString());
        if (entered.isEmpty())
            console.inputLine()->setText(QStringLiteral("typed"));
        QStringList seen;
        for (QChar key : keys) {
            if (key == QLatin1Char('U'))
                console.historyUp();
            else
                console.historyDown();
            seen << console.inputLine()->text();
        }
        QCOMPARE(seen, shown);
    }

    void emptyEnterAnswersAnEnterRequestAndMessagesAndLinesReachTheOutputPane()
    {
        Core::Workspace ws;
        CommandConsole console(ws.console());
        QStringList log;
        auto op = std::make_shared<LoggingOperation>(ws, QStringLiteral("Wait"), log);
        op->waitForEnter = true;
        op->start();
        type(console, QString());
        QCOMPARE(log, (QStringList{"Wait start", "Wait start", "Wait execute"}));
        QVERIFY(console.history().isEmpty());
        QVERIFY(console.outputPane()->toPlainText().isEmpty());

        auto observer = std::make_shared<Ui::Console::ConsoleObserver>(ws.console());
        ws.console().addObserver(observer);
        connect(observer.get(), &Ui::Console::ConsoleObserver::messageWritten, &console, &CommandConsole::writeMessage);
        QSignalSpy spy(observer.get(), &Ui::Console::ConsoleObserver::messageWritten);
        ws.console().writeMessage(QStringLiteral("first"));
        ws.console().writeMessage(QString()); // empty messages are not shown
        type(console, QStringLiteral("1, 2, 3"));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(console.outputPane()->toPlainText(), QStringLiteral("first\n1, 2, 3"));
    }
};

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
