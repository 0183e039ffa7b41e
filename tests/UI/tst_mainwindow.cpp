#include "Core/Operations/deleteobject.h"
#include "Core/workspace.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "UI/Console/commandconsole.h"
#include "UI/Operations/createsubstratedialog.h"
#include "UI/mainwindowpresenter.h"
#include "UI/operationprogressdialog.h"
#include "catalogtesthome.h"
#include "mainwindow.h"
#include "testoperations.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

/// Answers the modal dialogs that open while it lives, one handler per dialog in order.
class ModalAnswerer : public QObject {
public:
    explicit ModalAnswerer(std::vector<std::function<void(QWidget *)>> handlers)
        : m_handlers(std::move(handlers))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            // A long run's progress dialog is no question: it goes when the run ends.
            if (qobject_cast<Ui::OperationProgressDialog *>(modal))
                return;
            if (!modal || m_next >= m_handlers.size() || modal == m_last)
                return;
            m_last = modal;
            m_handlers[m_next++](modal);
        });
        m_timer.start(0);
    }
    size_t answered() const { return m_next; }

private:
    QTimer m_timer;
    std::vector<std::function<void(QWidget *)>> m_handlers;
    size_t m_next = 0;
    QWidget *m_last = nullptr;
};

QStringList actionNames(QMenu *menu)
{
    QStringList names;
    for (QAction *a : menu->actions())
        names << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    return names;
}

void acceptDialog(QWidget *w)
{
    auto *dialog = qobject_cast<QDialog *>(w);
    QVERIFY(qobject_cast<Ui::Operations::CreateSubstrateDialog *>(w));
    dialog->accept();
}

} // namespace

class tst_MainWindow : public QObject {
    Q_OBJECT
private slots:
    void menusComeInOrder()
    {
        MainWindow window;
        QStringList titles;
        for (QAction *menuAction : window.menuBar()->actions())
            titles << menuAction->text();
        QCOMPARE(titles,
                 (QStringList{"File", "Edit", "Simulation", "Materials", "Rendering", "View", "Windows", "About"}));
        QCOMPARE(window.windowTitle(), QStringLiteral("Cellforge"));
    }

    void menuContents_data()
    {
        QTest::addColumn<int>("menu");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("File") << 0
                              << QStringList{"actionNew",
                                             "actionOpen",
                                             "actionSave",
                                             "actionSave_as",
                                             "-",
                                             "actionExport_Data",
                                             "actionExport_Cell_Volume",
                                             "actionExport_Surface",
                                             "-",
                                             "actionNew_Process_List",
                                             "actionOpen_Process_List",
                                             "-",
                                             "actionSave_Image",
                                             "-",
                                             "actionExit"};
        QTest::newRow("Edit") << 1
                              << QStringList{
                                     "actionUndo",        "actionRedo",   "-", "actionSelect", "actionCopy",
                                     "actionMove",        "actionDelete", "-", "actionGrid",   "actionSnap_to_Grid",
                                     "actionGrid_Spacing"};
        // Model extraction ends the Simulation menu, after the batch run.
        QStringList simulationTail{"-", "actionExtract_Film",    "actionGlue_Substrate", "-", "actionBatch_Run",
                                   "-", "actionModel_Extraction"};
        QTest::newRow("Simulation tail") << -2 << simulationTail;
        QTest::newRow("View") << 5
                              << QStringList{"actionFront_View",
                                             "actionBack_view",
                                             "actionBottom_View",
                                             "actionTop_View",
                                             "actionRight_View",
                                             "actionLeft_View",
                                             "actionFit_to_Volumes",
                                             "-",
                                             "actionShow_Axis",
                                             "actionShow_Lights",
                                             "-",
                                             "actionSet_View",
                                             "actionSet_Lighting"};
        QTest::newRow("Materials") << 3 << QStringList{"actionManage_Materials", "actionManage_Compatible_Materials"};
        QTest::newRow("Windows") << 6 << QStringList{"actionConsole"};
        QTest::newRow("About") << 7 << QStringList{"actionAbout_Cellforge"};
    }

