// Documents and windows: a document opens in a window of its own and asks about material conflicts over
// the window that opened it; saving names the file in the title; a file named on the command line opens
// as a document, or a process list in the Batch Run dialog; File > "Export Cell Volume..." and "Export
// Surface..." write the chosen volume or say why not.
#include "Core/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Materials/materialfactory.h"
#include "UI/BatchRun/runprocessesdialog.h"
#include "UI/cellvolumeexport.h"
#include "UI/dialogtesting.h"
#include "UI/documentcommands.h"
#include "UI/mainwindowpresenter.h"
#include "UI/materialconflictdialog.h"
#include "UI/surfaceexportcommand.h"
#include "catalogtesthome.h"
#include "consolelog.h"
#include "mainwindow.h"
#include "meshreader.h"
#include "modalanswerer.h"
#include "scripteddocumentdialogs.h"
#include "volumetesthelpers.h"
#include "vtifile.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QRadioButton>
#include <QtTest>

using Model::Automaton::TotalVolume;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Model::Persistence::ConflictChoice;
using Ui::CellVolumeExport;

namespace {

QString dataFile(const char *name) { return QStringLiteral(TEST_DATA_DIR "/persistence/") + QLatin1String(name); }

std::vector<uint32_t> states(const Model::ObjectPtr &object)
{
    return cellStates(*std::dynamic_pointer_cast<TotalVolume>(object));
}

QSet<QWidget *> topLevelWidgets()
{
    const QWidgetList all = QApplication::topLevelWidgets();
    return QSet<QWidget *>(all.begin(), all.end());
}

/// The main window that is not among `before`.
MainWindow *openedSince(const QSet<QWidget *> &before)
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (!before.contains(widget) && qobject_cast<MainWindow *>(widget))
            return qobject_cast<MainWindow *>(widget);
    }
    return nullptr;
}

/// Describes each modal window in `seen` and closes it: message boxes with OK, the Batch Run dialog as it is.
ModalAnswerer::Handler record(QStringList &seen)
{
    return [&seen](QWidget *modal) {
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            seen << QStringLiteral("message: ") + box->text() + QLatin1Char('\n') + box->informativeText();
            box->accept();
        } else if (auto *dialog = qobject_cast<Ui::RunProcessesDialog *>(modal)) {
            seen << QStringLiteral("batch run: %1 steps of %2%3")
                        .arg(dialog->steps().size())
                        .arg(dialog->currentFileName(), dialog->targetVolume() ? " for a volume" : "");
            dialog->reject();
        } else {
            seen << modal->windowTitle();
            modal->close();
        }
    };
}

} // namespace

class tst_DocumentWindows : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;
    std::unique_ptr<Core::Workspace> m_workspace;
    std::shared_ptr<ConsoleLog> m_log;
    ScriptedDocumentDialogs m_dialogs;

    /// Cells of one material, 2 x 3 x 4 unless given.
    std::shared_ptr<TotalVolume> addVolume(uint32_t state, const QVector<uint32_t> &n = {2, 3, 4})
    {
        auto volume = std::make_shared<TotalVolume>(n[0], n[1], n[2], 1.0f, 1.0f, 1.0f, Util::Vector3D(), state);
        volume->painter().regenerateSurface();
        m_workspace->document().addObject(volume);
        return volume;
    }
    int filesWritten() const { return QDir(m_dir.path()).entryList(QDir::Files).size(); }

