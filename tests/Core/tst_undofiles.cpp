#include "Core/undofiles.h"

#include <QtTest>

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

class tst_UndoFiles : public QObject {
    Q_OBJECT
private slots:
    void releasingARecordMovesTheLaterOnesDown()
    {
        UndoFiles files;
        QVERIFY(files.append(1, "AAAA", "aa", nullptr));
        QVERIFY(files.append(2, "BB", "bbb", nullptr));
        QVERIFY(files.append(3, "C", "c", nullptr));
        QCOMPARE(contents(files.undoFileName()), QByteArray("AAAABBC"));
        QCOMPARE(contents(files.redoFileName()), QByteArray("aabbbc"));
        QCOMPARE(record(files, 2, Side::Undo), QByteArray("BB"));
        QCOMPARE(record(files, 2, Side::Redo), QByteArray("bbb"));

        files.release(2);
        QCOMPARE(contents(files.undoFileName()), QByteArray("AAAAC"));
        QCOMPARE(contents(files.redoFileName()), QByteArray("aac"));
        QCOMPARE(record(files, 3, Side::Undo), QByteArray("C"));
        QCOMPARE(record(files, 3, Side::Redo), QByteArray("c"));
        QCOMPARE(record(files, 2, Side::Undo), QByteArray("<the step has no record>"));

        files.release(3);  // the last one: the files are cut
        files.release(42); // unknown: nothing happens
        QCOMPARE(contents(files.undoFileName()), QByteArray("AAAA"));
        QCOMPARE(contents(files.redoFileName()), QByteArray("aa"));
        QCOMPARE(files.recordCount(), size_t(1));
        QCOMPARE(files.recordBytes(Side::Undo), qint64(4));

        QVERIFY(files.append(4, "D", "dd", nullptr));
        QCOMPARE(contents(files.undoFileName()), QByteArray("AAAAD"));
        files.clear();
        QCOMPARE(contents(files.undoFileName()), QByteArray());
        QCOMPARE(contents(files.redoFileName()), QByteArray());
        QCOMPARE(files.recordCount(), size_t(0));
        QCOMPARE(record(files, 1, Side::Undo), QByteArray("<the step has no record>"));
    }

    void recordsLargerThanOneMoveAreMovedWhole()
    {
        UndoFiles files;
        QByteArray big(9 << 20, '\0');
        for (int i = 0; i < big.size(); ++i)
            big[i] = static_cast<char>(i * 31 / 7);
        QVERIFY(files.append(1, "0123456789", "x", nullptr));
        QVERIFY(files.append(2, big, "y", nullptr));
        files.release(1);
        QCOMPARE(contents(files.undoFileName()), big);
        QCOMPARE(record(files, 2, Side::Undo), big);
        QCOMPARE(contents(files.redoFileName()), QByteArray("y"));
    }

    void failedAppendLeavesBothFilesAsTheyWere()
    {
        QString redoName;
        // The folder put in place of a file goes also when a check fails.
        auto removeFolder = qScopeGuard([&] { QDir().rmdir(redoName); });
        {
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
        removeFolder.dismiss();
        QVERIFY(QDir().rmdir(redoName));
    }

    void fileCutFromOutsideIsReported()
    {
        UndoFiles files;
        QVERIFY(files.append(1, "AAAA", "aa", nullptr));
        QVERIFY(QFile::resize(files.undoFileName(), 2));
        QByteArray result;
        QString error;
        QVERIFY(!files.read(1, Side::Undo, result, &error));
        QVERIFY2(error.contains(QStringLiteral("shorter")), qPrintable(error));
        QCOMPARE(record(files, 1, Side::Redo), QByteArray("aa"));
    }

    void noStorageMakesNoFiles()
    {
        QTemporaryDir folder;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));
        const auto restoreFolder = qScopeGuard([&] { QDir::setCurrent(previous); });
        {
            UndoFiles files(UndoFiles::Storage::None);
            QVERIFY(!files.hasFiles());
            QVERIFY(files.undoFileName().isEmpty());
            QString error;
            QVERIFY(!files.append(1, "A", "a", &error));
            QCOMPARE(error, QStringLiteral("there are no undo files"));
            files.clear();
            QVERIFY(QDir(folder.path()).entryList(QDir::Files).isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(tst_UndoFiles)
#include "tst_undofiles.moc"
