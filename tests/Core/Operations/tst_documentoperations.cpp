#include "Core/Operations/opendocumentoperation.h"
#include "Core/Operations/savedocumentoperation.h"
#include "Core/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Persistence/materialtranslationtable.h"
#include "catalogtesthome.h"
#include "scripteddocumentdialogs.h"
#include "testoperations.h"
#include "volumetesthelpers.h"

#include <QtTest>

using namespace Core::Operations;
using Model::Automaton::TotalVolume;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;

namespace {

const QString filter = QStringLiteral("Cellforge file (*.cfw)");

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::vector<uint32_t> states(const Model::ObjectPtr &object)
{
    return cellStates(*std::dynamic_pointer_cast<TotalVolume>(object));
}

/// A workspace whose factory hands out the three document operations with scripted dialogs.
struct Window {
    Core::Workspace workspace;
    std::shared_ptr<TestFactory> factory = std::make_shared<TestFactory>();
    std::shared_ptr<ScriptedDocumentDialogs> dialogs = std::make_shared<ScriptedDocumentDialogs>();
    std::shared_ptr<CountingObserver> saved = std::make_shared<CountingObserver>();
    std::shared_ptr<CountingObserver> updates = std::make_shared<CountingObserver>();
    Util::ObserverPtr opened; // the document-opened observer each open operation gets

    Window()
    {
        workspace.setOperationFactory(factory);
        workspace.addUpdateObserver(updates);
        factory->makers[9] = [this] {
            return withObserver(std::make_shared<SaveDocumentOperation>(workspace, dialogs), saved);
        };
        factory->makers[10] = [this] {
            return withObserver(std::make_shared<SaveDocumentAsOperation>(workspace, dialogs), saved);
        };
        factory->makers[11] = [this] {
            return withObserver(std::make_shared<OpenDocumentOperation>(workspace, dialogs), opened);
        };
    }
    void addVolume(uint32_t state)
    {
        workspace.document().addObject(
            std::make_shared<TotalVolume>(2, 2, 1, 1.0f, 1.0f, 1.0f, Util::Vector3D(1, 2, 3), state));
    }
};

} // namespace

class tst_DocumentOperations : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

