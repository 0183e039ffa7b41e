#include "Core/Undo/undofiles.h"
#include "Core/consoleinput.h"
#include "Core/workspace.h"
#include "testobject.h"
#include "testoperations.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

using Core::ConsoleInput;
using Core::UndoFiles;
using Side = UndoFiles::Side;

namespace {

QByteArray contents(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArray record(const UndoFiles &files, uint64_t number, Side side)
{
    QByteArray result;
    QString error;
    return files.read(number, side, result, &error) ? result : "<" + error.toUtf8() + ">";
}

} // namespace

class tst_Workspace : public QObject {
    Q_OBJECT
private slots:
    void parsesCoordinates_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("z");
        QTest::newRow("blanks after commas") << "1, 2, 3" << true << 3.0;
        QTest::newRow("decimals and signs") << "-1.5,2e1, 0.25" << true << 0.25;
        QTest::newRow("blanks only") << "1 2 3" << false << 0.0;
        QTest::newRow("two numbers") << "1, 2" << false << 0.0;
        QTest::newRow("words") << "a, b, c" << false << 0.0;
    }
    void parsesCoordinates()
    {
        QFETCH(QString, line);
        QFETCH(bool, ok);
        Util::Vector3D result;
        QCOMPARE(ConsoleInput::parseCoordinates(line, result), ok);
        if (ok)
            QTEST(result.z, "z");
    }

    void enterAndReplacedRequesters()
    {
        Core::Workspace ws;
        QStringList log;
        auto op = std::make_shared<LoggingOperation>(ws, QStringLiteral("Op"), log);
        ws.console().requestEnter(op);
        ws.console().handleLine(QString());
        QVERIFY(!ws.console().requester());
        ws.console().handleLine(QStringLiteral("x")); // no requester left: not used
        // A requester replaced by another is executed first.
        auto waiting = std::make_shared<LoggingOperation>(ws, QStringLiteral("Waiting"), log);
        waiting->waitForEnter = true;
        waiting->start();
        ws.console().requestEnter(op);
        QCOMPARE(log, (QStringList{"Op start", "Op execute", "Waiting start", "Waiting execute"}));
        QCOMPARE(ws.console().requester(), Core::Operations::OperationPtr(op));
    }

    void aWaitingOperationIsCanceledFirst()
    {
        Core::Workspace ws;
        auto factory = std::make_shared<TestFactory>();
        QStringList log;
        factory->makers[1] = [&] {
            auto op = std::make_shared<LoggingOperation>(ws, QStringLiteral("A"), log);
            op->waitForEnter = true;
            return op;
        };
        factory->makers[2] = [&] { return std::make_shared<LoggingOperation>(ws, QStringLiteral("B"), log); };
        ws.setOperationFactory(factory);
        ws.startOperation(1);
        QCOMPARE(ws.console().message(), QStringLiteral("A: waiting"));
        ws.startOperation(2);
        QVERIFY(!ws.currentOperation());
        QCOMPARE(ws.undoRedo().undoName(), QStringLiteral("B"));
        ws.startOperation(1);
        ws.startOperation(0);
        QVERIFY(!ws.currentOperation());
        ws.startOperation(1);
        ws.undoRedo().undo();
        QCOMPARE(log, (QStringList{"A start", "A cancel", "B start", "B execute", "A start", "A cancel", "A start",
                                   "A cancel", "B undo"}));
    }

