// The main window: its menus and keys, the commands driven through them on created substrates, the
// operation factory behind them, the command console and the window icon.
#include "Core/Operations/deleteobject.h"
#include "Core/Operations/selectvolumesoperation.h"
#include "Core/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "UI/Console/commandconsole.h"
#include "UI/Console/consoleobserver.h"
#include "UI/applicationicon.h"
#include "UI/mainwindowpresenter.h"
#include "UI/managematerialsdialog.h"
#include "UI/materialtableviewitem.h"
#include "UI/operationfactory.h"
#include "catalogtesthome.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "testoperations.h"
#include "volumetesthelpers.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
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
    void menusIdentifiersAndEnabledActions()
    {
        MainWindow window;
        QStringList titles;
        for (QAction *menuAction : window.menuBar()->actions())
            titles << menuAction->text();
        QCOMPARE(titles.join(' '), QStringLiteral("File Edit Simulation Materials Rendering View Windows About"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Cellforge"));
        QCOMPARE(MainWindow::operationIdentifier("actionUndo"), 0u);
        for (const auto &entry : OperationFactory::table())
            QVERIFY2(window.action(QLatin1String(entry.actionName))->isEnabled(), entry.actionName);
        QVERIFY(!window.action("actionUndo")->isEnabled());
        QVERIFY(!window.action("actionRedo")->isEnabled());
    }

    void keysUndoRedoAndReachTheWaitingOperation()
    {
        MainWindow window;
        Core::Workspace &ws = window.presenter()->workspace();
        QAction *undo = window.action("actionUndo");
        QAction *redo = window.action("actionRedo");
        QCOMPARE(undo->text(), QStringLiteral("Undo "));
        createSubstrate(window);
        QCOMPARE(ws.document().allObjects().size(), 1);
        QCOMPARE(undo->text(), QStringLiteral("Undo Create Substrate"));
        QVERIFY(undo->isEnabled());
        QVERIFY(consoleText(window).contains(QStringLiteral("Create Substrate: substrate created successfully.")));

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
        QString shown;
        ModalAnswerer answerer({[](QWidget *w) {
                                    for (const char *name : {"sbxTotalWidth", "sbxTotalLength", "sbxTotalHeight"})
                                        w->findChild<QSpinBox *>(QLatin1String(name))->setValue(1000000000);
                                    acceptDialog(w);
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
        QVERIFY(ws.document().allObjects().isEmpty());
        QVERIFY(!window.action("actionUndo")->isEnabled());
        QVERIFY(!ws.currentOperation());
    }

    void newAsksFirst()
    {
        MainWindow window;
        Core::Workspace &ws = window.presenter()->workspace();
        createSubstrate(window);
        for (bool confirm : {false, true}) {
            QString text;
            ModalAnswerer answerer({[&](QWidget *w) {
                auto *box = qobject_cast<QMessageBox *>(w);
                QVERIFY(box);
                text = box->text();
                box->button(confirm ? QMessageBox::Ok : QMessageBox::Cancel)->click();
            }});
            window.action("actionNew")->trigger();
            QCOMPARE(answerer.titles, QStringList{"Create new document"});
            QCOMPARE(text, QStringLiteral("This will erase all data. Continue?"));
            QCOMPARE(ws.document().allObjects().isEmpty(), confirm);
            QCOMPARE(window.action("actionUndo")->isEnabled(), !confirm);
        }
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

    void selectAndConsoleActionsFollowTheirState()
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

        QAction *console = window.action("actionConsole");
        QWidget *consoleWindow = window.presenter()->console();
        QVERIFY(console->isChecked() && consoleWindow->isVisible());
        console->trigger();
        QVERIFY(!consoleWindow->isVisible());
        console->trigger();
        QVERIFY(consoleWindow->isVisible());
        // Closing the console window itself unchecks the action; it never ends the program.
        QVERIFY(!consoleWindow->testAttribute(Qt::WA_QuitOnClose));
        consoleWindow->close();
        QVERIFY(!console->isChecked());
    }

    void acceptedMaterialsReachTheCatalogueTheFileAndTheView()
    {
        CatalogTestHome home;
        auto materials = Model::Materials::MaterialFactory::instance();
        materials->createDefaultMaterials();
        MainWindow window;
        auto redraws = std::make_shared<CountingObserver>();
        window.presenter()->workspace().addUpdateObserver(redraws);
        ModalAnswerer answerer({[](QWidget *w) {
            auto *dialog = qobject_cast<Ui::ManageMaterialsDialog *>(w);
            dialog->findChild<QPushButton *>(QStringLiteral("btnAddMaterial"))->click();
            dialog->model()->setData(dialog->model()->index(2, 2), QColor(0, 0, 0, 255));
            dialog->accept();
        }});
        window.action("actionManage_Materials")->trigger();
        const auto all = materials->getMaterials();
        QCOMPARE(all.size(), 17);
        QCOMPARE(all.last().name(), QStringLiteral("New Material"));
        QCOMPARE(materials->getMaterial(4).color(), (std::array<float, 4>{0.0f, 0.0f, 0.0f, 1.0f}));
        const QByteArray written = home.read(QStringLiteral("materials.xml"));
        QVERIFY(written.contains("name=\"New Material\""));
        QVERIFY(written.contains("material-id=\"" + QByteArray::number(all.last().id()) + "\""));
        QCOMPARE(redraws->count, 1);
        materials->createDefaultMaterials();
    }

    void compatibleMaterialsAreStoredOnlyWhenAccepted()
    {
        CatalogTestHome home;
        Model::Materials::MaterialFactory::instance()->createDefaultMaterials();
        auto processes = Model::Process::ProcessFactory::instance();
        processes->createDefaultProcesses();
        MainWindow window;
        for (bool accept : {false, true}) {
            ModalAnswerer answerer({[accept](QWidget *w) {
                // The first process, "Si Wet Etching", gets Thermal Si02 (the first available material).
                w->findChild<QListWidget *>(QStringLiteral("listAvailableMaterials"))->item(0)->setSelected(true);
                w->findChild<QPushButton *>(QStringLiteral("btnInsert"))->click();
                accept ? acceptDialog(w) : qobject_cast<QDialog *>(w)->reject();
            }});
            window.action("actionManage_Compatible_Materials")->trigger();
            QCOMPARE(processes->getProcess(1).compatibleMaterialIds(),
                     accept ? (QList<uint32_t>{1, 3}) : (QList<uint32_t>{1}));
            QCOMPARE(home.read(QStringLiteral("processes.xml")).contains("<CompatibleMaterials>1;3</"), accept);
        }
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

    void eachProcessEntryChangesACreatedSubstrate_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("name");
        QTest::addColumn<uint>("typeCode");
        QTest::addColumn<bool>("undoable");
        QTest::addColumn<uint>("material"); // 0: the dialog's default
        // Doping dopes the silicon substrate with N-doped silicon (14); the implantation's defaults
        // put P (15) 50 below the top of the 30 cells of substrate: the bottom layer.
        const struct {
            const char *action, *name;
            uint typeCode;
            bool undoable;
            uint material;
        } rows[] = {{"actionIsotropic_Deposition", "Isotropic Deposition", 13, true, 0},
                    {"actionCVD", "CVD", 13, true, 0},
                    {"actionIsotropic_Film_Etching", "Isotropic Etching", 14, true, 0},
                    {"actionElectrodeposition", "Electroplating", 15, true, 0},
                    {"actionAnisotropic_Deposition", "Anisotropic Deposition", 13, true, 0},
                    {"actionAnisotropic_Etching", "Anisotropic Etching", 13, true, 0},
                    {"actionPVD", "Isotropic Deposition", 13, true, 0},
                    {"actionSimple_RIE", "Simple RIE", 30, false, 0},
                    {"actionDoping", "Doping", 17, true, 14},
                    {"actionIon_Implantation", "Ion Implantation", 3, true, 15},
                    {"actionSi_Oxidation", "Simple Si Oxidation", 26, true, 0},
                    {"actionBCA_Wet_Etching", "BCA Wet Etch", 28, true, 0},
                    {"actionContinuous_Wet_Etching", "Continuous Wet Etch", 29, true, 0}};
        for (const auto &row : rows)
            QTest::newRow(row.action) << row.action << row.name << row.typeCode << row.undoable << row.material;
    }
    void eachProcessEntryChangesACreatedSubstrate()
    {
        QFETCH(QString, action);
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
        auto redraws = std::make_shared<CountingObserver>();
        ws.addUpdateObserver(redraws);
        {
            ModalAnswerer answerer({}, [material](QWidget *w) {
                if (auto *box = w->findChild<QComboBox *>(QStringLiteral("cbxMaterial")); box && material)
                    box->setCurrentIndex(box->findData(material));
                acceptDialog(w);
            });
            window.action(action)->trigger();
            QCOMPARE(answerer.answered(), size_t(1));
        }
        QVERIFY(consoleText(window).contains(name + QStringLiteral(": Operation finished.")));
        const auto after = cellStates(*volume);
        QVERIFY(after != before);
        QVERIFY(redraws->count > 0);
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
        window.action("actionGlue_Substrate")->trigger();
        QVERIFY(consoleText(window).contains(
            QStringLiteral("Glue Volumes: select the top cell volume and press Enter/Return.")));
        ws.selection().toggle(two.last());
        {
            ModalAnswerer answerer({acceptDialog});
            window.presenter()->enterPressed();
            QCOMPARE(answerer.titles, QStringList{QStringLiteral("Glue Substrate")});
        }
        const auto glued = volumes(ws);
        QCOMPARE(glued.size(), 1);
        QVERIFY(consoleText(window).contains(QStringLiteral("Glue Volumes: volumes glued.")));
        QCOMPARE(window.action("actionUndo")->text(), QStringLiteral("Undo Glue Volumes"));
        window.action("actionUndo")->trigger();
        QCOMPARE(volumes(ws), two);
        window.action("actionRedo")->trigger();
        QCOMPARE(volumes(ws), glued);
    }

    void builtInIconWithoutAUsableIcoFile_data()
    {
        QTest::addColumn<QByteArray>("icoContents"); // none: no icon.ico at all
        QTest::newRow("no icon.ico") << QByteArray();
        QTest::newRow("icon.ico that is no image") << QByteArray("not an icon");
        QTest::newRow("empty icon.ico") << QByteArray("");
    }
    void builtInIconWithoutAUsableIcoFile()
    {
        QFETCH(QByteArray, icoContents);
        QTemporaryDir folder;
        QFile file(folder.filePath(QStringLiteral("icon.ico")));
        if (!icoContents.isNull())
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(icoContents) == icoContents.size());
        file.close();
        const QIcon icon = Ui::applicationIcon(folder.path());
        const QList<QSize> builtIn{{16, 16}, {22, 22}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}};
        QCOMPARE(icon.availableSizes(), builtIn);
        for (const QSize &size : builtIn) {
            const QImage image = icon.pixmap(size).toImage();
            QCOMPARE(image.size(), size);
            // The drawn block: transparent around it, solid in its middle.
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
            QVERIFY(qAlpha(image.pixel(size.width() / 2, size.height() / 2)) > 200);
        }
    }

    void icoFileInTheFolderWins()
    {
        QTemporaryDir folder;
        QImage square(24, 24, QImage::Format_ARGB32);
        square.fill(QColor(0, 200, 0));
        QVERIFY(square.save(folder.filePath(QStringLiteral("icon.ico")), "ICO"));
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
        for (uint32_t unused : {0u, 5u, 21u, 25u, 38u, 999u, 1001u, 5000u, 4294967295u}) {
            QVERIFY(!factory.serves(unused));
            QVERIFY(!factory.create(unused));
            QVERIFY(!OperationFactory::entry(unused));
        }
    }

    void selectVolumesIsServedOnlyWithASuppliedObserver()
    {
        Core::Workspace ws;
        OperationFactory factory(ws, nullptr);
        QVERIFY(!factory.create(24));
        auto batchObserver = std::make_shared<CountingObserver>();
        int made = 0;
        factory.setObserverMaker(24, [&](Core::Workspace &w, QWidget *) -> Util::ObserverPtr {
            ++made;
            return &w == &ws ? batchObserver : nullptr;
        });
        auto op = factory.create(24);
        QVERIFY(std::dynamic_pointer_cast<Core::Operations::SelectVolumesOperation>(op));
        QCOMPARE(op->observer(), Util::ObserverPtr(batchObserver));
        QCOMPARE(factory.create(24)->observer(), Util::ObserverPtr(batchObserver));
        QCOMPARE(made, 1); // one observer for the window, shared by its operations
        factory.setObserverMaker(24, {});
        QVERIFY(!factory.serves(24));
    }

    void eachFactoryOwnsOneObserverPerKind()
    {
        Core::Workspace first;
        Core::Workspace second;
        OperationFactory one(first, nullptr);
        OperationFactory other(second, nullptr);
        for (uint32_t id :
             {2u, 6u, 9u, 10u, 11u, 13u, 14u, 15u, 18u, 19u, 20u, 22u, 23u, 27u, 30u, 31u, 32u, 33u, 34u}) {
            const auto a = one.create(id);
            QVERIFY2(a->observer(), qPrintable(QString::number(id)));
            QCOMPARE(a->observer(), one.create(id)->observer());
            QVERIFY(other.create(id)->observer() != a->observer());
        }
        // Save and Save As tell the same title observer; CVD's dialog offers other materials
        // than the isotropic deposition's, so the two do not share one.
        QCOMPARE(one.create(9)->observer(), one.create(10)->observer());
        QVERIFY(one.create(13)->observer() != one.create(33)->observer());
        for (uint32_t id : {1u, 4u, 7u, 35u})
            QVERIFY(!one.create(id)->observer());
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
        // Window A waits for a volume; window B then starts the same command (and may be closed).
        // Going on in A opens A's dialog, over A, for A's operation.
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
        // The rejected dialog cancelled A's own operation ("canceled.", "Canceled!", "canceled!")...
        QVERIFY(!wsA.currentOperation());
        QVERIFY2(wsA.console().message().contains(QStringLiteral("anceled")), qPrintable(wsA.console().message()));
        // ... and left B's waiting one alone.
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
        QTest::newRow("down stays empty at the oldest") << abc << "UDD" << QStringList{"A", "B", ""};
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

    void emptyEnterAnswersAnEnterRequestAndIsNotRemembered()
    {
        Core::Workspace ws;
        QStringList log;
        auto op = std::make_shared<LoggingOperation>(ws, QStringLiteral("Wait"), log);
        op->waitForEnter = true;
        op->start();
        CommandConsole console(ws.console());
        type(console, QString());
        QCOMPARE(log, (QStringList{"Wait start", "Wait start", "Wait execute"}));
        QVERIFY(console.history().isEmpty());
        QVERIFY(console.outputPane()->toPlainText().isEmpty());
    }

    void enteredLinesAndMessagesReachTheOutputPane()
    {
        Core::Workspace ws;
        CommandConsole console(ws.console());
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