    void menuContents()
    {
        QFETCH(int, menu);
        QFETCH(QStringList, names);
        MainWindow window;
        if (menu == -2) {
            const QStringList simulation = actionNames(window.menuBar()->actions().at(2)->menu());
            QCOMPARE(simulation.mid(simulation.size() - names.size()), names);
            return;
        }
        QCOMPARE(actionNames(window.menuBar()->actions().at(menu)->menu()), names);
    }

    void shortcutsAndIdentifiers()
    {
        MainWindow window;
        QCOMPARE(window.action("actionBatch_Run")->shortcut(), QKeySequence("Ctrl+R"));
        QCOMPARE(window.action("actionSave_as")->shortcut(), QKeySequence("Ctrl+Shift+S"));
        QCOMPARE(window.action("actionUndo")->shortcut(), QKeySequence("Ctrl+Z"));
        QCOMPARE(window.action("actionRedo")->shortcut(), QKeySequence("Ctrl+Y"));
        QCOMPARE(window.action("actionSpin_Coating")->text(), QStringLiteral("Pour Material"));
        QCOMPARE(window.action("actionFit_to_Volumes")->text(), QStringLiteral("Fit to Volumes"));
        QCOMPARE(window.action("actionFit_to_Volumes")->shortcut(), QKeySequence(Qt::Key_F));
        QVERIFY(window.action("actionFit_to_Volumes")->isEnabled());
        QCOMPARE(MainWindow::operationIdentifier("actionCVD"), 33u);
        QCOMPARE(MainWindow::operationIdentifier("actionModel_Extraction"), 1000u);
        QCOMPARE(MainWindow::operationIdentifier("actionUndo"), 0u);
        QVERIFY(window.action("actionModel_Extraction"));
        QList<QKeySequence> keys;
        for (QShortcut *s : window.findChildren<QShortcut *>())
            keys << s->key();
        QVERIFY(keys.contains(QKeySequence(Qt::Key_Enter)));
        QVERIFY(keys.contains(QKeySequence(Qt::Key_Return)));
        QVERIFY(keys.contains(QKeySequence(Qt::Key_Escape)));
        QCOMPARE(window.action("actionCreate_Substrate")->statusTip(),
                 QStringLiteral("This creates a simulation volume with a substrate inside."));
        QCOMPARE(window.action("actionCreate_Substrate")->toolTip(), QStringLiteral("Create a substrate."));
    }

