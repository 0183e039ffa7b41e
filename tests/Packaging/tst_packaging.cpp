// The Debian package that CPack builds from this build tree (in a temporary folder): its fields,
// lintian report, files and manual pages. A check whose Debian tool is missing is skipped.
#include "Core/BatchRun/batchcommand.h"
#include "childprocess.h"
#include "filecontents.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString tool(const char *name) { return QStandardPaths::findExecutable(QString::fromLatin1(name)); }

QString sourcePath(const QString &relative) { return QStringLiteral(SOURCE_DIR "/") + relative; }

const QList<int> iconSizes{16, 22, 24, 32, 48, 64, 128, 256};

// The "--name" options a help text lists.
QStringList longOptions(const QString &text)
{
    QStringList options;
    QRegularExpressionMatchIterator it =
        QRegularExpression(QStringLiteral("(?<![\\w-])--[a-z][a-z-]*")).globalMatch(text);
    while (it.hasNext())
        options << it.next().captured(0);
    options.removeDuplicates();
    return options;
}

} // namespace

class tst_Packaging : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    bool m_tried = false;
    QString m_deb;     ///< the package built, empty until then
    QString m_missing; ///< the tool whose absence keeps the package from being built
    QString m_failure; ///< why building failed
    QString m_root;    ///< where the package was unpacked

    /// Builds the package once with cpack from this build tree and unpacks it.
    void buildPackage()
    {
        if (m_tried)
            return;
        m_tried = true;
        for (const char *name : {"dpkg-deb", "dpkg-shlibdeps", "file", "strip"}) {
            if (tool(name).isEmpty()) {
                m_missing = QString::fromLatin1(name);
                return;
            }
        }
        const QString out = m_dir.filePath(QStringLiteral("package"));
        const ChildResult cpack = runChild(QStringLiteral(CPACK_COMMAND),
                                           {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
                                            QStringLiteral(BUILD_DIR "/CPackConfig.cmake"), QStringLiteral("-B"), out},
                                           QProcessEnvironment::systemEnvironment(), m_dir.path());
        const QStringList debs = QDir(out).entryList({QStringLiteral("*.deb")}, QDir::Files);
        if (cpack.exitCode != 0 || debs.size() != 1) {
            m_failure = QStringLiteral("cpack ended with %1:\n%2\n%3").arg(cpack.exitCode).arg(cpack.out, cpack.err);
            return;
        }
        m_deb = QDir(out).filePath(debs.first());
        m_root = m_dir.filePath(QStringLiteral("root"));
        const ChildResult extract = runChild(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), m_deb, m_root});
        if (extract.exitCode != 0)
            m_failure = QStringLiteral("dpkg-deb -x failed: ") + extract.err;
    }

#define REQUIRE_PACKAGE()                                                                                              \
    do {                                                                                                               \
        buildPackage();                                                                                                \
        if (!m_missing.isEmpty())                                                                                      \
            QSKIP(qPrintable(m_missing + QStringLiteral(" is not installed: no package is built (scripts/bootstrap "   \
                                                        "installs it).")));                                            \
        QVERIFY2(m_failure.isEmpty(), qPrintable(m_failure));                                                          \
    } while (false)