private slots:
    void init()
    {
        MaterialFactory::instance()->createDefaultMaterials();
        MaterialFactory::instance()->setMaterial(
            Material(2001, QStringLiteral("Old Nitride"), 1, 1, 1, {0.0f, 0.0f, 1.0f, 1.0f}));
        m_workspace = std::make_unique<Core::Workspace>(Core::UndoFiles::Storage::None);
        m_log = std::make_shared<ConsoleLog>(*m_workspace);
        m_workspace->console().addObserver(m_log);
        m_dialogs = ScriptedDocumentDialogs();
    }
    void cleanup()
    {
        m_log.reset();
        m_workspace.reset();
        for (const QString &file : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(m_dir.filePath(file));
    }

    void conflictDialogShowsBothMaterialsAndDecides()
    {
        const Material existing = MaterialFactory::instance()->getMaterial(2001);
        const Material loaded(2001, QStringLiteral("Loaded Nitride"), 2, 2, 0.2f, {1.0f, 0.5f, 0.0f, 1.0f});
        Ui::MaterialConflictDialog dialog(existing, loaded);
        auto text = [&](const char *name) { return dialog.findChild<QLabel *>(QLatin1String(name))->text(); };
        QCOMPARE(text("lblLoadedMaterialName"), QStringLiteral("Loaded Nitride"));
        QCOMPARE(text("lblExistingMaterialName"), QStringLiteral("Old Nitride"));
        const QPixmap swatch =
            dialog.findChild<QLabel *>(QStringLiteral("lblLoadedMaterialColor"))->pixmap(Qt::ReturnByValue);
        QCOMPARE(swatch.toImage().pixelColor(5, 5), QColor(255, 127, 0));

        auto *combo = dialog.findChild<QComboBox *>(QStringLiteral("cbxAlternateMaterial"));
        const auto materials = MaterialFactory::instance()->getMaterials();
        combo->setCurrentIndex(3);
        const std::pair<const char *, ConflictChoice> choices[] = {
            {"radReplaceLoadedByExisting", ConflictChoice::ReplaceLoadedByExisting},
            {"radReplaceExistingByLoaded", ConflictChoice::ReplaceExistingByLoaded},
            {"radReplaceLoadedByAnother", ConflictChoice::ReplaceLoadedByAnother},
            {"radAddLoadedAsNew", ConflictChoice::AddLoadedAsNew}};
        for (const auto &choice : choices) {
            auto *radio = dialog.findChild<QRadioButton *>(QLatin1String(choice.first));
            // The first is the default; the list of other materials is only for "another".
            QCOMPARE(radio->isChecked(), choice.second == ConflictChoice::ReplaceLoadedByExisting);
            radio->setChecked(true);
            QCOMPARE(combo->isEnabled(), choice.second == ConflictChoice::ReplaceLoadedByAnother);
            QCOMPARE(int(dialog.decision().choice), int(choice.second));
            QCOMPARE(dialog.decision().alternateId, materials.at(3).id());
        }
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
        // closed). A's choice still loads through A's observers: the conflict is put to the user over A, and
        // the answer given there is applied.
        QFETCH(bool, closeOther);
        MainWindow a;
        auto b = std::make_unique<MainWindow>();
        const QString path = dataFile("conflict_2001.cfw");
        const auto before = topLevelWidgets();
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
                dialog->findChild<QRadioButton *>(QStringLiteral("radReplaceLoadedByAnother"))->setChecked(true);
                auto *combo = dialog->findChild<QComboBox *>(QStringLiteral("cbxAlternateMaterial"));
                combo->setCurrentIndex(combo->findData(9u));
                dialog->accept();
            });
            choose->selectFile(path);
            QMetaObject::invokeMethod(choose, "accept");
        });
        a.action(QStringLiteral("actionOpen"))->trigger();

        QCOMPARE(conflicts, 1);
        QCOMPARE(conflictOver, static_cast<QWidget *>(&a));
        std::unique_ptr<MainWindow> opened(openedSince(before));
        QVERIFY(opened);
        QCOMPARE(opened->presenter()->workspace().document().fileName(), path);
        // The choice made in the dialog: the loaded material 2001 became material 9.
        QCOMPARE(states(opened->presenter()->workspace().document().allObjects().value(0)),
                 (std::vector<uint32_t>{1, 9, 9, 0}));
        QVERIFY(a.presenter()->workspace().document().allObjects().isEmpty());
    }

    void loadingProblemsAreShown_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("titled"); // the window takes the file's name
        QTest::newRow("cannot open") << m_dir.filePath("absent.cfw") << "Error reading from file|The file" << false;
        QTest::newRow("wrong frame") << TEST_DATA_DIR "/catalogues/materials.xml"
                                     << "Error reading from file|\"" << false;
        QTest::newRow("damaged") << dataFile("malformed_after_header.cfw") << "Document partly loaded|The document"
                                 << true;
    }
    void loadingProblemsAreShown()
    {
        QFETCH(QString, file);
        QFETCH(QString, shown);
        QFETCH(bool, titled);
        QMainWindow window;
        Ui::loadDocumentIntoWindow(&window, *m_workspace, file, {}, m_dialogs);
        QCOMPARE(m_dialogs.shown.size(), 1);
        QVERIFY2(m_dialogs.shown.first().startsWith(shown), qPrintable(m_dialogs.shown.first()));
        QCOMPARE(window.windowTitle(), QStringLiteral("Cellforge  ") + (titled ? file : QString()));
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
        std::vector<uint32_t> written(24);
        for (size_t i = 0; i < written.size(); ++i)
            written[i] = i % 3 == 0 ? 0u : (i % 3 == 1 ? 1u : 2001u);
        {
            MainWindow window;
            Core::Workspace &ws = window.presenter()->workspace();
            ws.document().addObject(
                std::make_shared<TotalVolume>(2, 3, 4, 0.5f, 0.5f, 0.25f, Util::Vector3D(1, 2, 3), written));
            whenModal(chooseFile);
            window.action(QStringLiteral("actionSave"))->trigger();
            QCOMPARE(ws.document().fileName(), path);
            QCOMPARE(window.windowTitle(), QStringLiteral("Cellforge  ") + path);
        }
        QVERIFY(QFile::exists(path));

        MainWindow first;
        const auto before = topLevelWidgets();
        whenModal(chooseFile);
        first.action(QStringLiteral("actionOpen"))->trigger();
        MainWindow *opened = openedSince(before);
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

    void processListsAreRecognised_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("list");
        const QByteArray list = "<?xml version=\"1.0\"?>\n<!-- steps -->\n<Process-List version=\"1\"/>\n";
        const QByteArray document = "<?xml version=\"1.0\"?><Document><Header version=\"1\"/></Document>";
        QTest::newRow("list") << "a.plst" << list << true;
        QTest::newRow("suffix in capitals") << "B.PLST" << list << true;
        QTest::newRow("list under another name") << "steps.xml" << list << true;
        QTest::newRow("unreadable list") << "broken.plst" << QByteArray("not a list <") << true;
        QTest::newRow("document") << "wafer.cfw" << document << false;
        QTest::newRow("document without suffix") << "wafer" << document << false;
        QTest::newRow("not XML") << "notes.txt" << QByteArray("Process-List") << false;
        QTest::newRow("empty") << "empty.cfw" << QByteArray() << false;
    }
    void processListsAreRecognised()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, contents);
        QTEST(MainWindow::isProcessList(writeFile(m_dir.filePath(name), contents)), "list");
        QVERIFY(!MainWindow::isProcessList(m_dir.filePath(QStringLiteral("missing.cfw"))));
        QVERIFY(MainWindow::isProcessList(m_dir.filePath(QStringLiteral("missing.plst"))));
    }

    void commandLineListOpensInTheBatchRunDialog_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("message"); // shown before the dialog; none for the example list
        QTest::newRow(".plst") << "trench.plst" << QByteArray() << QString();
        QTest::newRow("another suffix") << "trench.xml" << QByteArray() << QString();
        QTest::newRow("not XML") << "broken.plst" << QByteArray("<Process-List version=\"1\"><Process-Data")
                                 << "is not a well-formed process list";
        QTest::newRow("missing") << "missing.plst" << QByteArray() << "Cannot read";
    }
    void commandLineListOpensInTheBatchRunDialog()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, contents);
        QFETCH(QString, message);
        const QString path = m_dir.filePath(name);
        if (message.isEmpty()) {
            QFile example(QStringLiteral(EXAMPLES_DIR "/trench_with_conformal_film.plst"));
            QVERIFY(example.open(QIODevice::ReadOnly));
            contents = example.readAll();
            QCOMPARE(contents.count("<Process-Data "), 6);
        }
        if (!contents.isEmpty())
            writeFile(path, contents);
        MainWindow window;
        window.show();
        QStringList seen;
        ModalAnswerer recorder({}, record(seen));
        window.openFromCommandLine(path);
        if (message.isEmpty()) {
            QTRY_COMPARE(seen, QStringList{QStringLiteral("batch run: 6 steps of ") + path});
        } else {
            QTRY_COMPARE(seen.size(), 2);
            QVERIFY2(seen[0].startsWith(QLatin1String("message: The process list could not be opened.")),
                     qPrintable(seen[0]));
            QVERIFY2(seen[0].contains(message), qPrintable(seen[0]));
            QVERIFY2(seen[1].startsWith(QLatin1String("batch run: 0 steps")), qPrintable(seen[1]));
        }
        QVERIFY(window.presenter()->workspace().document().allObjects().isEmpty());
    }

    void commandLineDocumentOpensInTheWindow()
    {
        const QString path = m_dir.filePath(QStringLiteral("example.cfw"));
        QVERIFY(QFile::copy(dataFile("example_2x1x3.cfw"), path));
        MainWindow window;
        window.show();
        QStringList seen;
        ModalAnswerer recorder({}, record(seen));
        window.openFromCommandLine(path);
        QCOMPARE(window.presenter()->workspace().document().allObjects().size(), 1);
        QCOMPARE(window.presenter()->workspace().document().fileName(), path);
        // Nothing else opens later either.
        QCoreApplication::processEvents();
        QVERIFY(seen.isEmpty());
    }

    void cellVolumeExportTakesTheSelectedOrTheOnlyVolumeOrSaysWhyNot()
    {
        QMainWindow window;
        auto *action = new QAction(QStringLiteral("Export Cell Volume..."), &window);
        action->setObjectName(QStringLiteral("actionExport_Cell_Volume"));
        action->setEnabled(false);
        CellVolumeExport *command = CellVolumeExport::install(window, *m_workspace);
        QVERIFY(action->isEnabled());
        QString reason;
        QVERIFY(!CellVolumeExport::volumeToExport(*m_workspace, &reason));
        QCOMPARE(reason, QStringLiteral("The document holds no cell volume to export."));
        const auto first = addVolume(7);
        QCOMPARE(CellVolumeExport::volumeToExport(*m_workspace, &reason), first);

        const QString file = m_dir.filePath(QStringLiteral("window.vti"));
        QVERIFY(command->exportTo(file));
        VtiFile vti;
        QVERIFY2(vti.read(file), qPrintable(vti.error));
        QCOMPARE(vti.attribute(QStringLiteral("WholeExtent")), QStringLiteral("0 2 0 3 0 4"));
        QCOMPARE(vti.array(QStringLiteral("material"))->uint32At(23), 7u);
        QString shown;
        whenModal([&shown](QWidget *modal) {
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                shown = box->text();
                box->close();
            }
        });
        QVERIFY(!command->exportTo(m_dir.path()));
        QVERIFY2(shown.startsWith(QStringLiteral("The cell volume could not be exported to \"%1\"").arg(m_dir.path())),
                 qPrintable(shown));

        const auto second = addVolume(2);
        QVERIFY(!CellVolumeExport::volumeToExport(*m_workspace, &reason));
        QVERIFY2(reason.startsWith(QLatin1String("The document holds 2 cell volumes: select the one")),
                 qPrintable(reason));
        m_workspace->pickState().setSelected({second});
        QCOMPARE(CellVolumeExport::volumeToExport(*m_workspace, &reason), second);
    }

    void surfaceNameWithoutExtensionBecomesStl()
    {
        addVolume(1, {3, 2, 2});
        m_dialogs.answers << m_dir.filePath(QStringLiteral("part"));
        QVERIFY(Ui::exportSurfaceFromWindow(*m_workspace, m_dialogs));
        QCOMPARE(m_dialogs.asked.size(), 1);
        QVERIFY(m_dialogs.asked.first().endsWith(QStringLiteral("|STL mesh (*.stl);;PLY mesh with colours (*.ply)")));
        const QString file = m_dir.filePath(QStringLiteral("part.stl"));
        const auto stl = MeshReader::readStl(file);
        QVERIFY(stl.ok);
        // 3 x 2 x 2 cells: 32 unit faces (6 + 6 top and bottom, 6 + 6 front and back, 4 + 4 ends).
        QCOMPARE(stl.triangles.size(), size_t(2 * 32));
        QCOMPARE(m_log->lines.last(), QStringLiteral("Export Surface: 64 triangles written to \"%1\".").arg(file));
        QVERIFY(m_dialogs.shown.isEmpty());
    }

    void surfaceRefusals_data()
    {
        QTest::addColumn<bool>("volume");
        QTest::addColumn<QString>("answer"); // an empty one is a cancelled dialog
        QTest::addColumn<QString>("shown");
        QTest::newRow("nothing to export")
            << false << QString() << "Export Surface|There is no cell volume whose surface could be exported.";
        QTest::newRow("cancelled") << true << QString() << QString();
        QTest::newRow("another format") << true << "part.obj"
                                        << "Export Surface|The surface could not be exported to \"%1\": the file "
                                           "name must end in .stl";
    }
    void surfaceRefusals()
    {
        QFETCH(bool, volume);
        QFETCH(QString, answer);
        QFETCH(QString, shown);
        if (volume)
            addVolume(1);
        const QString file = answer.isEmpty() ? QString() : m_dir.filePath(answer);
        m_dialogs.answers << file;
        QVERIFY(!Ui::exportSurfaceFromWindow(*m_workspace, m_dialogs));
        QCOMPARE(m_dialogs.asked.size(), volume ? 1 : 0);
        if (shown.isEmpty())
            QVERIFY(m_dialogs.shown.isEmpty());
        else
            QVERIFY2(m_dialogs.shown.value(0).startsWith(shown.arg(file)), qPrintable(m_dialogs.shown.value(0)));
        QCOMPARE(filesWritten(), 0);
    }
};

QTEST_MAIN(tst_DocumentWindows)
#include "tst_documentwindows.moc"
