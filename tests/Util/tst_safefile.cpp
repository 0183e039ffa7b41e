#include "Util/safefile.h"
#include "filesizelimit.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writePlain(const QString &path, const QByteArray &text)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
}

} // namespace

class tst_SafeFile : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private slots:
    void refusal_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("new name") << "missing" << QString();
        QTest::newRow("regular file") << "file" << QString();
        QTest::newRow("pipe") << "pipe"
                              << "is not a regular file";
        QTest::newRow("folder") << "folder"
                                << "is a folder";
        QTest::newRow("link to a pipe") << "link"
                                        << "is not a regular file";
        QTest::newRow("no name") << ""
                                 << "no file name";
    }
    void refusal()
    {
        QFETCH(QString, kind);
        QFETCH(QString, refusal);
        const QString path = kind.isEmpty() ? QString() : m_dir.filePath(kind);
        const QByteArray native = QFile::encodeName(path);
        if (kind == QLatin1String("file"))
            writePlain(path, "old");
        else if (kind == QLatin1String("pipe"))
            QCOMPARE(::mkfifo(native.constData(), 0600), 0);
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir(m_dir.path()).mkdir(kind));
        else if (kind == QLatin1String("link"))
            QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("pipe")), path));
        const QString got = Util::SafeFile::refusal(path);
        if (refusal.isEmpty())
            QVERIFY2(got.isEmpty(), qPrintable(got));
        else
            QVERIFY2(got.contains(refusal), qPrintable(got));
    }

    void pipeIsNeitherWrittenNorReplaced()
    {
        const QString path = m_dir.filePath(QStringLiteral("fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        Util::SafeFile file(path);
        QVERIFY(!file.open());
        QVERIFY(file.errorString().contains(QStringLiteral("is not a regular file")));
        QString reason;
        QVERIFY(!Util::saveImageFile(QImage(4, 4, QImage::Format_RGB32), path, "png", &reason));
        QVERIFY(!reason.isEmpty());
        struct stat status;
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &status), 0);
        QVERIFY(S_ISFIFO(status.st_mode));
    }

    // Everything fits in the write buffer, so the failure shows only when the file is completed.
    void failureAtCompletionKeepsTheSystemsReasonAndTheOldFile()
    {
        const QString path = m_dir.filePath(QStringLiteral("doc.cfw"));
        writePlain(path, "previous");
        Util::SafeFile file(path);
        QVERIFY(file.open());
        file.device()->write(QByteArray(4096, 'x'));
        {
            FileSizeLimit limit(1024);
            QVERIFY(limit.isActive());
            QVERIFY(!file.commit());
        }
        QCOMPARE(file.errorString(), QString::fromLocal8Bit(std::strerror(EFBIG)));
        QCOMPARE(contents(path), QByteArray("previous"));
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("doc.cfw*")}, QDir::Files).size(), 1);
    }

    void successReplacesTheFile()
    {
        const QString path = m_dir.filePath(QStringLiteral("list.plst"));
        writePlain(path, "previous");
        Util::SafeFile file(path);
        QVERIFY(file.open());
        file.device()->write("new");
        QVERIFY(file.commit());
        QCOMPARE(contents(path), QByteArray("new"));
    }
};

QTEST_GUILESS_MAIN(tst_SafeFile)
#include "tst_safefile.moc"