private slots:
    // The desktop entry and the MIME database that file managers read: both types, found by suffix
    // and by root element.
    void desktopEntryAndMimeTypesAreValid()
    {
        const QString path = sourcePath(QStringLiteral("packaging/cellforge.desktop"));
        const QStringList entry = QString::fromUtf8(fileContents(path)).split(QLatin1Char('\n'));
        for (const char *line : {"Exec=cellforge %f", "Icon=cellforge", "Categories=Science;Engineering;",
                                 "MimeType=application/x-cellforge-document;application/x-cellforge-process-list;"})
            QVERIFY2(entry.contains(QLatin1String(line)), line);
        if (tool("desktop-file-validate").isEmpty() || tool("update-mime-database").isEmpty())
            QSKIP("desktop-file-validate or update-mime-database (desktop-file-utils, shared-mime-info) is missing.");
        ChildResult r = runChild(QStringLiteral("desktop-file-validate"), {path});
        // Warnings and hints count as faults too.
        QVERIFY2(r.exitCode == 0 && r.out.isEmpty() && r.err.isEmpty(), qPrintable(r.out + r.err));
        const QString mime = m_dir.filePath(QStringLiteral("share/mime"));
        QVERIFY(QDir().mkpath(mime + QStringLiteral("/packages")));
        QVERIFY(QFile::copy(sourcePath(QStringLiteral("packaging/cellforge-mime.xml")),
                            mime + QStringLiteral("/packages/cellforge.xml")));
        r = runChild(QStringLiteral("update-mime-database"), {mime});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(!r.err.contains(QLatin1String("rror")) && !r.err.contains(QLatin1String("nvalid")), qPrintable(r.err));
        const QStringList globs = QString::fromUtf8(fileContents(mime + QStringLiteral("/globs2"))).split('\n');
        const QStringList roots = QString::fromUtf8(fileContents(mime + QStringLiteral("/XMLnamespaces"))).split('\n');
        for (const QString &type :
             {QStringLiteral("document:*.cfw:Document"), QStringLiteral("process-list:*.plst:Process-List")}) {
            const QString name = QStringLiteral("application/x-cellforge-") + type.section(QLatin1Char(':'), 0, 0);
            QVERIFY(QFileInfo::exists(mime + QLatin1Char('/') + name + QStringLiteral(".xml")));
            QVERIFY(
                globs.contains(QStringLiteral("50:") + name + QLatin1Char(':') + type.section(QLatin1Char(':'), 1, 1)));
            QVERIFY(roots.contains(QLatin1Char(' ') + type.section(QLatin1Char(':'), 2) + QLatin1Char(' ') + name));
        }
    }

    void packageHasItsFieldsAndNoLintianError()
    {
        REQUIRE_PACKAGE();
        const ChildResult r = runChild(QStringLiteral("dpkg-deb"), {QStringLiteral("--field"), m_deb});
        QCOMPARE(r.exitCode, 0);
        const QStringList fields = r.out.split(QLatin1Char('\n'));
        for (const char *field : {"Package: cellforge", "Version: " CELLFORGE_VERSION, "Section: science"})
            QVERIFY2(fields.contains(QLatin1String(field)), field);
        // Computed from the executables' shared libraries, not written by hand.
        const QString depends = fields.filter(QRegularExpression(QStringLiteral("^Depends: "))).value(0);
        for (const char *library : {"libc6", "libqt5core5a", "libqt5gui5", "libqt5widgets5", "libglu1"})
            QVERIFY2(depends.contains(QLatin1String(library)), qPrintable(depends));
        if (tool("lintian").isEmpty())
            QSKIP("lintian is not installed.");
        const ChildResult lintian = runChild(QStringLiteral("lintian"), {QStringLiteral("--allow-root"), m_deb});
        const QStringList errors =
            lintian.out.split(QLatin1Char('\n')).filter(QRegularExpression(QStringLiteral("^E: ")));
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QLatin1Char('\n'))));
        QVERIFY2(lintian.exitCode == 0, qPrintable(lintian.err));
    }

    void installedTreeHoldsEverythingAndRuns()
    {
        REQUIRE_PACKAGE();
        QStringList expected{"usr/bin/cellforge",
                             "usr/bin/cellforge-batch",
                             "usr/share/applications/cellforge.desktop",
                             "usr/share/mime/packages/cellforge.xml",
                             "usr/share/icons/hicolor/scalable/apps/cellforge.svg",
                             "usr/share/man/man1/cellforge.1.gz",
                             "usr/share/man/man1/cellforge-batch.1.gz",
                             "usr/share/doc/cellforge/copyright",
                             "usr/share/doc/cellforge/changelog.gz",
                             "usr/share/cellforge/examples/README.md",
                             "usr/share/cellforge/examples/masks/README.md"};
        for (const int size : iconSizes)
            expected << QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/cellforge.png").arg(size);
        // Every example list, mask and layout of the repository is installed.
        for (const char *pattern : {"*.plst", "masks/*.png", "layouts/*.gds"}) {
            const QFileInfo info(sourcePath(QStringLiteral("examples/") + QLatin1String(pattern)));
            const QStringList names = info.dir().entryList({info.fileName()}, QDir::Files);
            QVERIFY(!names.isEmpty());
            for (const QString &name : names)
                expected << QStringLiteral("usr/share/cellforge/examples/") +
                                QString::fromLatin1(pattern).replace(info.fileName(), name);
        }
        for (const QString &path : expected)
            QVERIFY2(QFileInfo(QDir(m_root).filePath(path)).isFile(), qPrintable(path + " is missing"));
        // The installed programs run (their libraries are found) and tell their version without a display.
        for (const QString &name : {QStringLiteral("Cellforge"), QStringLiteral("cellforge-batch")}) {
            const ChildResult r = runChild(QDir(m_root).filePath(QStringLiteral("usr/bin/") + name.toLower()),
                                           {QStringLiteral("--version")}, environmentWithoutDisplay(), m_dir.path());
            QCOMPARE(r.exitCode, 0);
            QCOMPARE(r.out, name + QStringLiteral(" " CELLFORGE_VERSION "\n"));
            QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        }
    }

    // The Python module lies where Debian's python3 finds it and tells the project's version.
    void installedPythonModuleImports()
    {
#ifndef CELLFORGE_PYTHON
        QSKIP("The Python module is not built in this tree.");
#else
        REQUIRE_PACKAGE();
        const QString packages = QDir(m_root).filePath(QStringLiteral("usr/lib/python3/dist-packages"));
        const QStringList modules = QDir(packages).entryList({QStringLiteral("cellforge.*.so")}, QDir::Files);
        QCOMPARE(modules.size(), 1);
        QProcessEnvironment env = environmentWithoutDisplay();
        env.insert(QStringLiteral("PYTHONPATH"), packages);
        env.insert(QStringLiteral("HOME"), m_dir.path());
        const ChildResult r =
            runChild(QStringLiteral(CELLFORGE_PYTHON),
                     {QStringLiteral("-c"), QStringLiteral("import cellforge; print(cellforge.__version__)")}, env,
                     m_dir.path());
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QStringLiteral(CELLFORGE_VERSION "\n"));
#endif
    }

    void manPagesRender_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QStringList>("options");
        QTest::newRow("cellforge-batch") << "cellforge-batch.1.gz"
                                         << longOptions(Core::BatchRun::BatchCommand::usage());
        const ChildResult help =
            runChild(QStringLiteral(CELLFORGE_EXE), {QStringLiteral("--help")}, environmentWithoutDisplay());
        QTest::newRow("cellforge") << "cellforge.1.gz" << longOptions(help.out);
    }
    void manPagesRender()
    {
        REQUIRE_PACKAGE();
        if (tool("man").isEmpty())
            QSKIP("man (Debian package man-db) is not installed.");
        QFETCH(QString, page);
        QFETCH(QStringList, options);
        QVERIFY(options.contains(QStringLiteral("--help")) && options.contains(QStringLiteral("--version")));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        env.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
        env.insert(QStringLiteral("MANPAGER"), QStringLiteral("cat"));
        // man-db's sandbox cannot start in some containers; it guards nothing here.
        env.insert(QStringLiteral("MAN_DISABLE_SECCOMP"), QStringLiteral("1"));
        const ChildResult r = runChild(QStringLiteral("man"),
                                       {QStringLiteral("--warnings"), QStringLiteral("-l"),
                                        QDir(m_root).filePath(QStringLiteral("usr/share/man/man1/") + page)},
                                       env);
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        QVERIFY(r.out.contains(QStringLiteral("Cellforge " CELLFORGE_VERSION)));
        // Every option of the program's own help text is described.
        for (const QString &option : options)
            QVERIFY2(r.out.contains(option), qPrintable(option + QStringLiteral(" is not in ") + page));
    }
};

QTEST_GUILESS_MAIN(tst_Packaging)
#include "tst_packaging.moc"