private slots:
    void init() { MaterialFactory::instance()->createDefaultMaterials(); }

    void saveAsksOnlyWhileTheSceneHasNoName()
    {
        Window window;
        window.addVolume(1);
        const QString path = m_dir.filePath(QStringLiteral("first.cfw"));
        // A cancelled dialog writes nothing.
        window.dialogs->answers << QString() << path;
        const QStringList filesBefore = QDir(m_dir.path()).entryList(QDir::Files);
        window.workspace.startOperation(9);
        QCOMPARE(window.saved->count, 0);
        QVERIFY(window.workspace.document().fileName().isEmpty());
        QVERIFY(!window.workspace.currentOperation());
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), filesBefore);
        window.workspace.startOperation(9);
        const QString question = QStringLiteral("save|Choose location|%1|%2").arg(QDir::homePath(), filter);
        QCOMPARE(window.dialogs->asked, (QStringList{question, question}));
        QCOMPARE(window.workspace.document().fileName(), path);
        QCOMPARE(window.saved->count, 1);
        QVERIFY(!window.workspace.currentOperation());
        QVERIFY(readFile(path).contains("<State>1 1 1 1 </State>"));

        // Saving again writes to the same file without asking.
        window.addVolume(3);
        window.workspace.startOperation(9);
        QCOMPARE(window.dialogs->asked.size(), 2);
        QCOMPARE(window.saved->count, 2);
        QCOMPARE(readFile(path).count("<Object "), 2);
        QVERIFY(window.dialogs->shown.isEmpty());
    }

    void saveAsAsksEveryTime()
    {
        Window window;
        window.addVolume(1);
        const QString first = m_dir.filePath(QStringLiteral("as1.cfw"));
        const QString second = m_dir.filePath(QStringLiteral("as2"));
        const QString unwritable = m_dir.filePath(QString(250, QLatin1Char('u')));
        {
            QFile old(unwritable);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old document");
        }
        window.dialogs->answers << first << second << QString() << unwritable;
        window.workspace.startOperation(10);
        window.workspace.startOperation(10);
        QCOMPARE(window.dialogs->asked.size(), 2);
        QCOMPARE(window.workspace.document().fileName(), second); // no extension is added
        QVERIFY(QFile::exists(first));
        QVERIFY(QFile::exists(second));
        QCOMPARE(window.saved->count, 2);
        // A cancelled Save As ends normally and writes nothing.
        window.workspace.startOperation(10);
        QCOMPARE(window.saved->count, 2);
        QVERIFY(!window.workspace.currentOperation());
        // A file that cannot be written is reported and the old one stays.
        window.workspace.startOperation(10);
        QCOMPARE(readFile(unwritable), QByteArray("old document"));
        QCOMPARE(window.dialogs->shown.size(), 1);
        QVERIFY(window.dialogs->shown.first().startsWith(QStringLiteral("Error writing to file|")));
        QVERIFY(window.dialogs->shown.first().contains(unwritable));
        QCOMPARE(window.workspace.document().fileName(), second);
        QCOMPARE(window.saved->count, 3); // the title still follows the (unchanged) name
    }

    void openRemembersTheFileAndTellsTheObserver()
    {
        Window window;
        auto opened = std::make_shared<CountingObserver>();
        window.opened = opened;
        const QString folder = m_dir.filePath(QStringLiteral("docs"));
        QDir().mkpath(folder);
        const QString path = folder + QStringLiteral("/scene.cfw");
        window.dialogs->answers << path << QString();
        const QString folderBefore = OpenDocumentOperation::lastFolder();
        window.workspace.startOperation(11);
        QCOMPARE(window.dialogs->asked.first(), QStringLiteral("open|Choose file|%1|%2").arg(folderBefore, filter));
        QCOMPARE(opened->count, 1);
        QCOMPARE(OpenDocumentOperation::chosenFileName(), path);
        QCOMPARE(OpenDocumentOperation::lastFolder(), folder);
        QVERIFY(!window.workspace.currentOperation());
        // The next dialog starts in that folder; cancelling it opens nothing.
        window.workspace.startOperation(11);
        QCOMPARE(window.dialogs->asked.last(), QStringLiteral("open|Choose file|%1|%2").arg(folder, filter));
        QCOMPARE(opened->count, 1);
        QVERIFY(window.workspace.document().allObjects().isEmpty());
    }

    void savedThenLoadedIntoAnotherWindow()
    {
        Window first;
        first.addVolume(4);
        first.addVolume(16);
        const QString path = m_dir.filePath(QStringLiteral("both.cfw"));
        first.dialogs->answers << path;
        first.workspace.startOperation(10);

        Window second;
        const auto result = OpenDocumentOperation::loadFile(second.workspace, path, {});
        QVERIFY(result.ok);
        QCOMPARE(second.workspace.document().fileName(), path);
        QCOMPARE(second.updates->count, 1);
        const auto objects = second.workspace.document().allObjects();
        QCOMPARE(objects.size(), 2);
        QCOMPARE(states(objects[0]), std::vector<uint32_t>(4, 4));
        QCOMPARE(states(objects[1]), std::vector<uint32_t>(4, 16));
        QCOMPARE(std::dynamic_pointer_cast<TotalVolume>(objects[1])->position().z, 3.0);
        QCOMPARE(first.workspace.document().fileName(), path); // each window keeps its own name
        QCOMPARE(OpenDocumentOperation::chosenFileName(), path);
    }

    void loadingProblemsLeaveTheSceneUnnamed_data()
    {
        QTest::addColumn<QByteArray>("contents"); // empty: no file at all
        QTest::addColumn<bool>("ok");
        QTest::newRow("missing file") << QByteArray() << false;
        QTest::newRow("wrong frame") << QByteArray("<Materials/>") << false;
    }

    void loadingProblemsLeaveTheSceneUnnamed()
    {
        QFETCH(QByteArray, contents);
        QFETCH(bool, ok);
        const QString path = m_dir.filePath(QStringLiteral("problem.cfw"));
        QFile::remove(path);
        if (!contents.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(contents);
        }
        Window window;
        const auto result = OpenDocumentOperation::loadFile(window.workspace, path, {});
        QCOMPARE(result.ok, ok);
        QCOMPARE(result.openError.isEmpty(), !contents.isEmpty());
        QVERIFY(window.workspace.document().fileName().isEmpty());
        QCOMPARE(window.updates->count, 0);
        if (!contents.isEmpty())
            QCOMPARE(readFile(path), contents);
    }

    void invalidMaterialWarningGoesToTheLoadedWindowsConsole()
    {
        Window window;
        const auto result = OpenDocumentOperation::loadFile(
            window.workspace, QStringLiteral(TEST_DATA_DIR "/persistence/invalid_material.cfw"), {});
        QVERIFY(result.ok);
        QCOMPARE(
            window.workspace.console().message(),
            QStringLiteral("WARNING: There was an error loading a material. This may alter the loaded cell volume."));
        QCOMPARE(window.workspace.document().allObjects().size(), 1);
    }

    void conflictsGoThroughTheObserver_data()
    {
        QTest::addColumn<bool>("withObserver");
        QTest::addColumn<bool>("answers");
        QTest::addColumn<uint>("expected"); // 0: a fresh identifier
        QTest::newRow("observer keeps the existing material") << true << true << 2001u;
        QTest::newRow("observer does not answer") << true << false << 0u;
        QTest::newRow("no observer") << false << false << 0u;
    }

    void conflictsGoThroughTheObserver()
    {
        QFETCH(bool, withObserver);
        QFETCH(bool, answers);
        QFETCH(uint, expected);
        MaterialFactory::instance()->setMaterial(Material(2001, QStringLiteral("Old Nitride"), 1, 1, 1));
        Window window;
        auto open = std::make_shared<OpenDocumentOperation>(window.workspace);
        auto observer = std::make_shared<CountingObserver>();
        QString seen;
        observer->onNotify = [&] {
            seen = open->existingMaterial().name() + '/' + open->loadedMaterial().name();
            if (answers)
                open->resolveConflict({Model::Persistence::ConflictChoice::ReplaceLoadedByExisting, 0});
        };
        if (withObserver)
            open->setMaterialConflictObserver(observer);
        const auto result = OpenDocumentOperation::loadFile(
            window.workspace, QStringLiteral(TEST_DATA_DIR "/persistence/conflict_2001.cfw"), open->conflictResolver());
        QVERIFY(result.ok);
        QCOMPARE(observer->count, withObserver ? 1 : 0);
        if (withObserver)
            QCOMPARE(seen, QStringLiteral("Old Nitride/Loaded Nitride"));
        const uint32_t cell = states(window.workspace.document().allObjects().first())[1];
        if (expected)
            QCOMPARE(cell, expected);
        else
            QVERIFY(cell >= 2000 && cell != 2001 &&
                    MaterialFactory::instance()->getMaterial(cell).name() == QStringLiteral("Loaded Nitride"));
        QCOMPARE(OpenDocumentOperation::translationTable().translate(2001), cell);
    }

    void conflictResolverOutlivingItsOperationAsksNobody()
    {
        Window window;
        auto open = std::make_shared<OpenDocumentOperation>(window.workspace);
        auto observer = std::make_shared<CountingObserver>();
        observer->onNotify = [&] { open->resolveConflict({Model::Persistence::ConflictChoice::AddLoadedAsNew, 0}); };
        open->setMaterialConflictObserver(observer);
        const auto resolver = open->conflictResolver();
        const Material existing(2001, QStringLiteral("A"), 1, 1, 1);
        const Material loaded(2001, QStringLiteral("B"), 1, 1, 1);
        const auto answer = resolver(existing, loaded);
        QVERIFY(answer);
        QCOMPARE(answer->choice, Model::Persistence::ConflictChoice::AddLoadedAsNew);
        QCOMPARE(open->existingMaterial().name(), QStringLiteral("A"));
        QCOMPARE(open->loadedMaterial().name(), QStringLiteral("B"));
        open.reset();
        QVERIFY(!resolver(existing, loaded));
        QCOMPARE(observer->count, 1);
    }
};

QTEST_GUILESS_MAIN(tst_DocumentOperations)
#include "tst_documentoperations.moc"
