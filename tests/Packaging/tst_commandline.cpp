// The cellforge executable's command line where no window can be shown: --help and --version
// answer without a display, and a start without one ends in one line and exit status 1.
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Result {
    int exitCode = -1; ///< -2: the program crashed (e.g. aborted), -1: it hung
    QString out;
    QString err;
};

// `display` empty: no display at all; Qt's own platform choice is never forced.
Result runCellforge(const QStringList &arguments, const QString &home, const QString &display = QString())
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    if (!display.isEmpty())
        env.insert(QStringLiteral("DISPLAY"), display);
    env.insert(QStringLiteral("HOME"), home);
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(home);
    process.start(QStringLiteral(CELLFORGE_EXE), arguments);
    Result result;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

} // namespace

class tst_CommandLine : public QObject {
    Q_OBJECT
private slots:
    void printingOptionsNeedNoDisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expected");
        const QString version = QStringLiteral("Cellforge " CELLFORGE_VERSION "\n");
        QTest::newRow("--version") << QStringList{"--version"} << version;
        QTest::newRow("-v") << QStringList{"-v"} << version;
        QTest::newRow("--version after a file") << QStringList{"wafer.cfw", "--version"} << version;
        QTest::newRow("--help") << QStringList{"--help"} << QStringLiteral("Usage: ");
        QTest::newRow("-h") << QStringList{"-h"} << QStringLiteral("Usage: ");
    }
    void printingOptionsNeedNoDisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        QTemporaryDir home;
        const Result r = runCellforge(arguments, home.path());
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        if (expected.startsWith(QLatin1String("Usage")))
            QVERIFY2(r.out.startsWith(expected) && r.out.contains(QLatin1String("[file]")) &&
                         r.out.contains(QLatin1String("--version")) && r.out.contains(QLatin1String("*.plst")),
                     qPrintable(r.out));
        else
            QCOMPARE(r.out, expected);
        // Nothing but the text: no catalogue is written, no undo file made.
        QCOMPARE(QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    }

    void noDisplayIsOneLineAndExitStatusOne_data()
    {
        QTest::addColumn<QString>("display");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no display set") << QString() << QStringList() << QStringLiteral("no display is set");
        QTest::newRow("no display set, a document named")
            << QString() << QStringList{"wafer.cfw"} << QStringLiteral("no display is set");
        // No X server listens on this display number (its socket would be /tmp/.X11-unix/X987).
        QTest::newRow("display that does not answer")
            << QStringLiteral(":987") << QStringList() << QStringLiteral("the display \":987\" could not be opened");
    }
    void noDisplayIsOneLineAndExitStatusOne()
    {
        QFETCH(QString, display);
        QFETCH(QStringList, arguments);
        QFETCH(QString, reason);
        if (!display.isEmpty() && QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X987")))
            QSKIP("An X server listens on display :987 on this machine.");
        QTemporaryDir home;
        const Result r = runCellforge(arguments, home.path(), display);
        QVERIFY2(r.exitCode == 1, qPrintable(QStringLiteral("exit %1: %2").arg(r.exitCode).arg(r.err)));
        QCOMPARE(r.out, QString());
        QVERIFY2(r.err.endsWith(QLatin1Char('\n')) && r.err.count(QLatin1Char('\n')) == 1, qPrintable(r.err));
        QVERIFY2(r.err.startsWith(QLatin1String("cellforge: cannot show a window: ") + reason), qPrintable(r.err));
        QVERIFY(r.err.contains(QLatin1String("xvfb-run")));
        QCOMPARE(QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    }
};

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
