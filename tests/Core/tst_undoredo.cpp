#include "Core/workspace.h"
#include "testobject.h"
#include "testoperations.h"

#include <QtTest>

class tst_UndoRedo : public QObject {
    Q_OBJECT
private slots:
    void undoAndRedoFollowStackOrder()
    {
        Core::Workspace ws;
        QStringList log;
        auto &stacks = ws.undoRedo();
        auto a = std::make_shared<LoggingOperation>(ws, QStringLiteral("A"), log);
        auto b = std::make_shared<LoggingOperation>(ws, QStringLiteral("B"), log);

        QVERIFY(!stacks.undo());
        QVERIFY(!stacks.redo());
        QVERIFY(stacks.undoName().isEmpty());

        stacks.push(a);
        stacks.push(b);
        QCOMPARE(stacks.undoName(), QStringLiteral("B"));
        QVERIFY(stacks.undo());
        QCOMPARE(stacks.undoName(), QStringLiteral("A"));
        QCOMPARE(stacks.redoName(), QStringLiteral("B"));
        QVERIFY(stacks.undo());
        QCOMPARE(stacks.redoName(), QStringLiteral("A"));
        QVERIFY(!stacks.undo());
        QVERIFY(stacks.redo());
        QCOMPARE(stacks.undoName(), QStringLiteral("A"));
        QCOMPARE(stacks.redoName(), QStringLiteral("B"));
        QCOMPARE(log, (QStringList{QStringLiteral("B undo"), QStringLiteral("A undo"), QStringLiteral("A redo")}));

        // A new push empties the redo stack.
        stacks.push(std::make_shared<LoggingOperation>(ws, QStringLiteral("C"), log));
        QVERIFY(stacks.redoName().isEmpty());
        QCOMPARE(stacks.undoCount(), size_t(2));
    }

    void failedUndoStaysOnUndoStack()
    {
        Core::Workspace ws;
        QStringList log;
        auto op = std::make_shared<LoggingOperation>(ws, QStringLiteral("Stuck"), log);
        op->undoResult = false;
        ws.undoRedo().push(op);
        QVERIFY(ws.undoRedo().undo());
        QCOMPARE(ws.undoRedo().undoName(), QStringLiteral("Stuck"));
        QVERIFY(!ws.undoRedo().canRedo());
    }

    void observersHearEveryChange()
    {
        Core::Workspace ws;
        QStringList log;
        QStringList order;
        auto undoObserver = std::make_shared<CountingObserver>();
        auto redoObserver = std::make_shared<CountingObserver>();
        undoObserver->onNotify = [&] { order << QStringLiteral("undo"); };
        redoObserver->onNotify = [&] { order << QStringLiteral("redo"); };
        ws.undoRedo().addUndoObserver(undoObserver);
        ws.undoRedo().addRedoObserver(redoObserver);

        ws.undoRedo().push(std::make_shared<LoggingOperation>(ws, QStringLiteral("A"), log));
        QCOMPARE(order, (QStringList{QStringLiteral("undo"), QStringLiteral("redo")}));
        order.clear();
        ws.undoRedo().undo();
        QCOMPARE(order, (QStringList{QStringLiteral("redo"), QStringLiteral("undo")}));
        order.clear();
        ws.undoRedo().redo();
        QCOMPARE(order, (QStringList{QStringLiteral("undo"), QStringLiteral("redo")}));
        order.clear();
        ws.undoRedo().clear();
        QCOMPARE(order, (QStringList{QStringLiteral("undo"), QStringLiteral("redo")}));
        QVERIFY(!ws.undoRedo().canUndo());
    }

    void undoCancelsTheCurrentOperation()
    {
        Core::Workspace ws;
        auto factory = std::make_shared<TestFactory>();
        QStringList log;
        factory->makers[1] = [&] {
            auto op = std::make_shared<LoggingOperation>(ws, QStringLiteral("Waiting"), log);
            op->waitForEnter = true;
            return op;
        };
        ws.setOperationFactory(factory);
        ws.undoRedo().push(std::make_shared<LoggingOperation>(ws, QStringLiteral("Done"), log));
        ws.startOperation(1);
        ws.undoRedo().undo();
        QCOMPARE(log, (QStringList{QStringLiteral("Waiting start"), QStringLiteral("Waiting cancel"),
                                   QStringLiteral("Done undo")}));
    }

    void temporaryFilesLiveWithTheWorkspace()
    {
        QString undoName;
        QString redoName;
        {
            Core::Workspace ws;
            undoName = ws.undoFiles().undoFileName();
            redoName = ws.undoFiles().redoFileName();
            QVERIFY(QFileInfo(undoName).fileName().startsWith(QStringLiteral("undo")));
            QVERIFY(redoName.endsWith(QStringLiteral(".temp")));
            QVERIFY(QFile::exists(undoName));
            QVERIFY(QFile::exists(redoName));
            Core::Workspace other;
            QVERIFY(other.undoFiles().undoFileName() != undoName);
        }
        QVERIFY(!QFile::exists(undoName));
        QVERIFY(!QFile::exists(redoName));
    }

    void headlessWorkspaceMakesNoFiles()
    {
        QTemporaryDir folder;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));
        const auto restoreFolder = qScopeGuard([&] { QDir::setCurrent(previous); });
        {
            Core::Workspace ws(Core::UndoFiles::Storage::None);
            QVERIFY(!ws.undoFiles().hasFiles());
            ws.newDocument();
            QVERIFY(QDir(folder.path()).entryList(QDir::Files).isEmpty());
        }
    }

    void newDocumentResetsEverything()
    {
        Core::Workspace ws;
        QStringList log;
        ws.document().addObject(std::make_shared<TestObject>());
        ws.document().setFileName(QStringLiteral("x.cfw"));
        ws.undoRedo().push(std::make_shared<LoggingOperation>(ws, QStringLiteral("A"), log));
        ws.setLastOperation(3, 13);
        ws.setLatticeOutOfDate(3, false);
        auto update = std::make_shared<CountingObserver>();
        ws.addUpdateObserver(update);

        ws.newDocument();
        QVERIFY(ws.document().allObjects().isEmpty());
        QVERIFY(ws.document().fileName().isEmpty());
        QVERIFY(!ws.undoRedo().canUndo());
        QCOMPARE(ws.lastOperation(3), 0u);
        QVERIFY(ws.isLatticeOutOfDate(3));
        QCOMPARE(update->count, 1);
    }
};

QTEST_GUILESS_MAIN(tst_UndoRedo)
#include "tst_undoredo.moc"