    void undoAndRedoFollowStackOrder()
    {
        Core::Workspace ws;
        QStringList log;
        auto &stacks = ws.undoRedo();
        QVERIFY(!stacks.undo());
        QVERIFY(!stacks.redo());
        stacks.push(std::make_shared<LoggingOperation>(ws, QStringLiteral("A"), log));
        stacks.push(std::make_shared<LoggingOperation>(ws, QStringLiteral("B"), log));
        QVERIFY(stacks.undo());
        QCOMPARE(stacks.undoName(), QStringLiteral("A"));
        QCOMPARE(stacks.redoName(), QStringLiteral("B"));
        QVERIFY(stacks.undo());
        QVERIFY(!stacks.undo());
        QVERIFY(stacks.redo());
        QCOMPARE(stacks.undoName(), QStringLiteral("A"));
        QCOMPARE(stacks.redoName(), QStringLiteral("B"));
        QCOMPARE(log, (QStringList{"B undo", "A undo", "A redo"}));
        // A new push empties the redo stack.
        stacks.push(std::make_shared<LoggingOperation>(ws, QStringLiteral("C"), log));
        QVERIFY(stacks.redoName().isEmpty());
        QCOMPARE(stacks.undoCount(), size_t(2));
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

    // A window's undo files go with it; a headless workspace makes none. They lie in a private
    // folder of the user's cache, never in the working folder, under names nobody can guess.
    void undoFilesLiveWithTheWorkspace()
    {
        QTemporaryDir folder;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));
        const auto restoreFolder = qScopeGuard([&] { QDir::setCurrent(previous); });
        const QString privateFolder =
            QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)).filePath(QStringLiteral("undo"));
        QVERIFY(privateFolder.startsWith(QDir::homePath())); // the tests' home, in the build tree
        const QRegularExpression pattern(QStringLiteral("^(undo|redo)-[A-Za-z0-9._]+-%1-[0-9a-f]{16}\\.temp$")
                                             .arg(QCoreApplication::applicationPid()));
        QString undoName;
        QString redoName;
        {
            Core::Workspace ws;
            undoName = ws.undoFiles().undoFileName();
            redoName = ws.undoFiles().redoFileName();
            QCOMPARE(QFileInfo(undoName).absolutePath(), privateFolder);
            QVERIFY2(pattern.match(QFileInfo(undoName).fileName()).hasMatch(), qPrintable(undoName));
            QCOMPARE(QFileInfo(redoName).fileName().mid(4), QFileInfo(undoName).fileName().mid(4));
            QVERIFY(QFile::exists(undoName) && QFile::exists(redoName));
            // Only the user may enter the folder and read the files.
            const QFile::Permissions groupOrOthers(0x0077);
            QCOMPARE(QFileInfo(privateFolder).permissions() & groupOrOthers, QFile::Permissions());
            QCOMPARE(QFileInfo(undoName).permissions() & groupOrOthers, QFile::Permissions());
            QVERIFY(Core::Workspace().undoFiles().undoFileName() != undoName);
            QVERIFY(QDir(folder.path()).entryList(QDir::Files).isEmpty());
        }
        QVERIFY(!QFile::exists(undoName));
        QVERIFY(!QFile::exists(redoName));
        {
            Core::Workspace ws(UndoFiles::Storage::None);
            QString error;
            QVERIFY(!ws.undoFiles().append(1, "A", "a", &error));
            QCOMPARE(error, QStringLiteral("there are no undo files"));
            ws.newDocument();
            QVERIFY(QDir(folder.path()).entryList(QDir::Files).isEmpty());
        }
    }

    // Files of a process that no longer runs (a crash) go at the next start; those of running
    // processes and of other hosts sharing the folder stay.
    void staleUndoFilesAreRemovedAtTheNextStart()
    {
        QString host;
        QString folder;
        {
            UndoFiles files;
            const QFileInfo info(files.undoFileName());
            folder = info.absolutePath();
            host = info.fileName().split(QLatin1Char('-')).at(1);
        }
        QProcess gone;
        gone.start(QStringLiteral("true"), QStringList());
        QVERIFY(gone.waitForStarted());
        const qint64 deadPid = gone.processId();
        QVERIFY(gone.waitForFinished());
        const QString tail = QStringLiteral("-0123456789abcdef.temp");
        const QStringList stale{QStringLiteral("undo-%1-%2").arg(host).arg(deadPid) + tail,
                                QStringLiteral("redo-%1-%2").arg(host).arg(deadPid) + tail};
        const QStringList kept{QStringLiteral("undo-%1-%2").arg(host).arg(QCoreApplication::applicationPid()) + tail,
                               QStringLiteral("undo-other_host-%1").arg(deadPid) + tail,
                               QStringLiteral("undo-%1-%2").arg(host).arg(deadPid) + QStringLiteral(".txt")};
        for (const QString &name : stale + kept) {
            QFile file(QDir(folder).filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const auto removeKept = qScopeGuard([&] {
            for (const QString &name : kept)
                QFile::remove(QDir(folder).filePath(name));
        });
        UndoFiles files;
        for (const QString &name : stale)
            QVERIFY2(!QFile::exists(QDir(folder).filePath(name)), qPrintable(name));
        for (const QString &name : kept)
            QVERIFY2(QFile::exists(QDir(folder).filePath(name)), qPrintable(name));
    }

    // A link in place of the private folder is not followed: the files go to a private folder of
    // their own instead, and nothing is made where the link points.
    void linkedUndoFolderIsRefused()
    {
        const QString folder =
            QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)).filePath(QStringLiteral("undo"));
        QTemporaryDir elsewhere;
        QDir(folder).removeRecursively();
        QVERIFY(QFile::link(elsewhere.path(), folder));
        const auto removeLink = qScopeGuard([&] { QFile::remove(folder); });
        {
            UndoFiles files;
            QVERIFY(files.hasFiles());
            QVERIFY(!files.undoFileName().startsWith(folder + QLatin1Char('/')));
            QVERIFY(!files.undoFileName().startsWith(elsewhere.path()));
            QVERIFY(files.append(1, "A", "a", nullptr));
            QVERIFY(QDir(elsewhere.path()).isEmpty());
        }
        QVERIFY(QDir(elsewhere.path()).isEmpty());
    }

    void releasingARecordMovesTheLaterOnesDown()
    {
        UndoFiles files;
        const auto both = [&files] { return contents(files.undoFileName()) + '|' + contents(files.redoFileName()); };
        QVERIFY(files.append(1, "AAAA", "aa", nullptr));
        QVERIFY(files.append(2, "BB", "bbb", nullptr));
        QVERIFY(files.append(3, "C", "c", nullptr));
        QCOMPARE(both(), QByteArray("AAAABBC|aabbbc"));
        QCOMPARE(record(files, 2, Side::Redo), QByteArray("bbb"));
        files.release(2);
        QCOMPARE(both(), QByteArray("AAAAC|aac"));
        QCOMPARE(record(files, 3, Side::Undo) + record(files, 3, Side::Redo), QByteArray("Cc"));
        QCOMPARE(record(files, 2, Side::Undo), QByteArray("<the step has no record>"));
        files.release(3);  // the last one: the files are cut
        files.release(42); // unknown: nothing happens
        QCOMPARE(both(), QByteArray("AAAA|aa"));
        QCOMPARE(files.recordCount(), size_t(1));
        QCOMPARE(files.recordBytes(Side::Undo), qint64(4));
        QVERIFY(files.append(4, "D", "dd", nullptr));
        QCOMPARE(both(), QByteArray("AAAAD|aadd"));
        files.clear();
        QCOMPARE(both(), QByteArray("|"));
        QCOMPARE(record(files, 1, Side::Undo), QByteArray("<the step has no record>"));

        // A record larger than one move goes down whole.
        QByteArray big(9 << 20, '\0');
        for (int i = 0; i < big.size(); ++i)
            big[i] = static_cast<char>(i * 31 / 7);
        QVERIFY(files.append(5, "0123456789", "x", nullptr));
        QVERIFY(files.append(6, big, "y", nullptr));
        files.release(5);
        QCOMPARE(both(), big + "|y");
        QCOMPARE(record(files, 6, Side::Undo), big);
    }

    void failedAppendLeavesBothFilesAsTheyWere()
    {
        QString redoName;
        // The folder put in place of a file goes also when a check fails.
        auto removeFolder = qScopeGuard([&] { QDir().rmdir(redoName); });
        UndoFiles files;
        QVERIFY(files.append(1, "AAAA", "aa", nullptr));
        // A folder in place of the redo file: writing fails after the undo record went in.
        redoName = files.redoFileName();
        QVERIFY(QFile::remove(redoName));
        QVERIFY(QDir().mkdir(redoName));
        QString error;
        QVERIFY(!files.append(2, "BB", "bb", &error));
        QVERIFY2(error.contains(redoName), qPrintable(error));
        QCOMPARE(contents(files.undoFileName()), QByteArray("AAAA"));
        QCOMPARE(files.recordCount(), size_t(1));
        QCOMPARE(record(files, 2, Side::Undo), QByteArray("<the step has no record>"));
    }
};

QTEST_GUILESS_MAIN(tst_Workspace)
#include "tst_workspace.moc"
