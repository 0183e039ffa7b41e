// Documents and windows: opening (over the right window, beside it), saving (with the filter's extension),
// files named on the command line, and the cell volume and surface exports.
#include "Core/BatchRun/processvocabulary.h"
#include "Core/workspace.h"
#include "Model/Materials/materialfactory.h"
#include "Model/ModelExtraction/netlistfile.h"
#include "Model/Surfaces/shownsurfaces.h"
#include "Model/Volume/totalvolume.h"
#include "UI/BatchRun/runprocessesdialog.h"
#include "UI/Console/commandconsole.h"
#include "UI/Dialogs/materialconflictdialog.h"
#include "UI/Observers/batchrunobserver.h"
#include "UI/Observers/documentopenedobserver.h"
#include "UI/cellvolumeexport.h"
#include "UI/dialogtesting.h"
#include "UI/documentcommands.h"
#include "UI/documentdialogs.h"
#include "UI/mainwindowpresenter.h"
#include "UI/surfaceexportcommand.h"
#include "catalogtesthome.h"
#include "consolelog.h"
#include "mainwindow.h"
#include "meshreader.h"
#include "modalanswerer.h"
#include "nextdialog.h"
#include "scripteddocumentdialogs.h"
#include "volumetesthelpers.h"
#include "vtifile.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using Model::Automaton::TotalVolume;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Ui::CellVolumeExport;

namespace {

QString dataFile(const char *name) { return QStringLiteral(TEST_DATA_DIR "/persistence/") + QLatin1String(name); }

std::vector<uint32_t> states(const Model::ObjectPtr &object)
{
    return cellStates(*std::dynamic_pointer_cast<TotalVolume>(object));
}

/// The main window that is not among `before`.
MainWindow *openedSince(const QWidgetList &before)
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
        m_workspace->regenerateSurface(volume);
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
        // The workspace of a window: it shows its volumes' surfaces.
        m_workspace->setShownSurfaces(std::make_shared<Model::Surfaces::ShownSurfaces>());
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

    void openedDocumentAsksOverTheWindowThatOpenedIt_data()
    {
        QTest::addColumn<bool>("closeOther");
        QTest::newRow("other window still open") << false;
        QTest::newRow("other window closed") << true;
    }
    void openedDocumentAsksOverTheWindowThatOpenedIt()
    {
        // While A's file dialog is open, B gives up an Open of its own (and may close); A's conflict is asked over A.
        QFETCH(bool, closeOther);
        MainWindow a;
        auto b = std::make_unique<MainWindow>();
        const QString path = dataFile("conflict_2001.cfw");
        const QWidgetList before = QApplication::topLevelWidgets();
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
        first.setGeometry(50, 40, 500, 400);
        first.show();
        QVERIFY(QTest::qWaitForWindowExposed(&first));
        const QWidgetList before = QApplication::topLevelWidgets();
        whenModal(chooseFile);
        first.action(QStringLiteral("actionOpen"))->trigger();
        MainWindow *opened = openedSince(before);
        QVERIFY(opened && opened->isVisible());
        // As large as the window it came from, beside it, with its console inside it.
        QCOMPARE(opened->size(), first.size());
        QCOMPARE(opened->frameGeometry().topLeft(), first.frameGeometry().topLeft() + QPoint(40, 40));
        QCOMPARE(opened->presenter()->console()->window(), static_cast<QWidget *>(opened));
        for (QWidget *widget : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<Ui::Console::CommandConsole *>(widget));
        QCOMPARE(opened->windowTitle(), QStringLiteral("Cellforge  ") + path);
        const auto objects = opened->presenter()->workspace().document().allObjects();
        QCOMPARE(objects.size(), 1);
        auto volume = std::dynamic_pointer_cast<TotalVolume>(objects.first());
        QCOMPARE(volume->cellSizeZ(), 0.25f);
        QCOMPARE(states(volume), written);
        QVERIFY(first.presenter()->workspace().document().allObjects().isEmpty());

        // A window opened for a document goes away when it is closed.
        QPointer<MainWindow> guard(opened);
        opened->close();
        QTRY_VERIFY(guard.isNull());
    }

    void openedWindowGoesBesideItsSource_data()
    {
        QTest::addColumn<QRect>("source");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("opened");
        const QRect screen(0, 0, 1600, 1000);
        QTest::newRow("room right and below") << QRect(100, 100, 800, 600) << screen << QRect(140, 140, 800, 600);
        QTest::newRow("maximized: smaller by the offset") << screen << screen << QRect(40, 40, 1560, 960);
        QTest::newRow("at the bottom right: left and up")
            << QRect(790, 390, 800, 600) << screen << QRect(750, 350, 800, 600);
        QTest::newRow("second screen") << QRect(1600, 0, 1280, 1024) << QRect(1600, 0, 1280, 1024)
                                       << QRect(1640, 40, 1240, 984);
    }
    void openedWindowGoesBesideItsSource()
    {
        QFETCH(QRect, source);
        QFETCH(QRect, screen);
        QFETCH(QRect, opened);
        QCOMPARE(Ui::Observers::DocumentOpenedObserver::besideSource(source, screen), opened);
    }

