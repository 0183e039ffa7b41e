#include "Core/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "UI/surfaceexportcommand.h"
#include "catalogtesthome.h"
#include "mainwindow.h"
#include "meshreader.h"
#include "scripteddocumentdialogs.h"

#include <QAction>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>

using Model::Automaton::TotalVolume;

namespace {

// Records every console message in order.
class MessageLog : public Util::IObserver {
public:
    explicit MessageLog(Core::ConsoleInput &console)
        : m_console(console)
    {
    }
    void notify() override { messages << m_console.message(); }
    QStringList messages;

private:
    Core::ConsoleInput &m_console;
};

} // namespace

/// File > "Export Surface...".
class tst_SurfaceExportCommand : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;
    std::unique_ptr<Core::Workspace> m_workspace;
    std::shared_ptr<MessageLog> m_log;
    ScriptedDocumentDialogs m_dialogs;

    std::shared_ptr<TotalVolume> addVolume(uint32_t algorithm)
    {
        // Silicon, 3 x 2 x 2 cells.
        auto volume = std::make_shared<TotalVolume>(3, 2, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D(), 1u);
        volume->painter().setSurfaceAlgorithm(algorithm);
        volume->painter().regenerateSurface();
        m_workspace->document().addObject(volume);
        return volume;
    }

private slots:
    void init()
    {
        m_workspace = std::make_unique<Core::Workspace>(Core::UndoFiles::Storage::None);
        m_log = std::make_shared<MessageLog>(m_workspace->console());
        m_workspace->console().addObserver(m_log);
        m_dialogs = ScriptedDocumentDialogs();
    }
    void cleanup()
    {
        m_log.reset();
        m_workspace.reset();
    }

    void theFileMenuOffersIt()
    {
        MainWindow window;
        QAction *action = window.action(QStringLiteral("actionExport_Surface"));
        QVERIFY(action);
        QCOMPARE(action->text(), QStringLiteral("Export Surface..."));
        QVERIFY(action->isEnabled());
        QVERIFY(window.menuBar()->actions().at(0)->menu()->actions().contains(action));
    }

    void nothingToExportIsSaid()
    {
        QVERIFY(!Ui::exportSurfaceFromWindow(*m_workspace, m_dialogs));
        QVERIFY(m_dialogs.asked.isEmpty());
        QCOMPARE(m_dialogs.shown,
                 QStringList{"Export Surface|There is no cell volume whose surface could be exported."});
    }

    void aNameWithoutExtensionBecomesStl()
    {
        const auto volume = addVolume(0);
        m_dialogs.answers << m_dir.filePath(QStringLiteral("part"));
        QVERIFY(Ui::exportSurfaceFromWindow(*m_workspace, m_dialogs));
        QCOMPARE(m_dialogs.asked.size(), 1);
        QVERIFY(m_dialogs.asked.first().endsWith(QStringLiteral("|STL mesh (*.stl);;PLY mesh with colours (*.ply)")));
        const QString file = m_dir.filePath(QStringLiteral("part.stl"));
        const auto stl = MeshReader::readStl(file);
        QVERIFY(stl.ok);
        // 3 x 2 x 2 cells: 32 unit faces (6 + 6 top and bottom, 6 + 6 front and back, 4 + 4 ends).
        QCOMPARE(stl.triangles.size(), 2 * volume->painter().opaqueFaceCount());
        QCOMPARE(stl.triangles.size(), size_t(2 * 32));
        QCOMPARE(m_log->messages.last(), QStringLiteral("Export Surface: 64 triangles written to \"%1\".").arg(file));
        QVERIFY(m_dialogs.shown.isEmpty());
    }

    void theShownAlgorithmIsExported()
    {
        addVolume(2);
        m_dialogs.answers << m_dir.filePath(QStringLiteral("octree.ply"));
        QVERIFY(Ui::exportSurfaceFromWindow(*m_workspace, m_dialogs));
        const auto ply = MeshReader::readPly(m_dir.filePath(QStringLiteral("octree.ply")));
        QVERIFY(ply.ok);
        // A root of 4: the cells x 0..1 are one 2-leaf showing 5 sides (its +x side meets
        // silicon); the cells at x = 2 are unit leaves showing 4 faces at +x and 2 on each of
        // -y, +y, -z, +z. 17 faces, 34 triangles, against the cubic faces' 64.
        QCOMPARE(ply.faces.size(), size_t(34));
    }

    void cancellingWritesNothing()
    {
        addVolume(0);
        const int before = QDir(m_dir.path()).entryList(QDir::Files).size();
        m_dialogs.answers << QString();
        QVERIFY(!Ui::exportSurfaceFromWindow(*m_workspace, m_dialogs));
        QVERIFY(m_dialogs.shown.isEmpty());
        QCOMPARE(m_dialogs.asked.size(), 1);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files).size(), before);
    }

    void anotherFormatIsRefusedWithAWarning()
    {
        addVolume(0);
        const QString file = m_dir.filePath(QStringLiteral("part.obj"));
        m_dialogs.answers << file;
        QVERIFY(!Ui::exportSurfaceFromWindow(*m_workspace, m_dialogs));
        QCOMPARE(m_dialogs.shown.size(), 1);
        QVERIFY(m_dialogs.shown.first().startsWith(
            QStringLiteral("Export Surface|The surface could not be exported to \"%1\": the file name must end in .stl")
                .arg(file)));
        QVERIFY(!QFileInfo::exists(file));
    }
};

QTEST_MAIN(tst_SurfaceExportCommand)
#include "tst_surfaceexportcommand.moc"
