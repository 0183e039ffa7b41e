#include "Core/Operations/opendocumentoperation.h"
#include "Core/Operations/savedocumentoperation.h"
#include "Core/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialfactory.h"
#include "UI/Observers/documentopenedobserver.h"
#include "UI/Observers/documentsavedobserver.h"
#include "UI/Observers/materialconflictobserver.h"
#include "UI/documentcommands.h"
#include "UI/documentdialogs.h"
#include "UI/mainwindowpresenter.h"
#include "UI/materialconflictdialog.h"
#include "catalogtesthome.h"
#include "mainwindow.h"
#include "scripteddocumentdialogs.h"
#include "testoperations.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QRadioButton>
#include <QtTest>

#include <functional>
#include <memory>

using namespace Core::Operations;
using Model::Automaton::TotalVolume;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Model::Persistence::ConflictChoice;

namespace {

QString dataFile(const char *name) { return QStringLiteral(TEST_DATA_DIR "/persistence/") + QLatin1String(name); }

/// Runs `handle` on the modal widget as soon as the next one is shown.
void whenModal(std::function<void(QWidget *)> handle)
{
    QTimer::singleShot(0, [handle] { handle(QApplication::activeModalWidget()); });
}

std::vector<uint32_t> states(const Model::ObjectPtr &object)
{
    auto volume = std::dynamic_pointer_cast<TotalVolume>(object);
    std::vector<uint32_t> result;
    Model::Automaton::CellLock lock(*volume);
    for (size_t i = 0; i < volume->cellCount(); ++i)
        result.push_back(lock.cells()[i].state());
    return result;
}

/// A main window with its workspace, as the document operations see it.
struct Window {
    QMainWindow window;
    Core::Workspace workspace;
};

} // namespace

class tst_DocumentWindows : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

