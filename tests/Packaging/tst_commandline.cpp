// The cellforge executable's command line where no window can be shown: --help (which names --verbose)
// and --version answer without a display, and a start without one ends in one line and exit status 1.
#include "childprocess.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class tst_CommandLine : public QObject {
    Q_OBJECT
private slots:
    void withoutADisplay_data()
    {
        QTest::addColumn<QString>("display"); // empty: none at all
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("out"); // the whole output, or how the usage text starts
        QTest::addColumn<QString>("err"); // how the one line of error starts; empty: none
        const QString version = QStringLiteral("Cellforge " CELLFORGE_VERSION "\n");
        const QString cannot = QStringLiteral("cellforge: cannot show a window: ");
        QTest::newRow("--version") << QString() << QStringList{"--version"} << version << QString();
        QTest::newRow("-v") << QString() << QStringList{"-v"} << version << QString();
        QTest::newRow("--help") << QString() << QStringList{"--help"} << "Usage: " << QString();
        QTest::newRow("-h") << QString() << QStringList{"-h"} << "Usage: " << QString();
        QTest::newRow("no display set") << QString() << QStringList() << QString() << cannot + "no display is set";
        // No X server listens on this display number (its socket would be /tmp/.X11-unix/X987).
        QTest::newRow("display that does not answer")
            << ":987" << QStringList() << QString() << cannot + "the display \":987\" could not be opened";
    }

    void withoutADisplay()
    {
        QFETCH(QString, display);
        QFETCH(QStringList, arguments);
        QFETCH(QString, out);
        QFETCH(QString, err);
        if (!display.isEmpty() && QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X987")))
            QSKIP("An X server listens on display :987 on this machine.");
        QTemporaryDir home;
        QProcessEnvironment env = environmentWithoutDisplay();
        if (!display.isEmpty())
            env.insert(QStringLiteral("DISPLAY"), display);
        env.insert(QStringLiteral("HOME"), home.path());
        const ChildResult r = runChild(QStringLiteral(CELLFORGE_EXE), arguments, env, home.path());
        QVERIFY2(r.exitCode == (err.isEmpty() ? 0 : 1),
                 qPrintable(QStringLiteral("exit %1: %2").arg(r.exitCode).arg(r.err)));
        if (out.startsWith(QLatin1String("Usage: ")))
            QVERIFY2(r.out.startsWith(out) && r.out.contains(QLatin1String("[file]")) &&
                         r.out.contains(QLatin1String("--version")) && r.out.contains(QLatin1String("*.plst")) &&
                         r.out.contains(QLatin1String("--verbose")),
                     qPrintable(r.out));
        else
            QCOMPARE(r.out, out);
        if (err.isEmpty())
            QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        else
            QVERIFY2(r.err.startsWith(err) && r.err.endsWith(QLatin1Char('\n')) &&
                         r.err.count(QLatin1Char('\n')) == 1 && r.err.contains(QLatin1String("xvfb-run")),
                     qPrintable(r.err));
        // Nothing but the text: no catalogue is written, no undo file made.
        QCOMPARE(QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    }
};

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