    void saveDialogsAddTheFiltersExtension_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("saved");
        QTest::newRow("document") << Core::Operations::documentFileFilter() << "plain"
                                  << "plain.cfw";
        QTest::newRow("process list") << "Process List (*.plst)"
                                      << "steps"
                                      << "steps.plst";
        QTest::newRow("netlist") << Model::ModelExtraction::NetlistFile::filter() << "beam"
                                 << "beam.cir";
        QTest::newRow("an extension given") << Core::Operations::documentFileFilter() << "old.xml"
                                            << "old.xml";
    }
    void saveDialogsAddTheFiltersExtension()
    {
        QFETCH(QString, filter);
        QFETCH(QString, typed);
        QFETCH(QString, saved);
        QWidget window;
        whenModal([&](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            QVERIFY(dialog);
            dialog->selectFile(m_dir.filePath(typed));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QCOMPARE(Ui::DocumentDialogs::askSaveFileName(&window, QStringLiteral("Save"), m_dir.path(), filter),
                 m_dir.filePath(saved));
    }

    void saveAsThroughTheMenuAddsTheDocumentExtension()
    {
        MainWindow window;
        window.presenter()->workspace().document().addObject(
            std::make_shared<TotalVolume>(1, 1, 1, 1.0f, 1.0f, 1.0f, Util::Vector3D(), 1u));
        whenModal([this](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            QVERIFY(dialog);
            dialog->selectFile(m_dir.filePath(QStringLiteral("untitled")));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        window.action(QStringLiteral("actionSave_as"))->trigger();
        QCOMPARE(window.presenter()->workspace().document().fileName(), m_dir.filePath(QStringLiteral("untitled.cfw")));
        QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("untitled.cfw"))));
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("untitled"))));
    }

    void commandLineFileOpensAsDocumentOrInTheBatchRunDialog_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QStringList>("seen"); // parts of the windows that open, in order
        QFile list(QStringLiteral(EXAMPLES_DIR "/trench_with_conformal_film.plst"));
        QFile document(dataFile("example_2x1x3.cfw"));
        QVERIFY(list.open(QIODevice::ReadOnly) && document.open(QIODevice::ReadOnly));
        const QByteArray steps = list.readAll();
        const QByteArray cells = document.readAll();
        QTest::newRow("list") << "trench.plst" << steps << QStringList{"batch run: 6 steps of %1"};
        QTest::newRow("suffix in capitals") << "TRENCH.PLST" << steps << QStringList{"batch run: 6 steps of %1"};
        QTest::newRow("list under another name") << "steps.xml" << steps << QStringList{"batch run: 6 steps of %1"};
        QTest::newRow("document") << "example.cfw" << cells << QStringList();
        QTest::newRow("document without suffix") << "example" << cells << QStringList();
        QTest::newRow("neither") << "notes.txt" << QByteArray("Process-List") << QStringList{"message: "};
        QTest::newRow("not XML") << "broken.plst" << QByteArray("<Process-List version=\"1\"><Process-Data")
                                 << QStringList{"is not a well-formed process list", "batch run: 0 steps"};
        QTest::newRow("missing") << "missing.plst" << QByteArray() << QStringList{"Cannot read", "batch run: 0 steps"};
    }
    void commandLineFileOpensAsDocumentOrInTheBatchRunDialog()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, contents);
        QFETCH(QStringList, seen);
        const QString path = m_dir.filePath(name);
        if (!contents.isEmpty())
            writeFile(path, contents);
        MainWindow window;
        window.show();
        QStringList shown;
        ModalAnswerer recorder({}, record(shown));
        window.openFromCommandLine(path);
        QCoreApplication::processEvents();
        QTRY_COMPARE(shown.size(), seen.size());
        for (int i = 0; i < seen.size(); ++i)
            QVERIFY2(shown[i].contains(QString(seen[i]).replace(QLatin1String("%1"), path)), qPrintable(shown[i]));
        const Model::Document &opened = window.presenter()->workspace().document();
        QCOMPARE(opened.allObjects().size(), seen.isEmpty() ? 1 : 0); // a list opens no document
        if (seen.isEmpty())
            QCOMPARE(opened.fileName(), path);
    }

    // "Run in a new window": a new main window, beside this one, gets a copy of the selected volume
    // and the list's result, with the run on its undo stack; this window stays as it was.
    void listRunsInANewWindowThroughTheBatchRunDialog()
    {
        MainWindow window;
        window.show();
        Core::Workspace &here = window.presenter()->workspace();
        auto volume = makeVolume(4, 4, 4, [](uint32_t, uint32_t, uint32_t z) { return z < 2 ? 1u : 0u; });
        here.document().addObject(volume);
        const auto before = cellStates(*volume);
        Core::Processes::ProcessStep deposition(Core::BatchRun::IsotropicDeposition);
        deposition.setParameter(QStringLiteral("Material_Id"), 3u, true);
        deposition.setParameter(QStringLiteral("Film Thickness"), 1.0f, true);
        bool ran = false;
        answerNextDialog<Ui::RunProcessesDialog>([&](Ui::RunProcessesDialog &d) {
            d.setSteps({deposition});
            d.findChild<QCheckBox *>(QStringLiteral("chkNewWindow"))->setChecked(true);
            d.findChild<QPushButton *>(QStringLiteral("btnRun"))->click();
            d.waitForWorker();
            d.updateProgress();
            ran = true;
            d.accept();
        });
        Ui::Observers::BatchRunObserver::runDialog(here, &window, volume, &MainWindow::newWindow);
        QVERIFY(ran);
        MainWindow *other = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *made = qobject_cast<MainWindow *>(w); made && made != &window)
                other = made;
        }
        QVERIFY(other && other->isVisible());
        std::unique_ptr<MainWindow> closeAtEnd(other);
        QCOMPARE(here.document().allObjects(), QList<Model::ObjectPtr>{volume});
        QCOMPARE(cellStates(*volume), before);
        QVERIFY(!here.undoRedo().canUndo());
        Core::Workspace &there = other->presenter()->workspace();
        const auto copy = std::dynamic_pointer_cast<TotalVolume>(there.document().allObjects().value(0));
        QVERIFY(copy && copy != volume);
        QVERIFY(cellStates(*copy) != cellStates(*volume));
        QCOMPARE(there.undoRedo().undoName(), QStringLiteral("Batch Run"));
    }

    void cellVolumeExportTakesTheSelectedOrTheOnlyVolumeOrSaysWhyNot()
    {
        QMainWindow window;
        CellVolumeExport *command = CellVolumeExport::install(window, *m_workspace);
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

    void surfaceExport_data()
    {
        QTest::addColumn<bool>("volume");
        QTest::addColumn<QString>("answer"); // an empty one is a cancelled dialog
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("triangles");
        // 3 x 2 x 2 cells: 32 unit faces (6 + 6 top and bottom, 6 + 6 front and back, 4 + 4 ends).
        QTest::newRow("name without extension") << true << "part" << QString() << 64;
        QTest::newRow("nothing to export")
            << false << QString() << "Export Surface|There is no cell volume whose surface could be exported." << 0;
        QTest::newRow("cancelled") << true << QString() << QString() << 0;
        QTest::newRow("another format") << true << "part.obj"
                                        << "Export Surface|The surface could not be exported to \"%1\": the file "
                                           "name must end in .stl"
                                        << 0;
    }
    void surfaceExport()
    {
        QFETCH(bool, volume);
        QFETCH(QString, answer);
        QFETCH(QString, shown);
        QFETCH(int, triangles);
        if (volume)
            addVolume(1, {3, 2, 2});
        const QString file = answer.isEmpty() ? QString() : m_dir.filePath(answer);
        m_dialogs.answers << file;
        QCOMPARE(Ui::exportSurfaceFromWindow(*m_workspace, m_dialogs), triangles > 0);
        QCOMPARE(m_dialogs.asked.size(), volume ? 1 : 0);
        if (shown.isEmpty())
            QVERIFY(m_dialogs.shown.isEmpty());
        else
            QVERIFY2(m_dialogs.shown.value(0).startsWith(shown.arg(file)), qPrintable(m_dialogs.shown.value(0)));
        QCOMPARE(filesWritten(), triangles ? 1 : 0);
        if (triangles) {
            const auto stl = MeshReader::readStl(file + QStringLiteral(".stl"));
            QVERIFY(stl.ok);
            QCOMPARE(stl.triangles.size(), size_t(triangles));
            QCOMPARE(m_log->lines.last(),
                     QStringLiteral("Export Surface: 64 triangles written to \"%1.stl\".").arg(file));
        }
    }
};

QTEST_MAIN(tst_DocumentWindows)
#include "tst_documentwindows.moc"