private slots:
    void init()
    {
        MaterialFactory::instance()->createDefaultMaterials();
        MaterialFactory::instance()->setMaterial(
            Material(2001, QStringLiteral("Old Nitride"), 1, 1, 1, {0.0f, 0.0f, 1.0f, 1.0f}));
    }

    void conflictDialogShowsBothMaterials()
    {
        const Material existing = MaterialFactory::instance()->getMaterial(2001);
        const Material loaded(2001, QStringLiteral("Loaded Nitride"), 2, 2, 0.2f, {1.0f, 0.5f, 0.0f, 1.0f});
        Ui::MaterialConflictDialog dialog(existing, loaded);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Dialog"));
        auto text = [&](const char *name) { return dialog.findChild<QLabel *>(QLatin1String(name))->text(); };
        QCOMPARE(text("lblMessage"),
                 QStringLiteral("While loading the document, a material with the same identifier as an existing "
                                "material was found, but the names are not the same. What would you like to do?"));
        QCOMPARE(text("lblLoadedMaterial"), QStringLiteral("Loaded Material"));
        QCOMPARE(text("lblExistingMaterial"), QStringLiteral("Existing Material"));
        QCOMPARE(text("lblLoadedMaterialName"), QStringLiteral("Loaded Nitride"));
        QCOMPARE(text("lblExistingMaterialName"), QStringLiteral("Old Nitride"));
        QCOMPARE(text("lblReplacementMaterial"), QStringLiteral("Replacement Material"));
        const QPixmap swatch =
            dialog.findChild<QLabel *>(QStringLiteral("lblLoadedMaterialColor"))->pixmap(Qt::ReturnByValue);
        QCOMPARE(swatch.size(), QSize(20, 20));
        QCOMPARE(swatch.toImage().pixelColor(5, 5), QColor(255, 127, 0));

        auto *combo = dialog.findChild<QComboBox *>(QStringLiteral("cbxAlternateMaterial"));
        const auto materials = MaterialFactory::instance()->getMaterials();
        QCOMPARE(combo->count(), materials.size());
        for (int i = 0; i < materials.size(); ++i) {
            QCOMPARE(combo->itemText(i), materials[i].name());
            QCOMPARE(combo->itemData(i).toUInt(), materials[i].id());
        }
        QCOMPARE(combo->iconSize(), QSize(100, 100));
        QVERIFY(!combo->isEnabled());
        auto *another = dialog.findChild<QRadioButton *>(QStringLiteral("radReplaceLoadedByAnother"));
        another->setChecked(true);
        QVERIFY(combo->isEnabled());
        dialog.findChild<QRadioButton *>(QStringLiteral("radAddLoadedAsNew"))->setChecked(true);
        QVERIFY(!combo->isEnabled());
    }

    void conflictDialogDecisions_data()
    {
        QTest::addColumn<QString>("radio");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("choice");
        QTest::newRow("first") << "radReplaceLoadedByExisting"
                               << "Replace loaded material by existing material."
                               << int(ConflictChoice::ReplaceLoadedByExisting);
        QTest::newRow("second") << "radReplaceExistingByLoaded"
                                << "Replace existing material by loaded material"
                                << int(ConflictChoice::ReplaceExistingByLoaded);
        QTest::newRow("third") << "radReplaceLoadedByAnother"
                               << "Replace loaded material by another existing material"
                               << int(ConflictChoice::ReplaceLoadedByAnother);
        QTest::newRow("fourth") << "radAddLoadedAsNew"
                                << "Add loaded material as a new material" << int(ConflictChoice::AddLoadedAsNew);
    }

    void conflictDialogDecisions()
    {
        QFETCH(QString, radio);
        QFETCH(QString, text);
        QFETCH(int, choice);
        Ui::MaterialConflictDialog dialog(Material(2001, QStringLiteral("A"), 1, 1, 1),
                                          Material(2001, QStringLiteral("B"), 1, 1, 1));
        QVERIFY(dialog.findChild<QRadioButton *>(QStringLiteral("radReplaceLoadedByExisting"))->isChecked());
        auto *button = dialog.findChild<QRadioButton *>(radio);
        QCOMPARE(button->text(), text);
        button->setChecked(true);
        dialog.findChild<QComboBox *>(QStringLiteral("cbxAlternateMaterial"))->setCurrentIndex(3);
        QCOMPARE(int(dialog.decision().choice), choice);
        QCOMPARE(dialog.decision().alternateId, MaterialFactory::instance()->getMaterials().at(3).id());
    }

    void openingCreatesANewWindowAndAsksAboutConflicts_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("user picks another material") << true;
        QTest::newRow("user cancels") << false;
    }

    void openingCreatesANewWindowAndAsksAboutConflicts()
    {
        QFETCH(bool, accept);
        Window first;
        auto factory = std::make_shared<TestFactory>();
        auto dialogs = std::make_shared<ScriptedDocumentDialogs>();
        first.workspace.setOperationFactory(factory);
        std::vector<std::unique_ptr<Window>> opened;
        const auto openedObserver = std::make_shared<Ui::Observers::DocumentOpenedObserver>(
            first.workspace,
            [&] {
                opened.push_back(std::make_unique<Window>());
                return Ui::Observers::OpenedWindow{&opened.back()->window, &opened.back()->workspace};
            },
            dialogs);
        const auto conflictObserver =
            std::make_shared<Ui::Observers::MaterialConflictObserver>(first.workspace, &first.window);
        factory->makers[11] = [&] {
            auto operation =
                withObserver(std::make_shared<OpenDocumentOperation>(first.workspace, dialogs), openedObserver);
            operation->setMaterialConflictObserver(conflictObserver);
            return operation;
        };

        int dialogsShown = 0;
        whenModal([&](QWidget *modal) {
            auto *dialog = qobject_cast<Ui::MaterialConflictDialog *>(modal);
            QVERIFY(dialog);
            ++dialogsShown;
            dialog->findChild<QRadioButton *>(QStringLiteral("radReplaceLoadedByAnother"))->setChecked(true);
            auto *combo = dialog->findChild<QComboBox *>(QStringLiteral("cbxAlternateMaterial"));
            combo->setCurrentIndex(combo->findData(9u));
            accept ? dialog->accept() : dialog->reject();
        });
        const QString path = dataFile("conflict_2001.cfw");
        dialogs->answers << path;
        first.workspace.startOperation(11);

        QCOMPARE(dialogsShown, 1);
        QCOMPARE(opened.size(), size_t(1));
        Window &second = *opened.front();
        QCOMPARE(second.window.windowTitle(), QStringLiteral("Cellforge  ") + path);
        QVERIFY(second.window.isVisible());
        QCOMPARE(second.workspace.document().fileName(), path);
        const auto cells = states(second.workspace.document().allObjects().value(0));
        if (accept) {
            QCOMPARE(cells, (std::vector<uint32_t>{1, 9, 9, 0}));
        } else {
            QVERIFY(cells[1] >= 2000 && cells[1] != 2001);
            QCOMPARE(MaterialFactory::instance()->getMaterial(cells[1]).name(), QStringLiteral("Loaded Nitride"));
        }
        // The window in which Open was chosen stays as it was.
        QVERIFY(first.workspace.document().allObjects().isEmpty());
        QVERIFY(first.workspace.document().fileName().isEmpty());
        QVERIFY(dialogs->shown.isEmpty());
    }

    void conflictObserverIgnoresOtherOperations()
    {
        Window window;
        Ui::Observers::MaterialConflictObserver observer(window.workspace, &window.window);
        // No open operation is current: the observer shows nothing and resolves nothing.
        bool modalSeen = false;
        whenModal([&](QWidget *modal) {
            modalSeen = modal != nullptr;
            if (modal)
                modal->close();
        });
        auto open = std::make_shared<OpenDocumentOperation>(window.workspace);
        open->setMaterialConflictObserver(std::shared_ptr<Util::IObserver>(&observer, [](Util::IObserver *) {}));
        const auto resolver = open->conflictResolver();
        const auto decision =
            resolver(Material(2001, QStringLiteral("A"), 1, 1, 1), Material(2001, QStringLiteral("B"), 1, 1, 1));
        QVERIFY(!decision);
        QCoreApplication::processEvents();
        QVERIFY(!modalSeen);
    }

    void openedDocumentAsksOverTheWindowThatOpenedIt_data()
    {
        QTest::addColumn<bool>("closeOther");
        QTest::newRow("other window still open") << false;
        QTest::newRow("other window closed") << true;
    }

    void openedDocumentAsksOverTheWindowThatOpenedIt()
    {
        // While A's file dialog is open, window B starts and gives up an Open of its own (and may be
        // closed). A's choice still loads through A's observers: the conflict is put to the user over A.
        QFETCH(bool, closeOther);
        MainWindow a;
        auto b = std::make_unique<MainWindow>();
        const QString path = dataFile("conflict_2001.cfw");
        const QWidgetList topLevel = QApplication::topLevelWidgets();
        const QSet<QWidget *> before(topLevel.begin(), topLevel.end());
        int conflicts = 0;
        QWidget *conflictOver = nullptr;
        whenModal([&](QWidget *modal) {
            auto *choose = qobject_cast<QFileDialog *>(modal);
            QVERIFY(choose);
            whenModal([](QWidget *other) {
                QVERIFY(qobject_cast<QFileDialog *>(other));
                QMetaObject::invokeMethod(other, "reject");
            });
            b->action(QStringLiteral("actionOpen"))->trigger();
            if (closeOther)
                b.reset();
            whenModal([&](QWidget *conflict) {
                auto *dialog = qobject_cast<Ui::MaterialConflictDialog *>(conflict);
                QVERIFY(dialog);
                ++conflicts;
                conflictOver = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
                dialog->reject();
            });
            choose->selectFile(path);
            QMetaObject::invokeMethod(choose, "accept");
        });
        a.action(QStringLiteral("actionOpen"))->trigger();

        QCOMPARE(conflicts, 1);
        QCOMPARE(conflictOver, static_cast<QWidget *>(&a));
        MainWindow *opened = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (!before.contains(widget) && qobject_cast<MainWindow *>(widget))
                opened = qobject_cast<MainWindow *>(widget);
        }
        QVERIFY(opened);
        QCOMPARE(opened->presenter()->workspace().document().fileName(), path);
        QVERIFY(a.presenter()->workspace().document().allObjects().isEmpty());
        delete opened;
    }

    void savedObserverShowsTheFileName()
    {
        Window window;
        window.workspace.document().addObject(
            std::make_shared<TotalVolume>(1, 1, 1, 1.0f, 1.0f, 1.0f, Util::Vector3D(), 1u));
        auto dialogs = std::make_shared<ScriptedDocumentDialogs>();
        const QString path = m_dir.filePath(QStringLiteral("titled.cfw"));
        dialogs->answers << path;
        auto operation = std::make_shared<SaveDocumentOperation>(window.workspace, dialogs);
        operation->setObserver(
            std::make_shared<Ui::Observers::DocumentSavedObserver>(&window.window, window.workspace));
        operation->start();
        QCOMPARE(window.window.windowTitle(), QStringLiteral("Cellforge  ") + path);
    }

    void loadingProblemsAreShown_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("title");
        QTest::newRow("cannot open") << m_dir.filePath(QStringLiteral("absent.cfw"))
                                     << "Error reading from file|The file"
                                     << "Cellforge  ";
        QTest::newRow("wrong frame") << QStringLiteral(TEST_DATA_DIR "/catalogues/materials.xml")
                                     << "Error reading from file|\""
                                     << "Cellforge  ";
        QTest::newRow("damaged") << dataFile("malformed_after_header.cfw") << "Document partly loaded|The document"
                                 << "Cellforge  " + dataFile("malformed_after_header.cfw");
    }

    void loadingProblemsAreShown()
    {
        QFETCH(QString, file);
        QFETCH(QString, shown);
        QFETCH(QString, title);
        Window window;
        ScriptedDocumentDialogs dialogs;
        Ui::loadDocumentIntoWindow(&window.window, window.workspace, file, {}, dialogs);
        QCOMPARE(dialogs.shown.size(), 1);
        QVERIFY2(dialogs.shown.first().startsWith(shown), qPrintable(dialogs.shown.first()));
        QCOMPARE(window.window.windowTitle(), title);
    }

    void savedClosedAndReopenedThroughTheMenus()
    {
        const QString path = m_dir.filePath(QStringLiteral("menus.cfw"));
        auto chooseFile = [path](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            QVERIFY(dialog);
            dialog->selectFile(path);
            QMetaObject::invokeMethod(dialog, "accept");
        };
        std::vector<uint32_t> written;
        {
            MainWindow window;
            Core::Workspace &ws = window.presenter()->workspace();
            std::vector<uint32_t> cells(24);
            for (size_t i = 0; i < cells.size(); ++i)
                cells[i] = i % 3 == 0 ? 0u : (i % 3 == 1 ? 1u : 2001u);
            written = cells;
            ws.document().addObject(
                std::make_shared<TotalVolume>(2, 3, 4, 0.5f, 0.5f, 0.25f, Util::Vector3D(1, 2, 3), cells));
            whenModal(chooseFile);
            window.action(QStringLiteral("actionSave"))->trigger();
            QCOMPARE(ws.document().fileName(), path);
            QCOMPARE(window.windowTitle(), QStringLiteral("Cellforge  ") + path);
        }
        QVERIFY(QFile::exists(path));

        MainWindow first;
        const QWidgetList topLevel = QApplication::topLevelWidgets();
        const QSet<QWidget *> before(topLevel.begin(), topLevel.end());
        whenModal(chooseFile);
        first.action(QStringLiteral("actionOpen"))->trigger();
        MainWindow *opened = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (!before.contains(widget) && qobject_cast<MainWindow *>(widget))
                opened = qobject_cast<MainWindow *>(widget);
        }
        QVERIFY(opened);
        QVERIFY(opened->isVisible());
        QCOMPARE(opened->windowTitle(), QStringLiteral("Cellforge  ") + path);
        const auto objects = opened->presenter()->workspace().document().allObjects();
        QCOMPARE(objects.size(), 1);
        auto volume = std::dynamic_pointer_cast<TotalVolume>(objects.first());
        QCOMPARE(volume->sizeZ(), 4u);
        QCOMPARE(volume->cellSizeZ(), 0.25f);
        QCOMPARE(volume->position().y, 2.0);
        QCOMPARE(states(volume), written);
        QVERIFY(first.presenter()->workspace().document().allObjects().isEmpty());
        QCOMPARE(first.windowTitle(), QStringLiteral("Cellforge"));

        // A window opened for a document goes away when it is closed.
        QPointer<MainWindow> guard(opened);
        opened->close();
        QTRY_VERIFY(guard.isNull());
    }
};

QTEST_MAIN(tst_DocumentWindows)
#include "tst_documentwindows.moc"