    void actionsAreEnabledExactlyWhenServed_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("create substrate") << "actionCreate_Substrate" << true;
        QTest::newRow("copy") << "actionCopy" << true;
        QTest::newRow("move") << "actionMove" << true;
        QTest::newRow("delete") << "actionDelete" << true;
        QTest::newRow("batch run") << "actionBatch_Run" << true;
        QTest::newRow("new process list") << "actionNew_Process_List" << true;
        QTest::newRow("open process list") << "actionOpen_Process_List" << true;
        QTest::newRow("doping") << "actionDoping" << true;
        QTest::newRow("ion implantation") << "actionIon_Implantation" << true;
        QTest::newRow("si oxidation") << "actionSi_Oxidation" << true;
        QTest::newRow("open") << "actionOpen" << true;
        QTest::newRow("save") << "actionSave" << true;
        QTest::newRow("save as") << "actionSave_as" << true;
        QTest::newRow("export data") << "actionExport_Data" << true;
        QTest::newRow("random walk doping") << "actionRandom_Walk_Doping" << true;
        QTest::newRow("export cell volume") << "actionExport_Cell_Volume" << true;
        QTest::newRow("pour material") << "actionSpin_Coating" << true;
        QTest::newRow("remove masked cuts") << "actionRemove_Masked_Cuts" << true;
        QTest::newRow("undo with empty stack") << "actionUndo" << false;
        QTest::newRow("redo with empty stack") << "actionRedo" << false;
        QTest::newRow("new") << "actionNew" << true;
        QTest::newRow("select") << "actionSelect" << true;
        QTest::newRow("console") << "actionConsole" << true;
        QTest::newRow("materials") << "actionManage_Materials" << true;
        QTest::newRow("compatible materials") << "actionManage_Compatible_Materials" << true;
        QTest::newRow("about") << "actionAbout_Cellforge" << true;
        QTest::newRow("exit") << "actionExit" << true;
        QTest::newRow("export surface") << "actionExport_Surface" << true;
        QTest::newRow("model extraction") << "actionModel_Extraction" << true;
    }

    void actionsAreEnabledExactlyWhenServed()
    {
        QFETCH(QString, name);
        QFETCH(bool, enabled);
        MainWindow window;
        QCOMPARE(window.action(name)->isEnabled(), enabled);
    }

    void createSubstrateFromTheMenuThenUndoAndRedo()
    {
        MainWindow window;
        Ui::MainWindowPresenter *presenter = window.presenter();
        QCOMPARE(window.action("actionUndo")->text(), QStringLiteral("Undo "));
        {
            ModalAnswerer answerer({acceptDialog});
            window.action("actionCreate_Substrate")->trigger();
            QCOMPARE(answerer.answered(), size_t(1));
        }
        Core::Workspace &ws = presenter->workspace();
        QCOMPARE(ws.document().allObjects().size(), 1);
        QCOMPARE(window.action("actionUndo")->text(), QStringLiteral("Undo Create Substrate"));
        QVERIFY(window.action("actionUndo")->isEnabled());
        QVERIFY(presenter->console()->outputPane()->toPlainText().contains(
            QStringLiteral("Create Substrate: substrate created successfully.")));

        window.action("actionUndo")->trigger();
        QVERIFY(ws.document().allObjects().isEmpty());
        QVERIFY(!window.action("actionUndo")->isEnabled());
        QCOMPARE(window.action("actionRedo")->text(), QStringLiteral("Redo Create Substrate"));
        QVERIFY(window.action("actionRedo")->isEnabled());

        window.action("actionRedo")->trigger();
        QCOMPARE(ws.document().allObjects().size(), 1);
        QVERIFY(!window.action("actionRedo")->isEnabled());
        QCOMPARE(window.action("actionUndo")->text(), QStringLiteral("Undo Create Substrate"));
    }

    void undoAndRedoKeys()
    {
        MainWindow window;
        {
            ModalAnswerer answerer({acceptDialog});
            window.action("actionCreate_Substrate")->trigger();
        }
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        Core::Workspace &ws = window.presenter()->workspace();
        QCOMPARE(ws.document().allObjects().size(), 1);
        QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(ws.document().allObjects().isEmpty());
        QTest::keyClick(&window, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(ws.document().allObjects().size(), 1);
    }

    void enterAndEscapeKeysReachTheWaitingOperation()
    {
        MainWindow window;
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        Core::Workspace &ws = window.presenter()->workspace();
        const QString prompt = QStringLiteral("Delete: Select the objects to be deleted and press Return/Enter");
        window.action("actionDelete")->trigger();
        QCOMPARE(ws.console().message(), prompt);
        ws.console().writeMessage(QString());
        QTest::keyClick(&window, Qt::Key_Return);
        QCOMPARE(ws.console().message(), prompt); // Enter with nothing selected asks again
        QTest::keyClick(&window, Qt::Key_Escape);
        QCOMPARE(ws.console().message(), QStringLiteral("Delete: Operation canceled."));
        QVERIFY(!ws.currentOperation());
    }

    void rejectedCreateSubstrateAddsNothing()
    {
        MainWindow window;
        ModalAnswerer answerer({[](QWidget *w) { qobject_cast<QDialog *>(w)->reject(); }});
        window.action("actionCreate_Substrate")->trigger();
        QVERIFY(window.presenter()->workspace().document().allObjects().isEmpty());
        QVERIFY(!window.action("actionUndo")->isEnabled());
        window.presenter()->cancelPressed();
        QVERIFY(!window.presenter()->workspace().currentOperation());
    }

    void tooLargeVolumeShowsAMessageAndTheProgramGoesOn()
    {
        MainWindow window;
        QString shown;
        ModalAnswerer answerer({[](QWidget *w) {
                                    for (const char *name : {"sbxTotalWidth", "sbxTotalLength", "sbxTotalHeight"})
                                        w->findChild<QSpinBox *>(QLatin1String(name))->setValue(1000000000);
                                    qobject_cast<QDialog *>(w)->accept();
                                },
                                [&](QWidget *w) {
                                    auto *box = qobject_cast<QMessageBox *>(w);
                                    QVERIFY(box);
                                    shown = box->text();
                                    box->accept();
                                }});
        window.action("actionCreate_Substrate")->trigger();
        QCOMPARE(answerer.answered(), size_t(2));
        QVERIFY(!shown.isEmpty());
        QVERIFY(window.presenter()->workspace().document().allObjects().isEmpty());
        QVERIFY(!window.action("actionUndo")->isEnabled());
        QVERIFY(!window.presenter()->workspace().currentOperation());
    }

    void newAsksFirst_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("ok") << true;
        QTest::newRow("cancel") << false;
    }

    void newAsksFirst()
    {
        QFETCH(bool, confirm);
        MainWindow window;
        Core::Workspace &ws = window.presenter()->workspace();
        {
            ModalAnswerer answerer({acceptDialog});
            window.action("actionCreate_Substrate")->trigger();
        }
        QCOMPARE(ws.document().allObjects().size(), 1);
        QString title;
        QString text;
        ModalAnswerer answerer({[&](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            box->button(confirm ? QMessageBox::Ok : QMessageBox::Cancel)->click();
        }});
        window.action("actionNew")->trigger();
        QCOMPARE(title, QStringLiteral("Create new document"));
        QCOMPARE(text, QStringLiteral("This will erase all data. Continue?"));
        QCOMPARE(ws.document().allObjects().isEmpty(), confirm);
        QCOMPARE(window.action("actionUndo")->isEnabled(), !confirm);
    }

    void identifierTextsThatAreNotOperationsStartNothing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << "0";
        QTest::newRow("letters") << "abc";
        QTest::newRow("unused") << "21";
        QTest::newRow("beyond the table") << "1001";
    }

    void identifierTextsThatAreNotOperationsStartNothing()
    {
        QFETCH(QString, text);
        MainWindow window;
        Core::Workspace &ws = window.presenter()->workspace();
        window.presenter()->operationActivated(QStringLiteral("4"));
        QVERIFY(std::dynamic_pointer_cast<Core::Operations::DeleteObject>(ws.currentOperation()));
        window.presenter()->operationActivated(text);
        QVERIFY(!ws.currentOperation());
        QCOMPARE(ws.console().message(), QStringLiteral("Delete: Operation canceled."));
    }

    void selectActionFollowsTheSelectionMode()
    {
        MainWindow window;
        Core::Workspace &ws = window.presenter()->workspace();
        QAction *select = window.action("actionSelect");
        QVERIFY(select->isCheckable());
        QVERIFY(!select->isChecked());
        window.action("actionDelete")->trigger(); // nothing selected: asks for objects
        QVERIFY(ws.selection().isSelectionMode());
        QVERIFY(select->isChecked());
        window.presenter()->cancelPressed();
        select->trigger();
        QVERIFY(!select->isChecked());
        QVERIFY(!ws.selection().isSelectionMode());
        select->trigger();
        QVERIFY(ws.selection().isSelectionMode());
    }

    void consoleActionShowsAndHidesTheConsole()
    {
        MainWindow window;
        QAction *console = window.action("actionConsole");
        QVERIFY(console->isChecked());
        QVERIFY(window.presenter()->console()->isVisible());
        console->trigger();
        QVERIFY(!window.presenter()->console()->isVisible());
        console->trigger();
        QVERIFY(window.presenter()->console()->isVisible());
        // Closing the console window itself unchecks the action; it never ends the program.
        QVERIFY(!window.presenter()->console()->testAttribute(Qt::WA_QuitOnClose));
        window.presenter()->console()->close();
        QVERIFY(!console->isChecked());
    }

    void acceptedMaterialsReachTheCatalogueAndTheView()
    {
        CatalogTestHome home;
        auto materials = Model::Materials::MaterialFactory::instance();
        materials->createDefaultMaterials();
        MainWindow window;
        auto redraws = std::make_shared<CountingObserver>();
        window.presenter()->workspace().addUpdateObserver(redraws);
        ModalAnswerer answerer({[](QWidget *w) {
            w->findChild<QPushButton *>(QStringLiteral("btnAddMaterial"))->click();
            qobject_cast<QDialog *>(w)->accept();
        }});
        window.action("actionManage_Materials")->trigger();
        const auto all = materials->getMaterials();
        QCOMPARE(all.size(), 17);
        QCOMPARE(all.last().name(), QStringLiteral("New Material"));
        QVERIFY(home.read(QStringLiteral("materials.xml")).contains("New Material"));
        QCOMPARE(redraws->count, 1);
        materials->createDefaultMaterials();
    }

    void rejectedCompatibleMaterialsChangeNothing_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("ok") << true;
        QTest::newRow("cancel") << false;
    }

    void rejectedCompatibleMaterialsChangeNothing()
    {
        QFETCH(bool, accept);
        CatalogTestHome home;
        Model::Materials::MaterialFactory::instance()->createDefaultMaterials();
        auto processes = Model::Process::ProcessFactory::instance();
        processes->createDefaultProcesses();
        MainWindow window;
        ModalAnswerer answerer({[accept](QWidget *w) {
            // The first process, "Si Wet Etching", gets Thermal Si02 (the first available material).
            w->findChild<QListWidget *>(QStringLiteral("listAvailableMaterials"))->item(0)->setSelected(true);
            w->findChild<QPushButton *>(QStringLiteral("btnInsert"))->click();
            auto *dialog = qobject_cast<QDialog *>(w);
            accept ? dialog->accept() : dialog->reject();
        }});
        window.action("actionManage_Compatible_Materials")->trigger();
        QCOMPARE(processes->getProcess(1).compatibleMaterialIds(),
                 accept ? (QList<uint32_t>{1, 3}) : (QList<uint32_t>{1}));
        QCOMPARE(home.read(QStringLiteral("processes.xml")).contains("<CompatibleMaterials>1;3</CompatibleMaterials>"),
                 accept);
        processes->createDefaultProcesses();
    }

    void consolePlacement_data()
    {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QPoint>("position");
        QTest::newRow("full hd") << QRect(0, 0, 1920, 1080) << QPoint(1368, 846);
        QTest::newRow("truncated") << QRect(0, 0, 1001, 501) << QPoint(540, 324);
        QTest::newRow("second screen") << QRect(1920, 0, 1280, 1024) << QPoint(1920 + 792, 795);
    }

    void consolePlacement()
    {
        QFETCH(QRect, screen);
        QFETCH(QPoint, position);
        QCOMPARE(Ui::MainWindowPresenter::consolePosition(screen, QSize(400, 140)), position);
    }

    void titleNamesTheDocumentFile()
    {
        MainWindow window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Cellforge"));
        window.presenter()->workspace().document().setFileName(QStringLiteral("/tmp/chip.cfw"));
        window.presenter()->workspace().notifyUpdate();
        QCOMPARE(window.windowTitle(), QStringLiteral("Cellforge  /tmp/chip.cfw"));
    }
};

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
