// The main window: its menus and keys, the commands driven through them on created substrates, and the
// window icon.
#include "Core/Operations/deleteobject.h"
#include "Core/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "UI/Console/commandconsole.h"
#include "UI/Operations/maskedcutoptionsdialog.h"
#include "UI/Operations/maskfilegroup.h"
#include "UI/Operations/photolithographydialog.h"
#include "UI/Operations/planarizationoptionsdialog.h"
#include "UI/Operations/spincoatingoptionsdialog.h"
#include "UI/applicationicon.h"
#include "UI/mainwindowpresenter.h"
#include "UI/managematerialsdialog.h"
#include "UI/materialtableviewitem.h"
#include "catalogtesthome.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "testoperations.h"
#include "volumetesthelpers.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;

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

bool isCut(TotalVolume &volume, uint32_t x, uint32_t y, uint32_t z)
{
    Model::Automaton::CellLock lock(volume);
    return lock.cells()[volume.index(x, y, z)].isCut();
}

/// Runs `answer` on the next modal dialog, which must be a Dialog, then accepts it.
template <class Dialog> void acceptNext(std::function<void(Dialog &)> answer)
{
    whenModal([answer](QWidget *modal) {
        auto *dialog = qobject_cast<Dialog *>(modal);
        QVERIFY(dialog);
        answer(*dialog);
        dialog->accept();
    });
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
        // Model extraction ends the Simulation menu, after the batch run.
        QCOMPARE(window.menuBar()->actions().at(2)->menu()->actions().last(), window.action("actionModel_Extraction"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Cellforge"));
        QCOMPARE(MainWindow::operationIdentifier("actionCVD"), 33u);
        QCOMPARE(MainWindow::operationIdentifier("actionModel_Extraction"), 1000u);
        QCOMPARE(MainWindow::operationIdentifier("actionUndo"), 0u);

        // Every served command is enabled; there is nothing to undo or redo yet.
        const QString enabled = QStringLiteral(
            "actionCreate_Substrate actionCopy actionMove actionDelete actionBatch_Run actionNew_Process_List "
            "actionOpen_Process_List actionDoping actionIon_Implantation actionSi_Oxidation actionOpen actionSave "
            "actionSave_as actionExport_Data actionRandom_Walk_Doping actionExport_Cell_Volume actionSpin_Coating "
            "actionRemove_Masked_Cuts actionNew actionSelect actionConsole actionManage_Materials "
            "actionManage_Compatible_Materials actionAbout_Cellforge actionExit actionExport_Surface "
            "actionModel_Extraction actionGlue_Substrate actionExtract_Film actionCut_Cell_Volume "
            "actionPhotolithography actionPlanarization actionMasked_Volume_Cut actionMoore_Deposition "
            "actionMoore_Etching actionChange_Viewing_Options actionTop_View actionFit_to_Volumes");
        for (const QString &name : enabled.split(' '))
            QVERIFY2(window.action(name)->isEnabled(), qPrintable(name));
        QVERIFY(!window.action("actionUndo")->isEnabled());
        QVERIFY(!window.action("actionRedo")->isEnabled());
    }

    void createSubstrateThenUndoAndRedoByMenuAndKeys()
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

        undo->trigger();
        QVERIFY(ws.document().allObjects().isEmpty());
        QVERIFY(!undo->isEnabled());
        QCOMPARE(redo->text(), QStringLiteral("Redo Create Substrate"));
        QVERIFY(redo->isEnabled());
        redo->trigger();
        QCOMPARE(ws.document().allObjects().size(), 1);
        QVERIFY(!redo->isEnabled());
        QCOMPARE(undo->text(), QStringLiteral("Undo Create Substrate"));

        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
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
        select->trigger();
        QVERIFY(ws.selection().isSelectionMode());

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

    void glueExtractAndCutCreatedSubstratesByMenu()
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

        // The glued volume and the film are of the first material of the catalogue, the dialogs' default.
        ws.selection().clearSelection();
        ws.selection().toggle(glued.first());
        {
            ModalAnswerer answerer({acceptDialog});
            window.action("actionExtract_Film")->trigger();
            QCOMPARE(answerer.titles, QStringList{QStringLiteral("Extract Film")});
        }
        QVERIFY(consoleText(window).contains(QStringLiteral("Extract Film: film extracted.")));
        QCOMPARE(volumes(ws).size(), 2);
        QCOMPARE(window.action("actionUndo")->text(), QStringLiteral("Undo Extract Film"));
        ws.selection().clearSelection();
        ws.selection().toggle(glued.first());
        {
            ModalAnswerer answerer({acceptDialog});
            window.action("actionCut_Cell_Volume")->trigger();
            QCOMPARE(answerer.titles, QStringList{QStringLiteral("Cut Cell Volume")});
        }
        QVERIFY(consoleText(window).contains(QStringLiteral("Change Cut Planes: Cut planes changed.")));
    }

    void pourExposePlanarizeAndCutByMenus()
    {
        CatalogTestHome home;
        MainWindow window;
        Core::Workspace &ws = window.presenter()->workspace();
        createSubstrate(window);
        auto volume = volumes(ws).value(0);
        QVERIFY(volume);
        QVERIFY2(volume->sizeX() > 15, "the default substrate is wide enough for one line and one space");
        uint32_t top = 0; // first empty layer above the substrate
        while (top < volume->sizeZ() && stateAt(*volume, 0, 0, top) != 0)
            ++top;
        QVERIFY(top + 4 < volume->sizeZ());

        using namespace Ui::Operations;
        acceptNext<SpinCoatingOptionsDialog>([top](SpinCoatingOptionsDialog &d) {
            d.materialComboBox()->setCurrentIndex(d.materialComboBox()->findText(QStringLiteral("Photoresist +")));
            d.heightSpinBox()->setValue(int(top + 3));
        });
        window.action("actionSpin_Coating")->trigger();
        QCOMPARE(ws.console().message(), QStringLiteral("Spin Coating: Operation finished."));
        QCOMPARE(stateAt(*volume, 12, 0, top + 2), 11u);

        acceptNext<PhotolithographyDialog>([&](PhotolithographyDialog &d) {
            d.topGroup()->fileNameEdit()->setText(QStringLiteral(EXAMPLES_DIR "/masks/lines_and_spaces.png"));
            d.topGroup()->applyMask();
            QCOMPARE(volume->upperMask().size(), 100 * 100);
            d.filmComboBox()->setCurrentIndex(d.filmComboBox()->findText(QStringLiteral("Photoresist +")));
        });
        window.action("actionPhotolithography")->trigger();
        QCOMPARE(ws.console().message(), QStringLiteral("Photolithography: Operation finished."));
        QVERIFY(volume->upperMask().isEmpty());
        QCOMPARE(stateAt(*volume, 2, 0, top + 2), 11u); // under a line
        QCOMPARE(stateAt(*volume, 12, 0, top), 0u);     // in a space

        acceptNext<PlanarizationOptionsDialog>(
            [top](PlanarizationOptionsDialog &d) { d.maximumSpinBox()->setValue(int(top + 1)); });
        window.action("actionPlanarization")->trigger();
        QCOMPARE(ws.console().message(), QStringLiteral("Planarization: Operation finished."));
        QCOMPARE(stateAt(*volume, 2, 0, top), 11u);
        QCOMPARE(stateAt(*volume, 2, 0, top + 1), 0u);
        QCOMPARE(stateAt(*volume, 2, 0, 0), stateAt(*volume, 12, 0, 0));

        acceptNext<MaskedCutOptionsDialog>([](MaskedCutOptionsDialog &d) {
            d.maskGroup()->fileNameEdit()->setText(QStringLiteral(EXAMPLES_DIR "/masks/cross.png"));
            d.maskGroup()->applyMask();
        });
        window.action("actionMasked_Volume_Cut")->trigger();
        QCOMPARE(window.action("actionUndo")->text(), QStringLiteral("Undo Masked Cut"));
        QVERIFY(isCut(*volume, 0, 0, 0));
        window.action("actionUndo")->trigger();
        QVERIFY(!isCut(*volume, 0, 0, 0));
        window.action("actionRedo")->trigger();
        QVERIFY(isCut(*volume, 0, 0, 0));
        window.action("actionRemove_Masked_Cuts")->trigger();
        QCOMPARE(ws.console().message(), QStringLiteral("Remove Cuts: Cut planes changed."));
        QVERIFY(!isCut(*volume, 0, 0, 0));
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
};

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
