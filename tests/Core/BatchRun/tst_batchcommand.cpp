#include "Core/BatchRun/batchcommand.h"
#include "batchprocess.h"
#include "vtifile.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using Core::BatchRun::BatchCommand;

namespace {

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &text)
{
    QFile file(dir.filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
    return file.fileName();
}

const QByteArray substrateStep =
    "<Process-Data process-type=\"11\">"
    "<Parameter parameter-name=\"Material_Id\" parameter-type=\"uint\" parameter-data=\"1\"/>"
    "<Parameter parameter-name=\"Lower Left Front Corner\" parameter-type=\"Util::Vector3D\" parameter-data=\"0;0;0\"/>"
    "<Parameter parameter-name=\"Volume Size X\" parameter-type=\"uint\" parameter-data=\"8\"/>"
    "<Parameter parameter-name=\"Volume Size Y\" parameter-type=\"uint\" parameter-data=\"8\"/>"
    "<Parameter parameter-name=\"Volume Size Z\" parameter-type=\"uint\" parameter-data=\"8\"/>"
    "<Parameter parameter-name=\"SphericalSubstrate\" parameter-type=\"bool\" parameter-data=\"false\"/>"
    "<Parameter parameter-name=\"Substrate Size X\" parameter-type=\"uint\" parameter-data=\"8\"/>"
    "<Parameter parameter-name=\"Substrate Size Y\" parameter-type=\"uint\" parameter-data=\"8\"/>"
    "<Parameter parameter-name=\"Substrate Size Z\" parameter-type=\"uint\" parameter-data=\"3\"/>"
    "<Parameter parameter-name=\"Substrate Delta X\" parameter-type=\"uint\" parameter-data=\"0\"/>"
    "<Parameter parameter-name=\"Substrate Delta Y\" parameter-type=\"uint\" parameter-data=\"0\"/>"
    "<Parameter parameter-name=\"Substrate Delta Z\" parameter-type=\"uint\" parameter-data=\"0\"/>"
    "</Process-Data>\n";

/// Standard output that looks into the working folder whenever a line is written, that is while
/// the run goes on, and notes the undo and redo files it finds there.
class FolderProbe : public QIODevice {
public:
    QStringList seen;
    int writes = 0;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 length) override
    {
        ++writes;
        seen << QDir::current().entryList({QStringLiteral("undo*.temp"), QStringLiteral("redo*.temp")}, QDir::Files);
        return length;
    }
};

QByteArray list(const QByteArray &steps)
{
    return "<?xml version=\"1.0\"?>\n<Process-List version=\"1\">\n<Materials>\n<Material version=\"1\" name=\"Si\" "
           "material-id=\"1\" density=\"2329\" color=\"#FF7F7F7F\"/>\n</Materials>\n" +
           steps + "</Process-List>\n";
}

} // namespace

class tst_BatchCommand : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private slots:
    void argumentsAreParsed_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("threads");
        QTest::newRow("list only") << QStringList{"a.plst"} << true << "a.plst"
                                   << ""
                                   << "" << 0;
        QTest::newRow("everything") << QStringList{"--threads", "3", "a.plst", "--output", "o.cfw", "--input", "i.cfw"}
                                    << true << "a.plst"
                                    << "i.cfw"
                                    << "o.cfw" << 3;
        QTest::newRow("nothing") << QStringList{} << false << ""
                                 << ""
                                 << "" << 0;
        QTest::newRow("unknown option") << QStringList{"a.plst", "--fast"} << false << ""
                                        << ""
                                        << "" << 0;
        QTest::newRow("option without value") << QStringList{"a.plst", "--output"} << false << ""
                                              << ""
                                              << "" << 0;
        QTest::newRow("zero threads") << QStringList{"a.plst", "--threads", "0"} << false << ""
                                      << ""
                                      << "" << 0;
        QTest::newRow("threads not a number") << QStringList{"a.plst", "--threads", "many"} << false << ""
                                              << ""
                                              << "" << 0;
        QTest::newRow("two lists") << QStringList{"a.plst", "b.plst"} << false << ""
                                   << ""
                                   << "" << 0;
        QTest::newRow("output twice") << QStringList{"a.plst", "--output", "x", "--output", "y"} << false << ""
                                      << ""
                                      << "" << 0;
    }
    void argumentsAreParsed()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, ok);
        BatchCommand::Options options;
        QString error;
        QCOMPARE(BatchCommand::parse(arguments, options, &error), ok);
        QCOMPARE(error.isEmpty(), ok);
        if (!ok)
            return;
        QTEST(options.listFile, "list");
        QTEST(options.inputFile, "input");
        QTEST(options.outputFile, "output");
        QTEST(options.threads, "threads");
    }

    void exportOptionIsParsed()
    {
        BatchCommand::Options options;
        QString error;
        QVERIFY(BatchCommand::parse({"a.plst", "--export-vti", "out.vti"}, options, &error));
        QCOMPARE(options.vtiFile, QStringLiteral("out.vti"));
        QVERIFY(options.outputFile.isEmpty());
        QVERIFY(!BatchCommand::parse({"a.plst", "--export-vti"}, options, &error));
        QCOMPARE(error, QStringLiteral("Option --export-vti needs a value."));
        QVERIFY(!BatchCommand::parse({"a.plst", "--export-vti", "a.vti", "--export-vti", "b.vti"}, options, &error));
        QCOMPARE(error, QStringLiteral("Option --export-vti is given twice."));
        QVERIFY(BatchCommand::usage().contains(QLatin1String("--export-vti OUT.vti")));
    }

    void resultIsExportedForParaView()
    {
        const QString path = writeFile(m_dir, QStringLiteral("export.plst"), list(substrateStep));
        const QString vti = m_dir.filePath(QStringLiteral("result.vti"));
        const BatchResult r = runBatch({path, QStringLiteral("--export-vti"), vti});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        VtiFile file;
        QVERIFY2(file.read(vti), qPrintable(file.error));
        QVERIFY(file.array(QStringLiteral("material")));
        QVERIFY(!file.attribute(QStringLiteral("WholeExtent")).isEmpty());
    }

    void unwritableExportFailsBeforeTheRun_data()
    {
        QTest::addColumn<QString>("vti");
        QTest::addColumn<QString>("message");
        QTest::newRow("a folder") << m_dir.path() << "is a folder, not a file.";
        QTest::newRow("missing folder") << m_dir.filePath(QStringLiteral("no/such/out.vti"))
                                        << "The cell volume could not be exported to";
    }
    void unwritableExportFailsBeforeTheRun()
    {
        QFETCH(QString, vti);
        QFETCH(QString, message);
        const QString path = writeFile(m_dir, QStringLiteral("unwritable.plst"), list(substrateStep));
        const BatchResult r = runBatch({path, QStringLiteral("--export-vti"), vti});
        QCOMPARE(r.exitCode, 4);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(r.err.startsWith(QLatin1String("cellforge-batch: ")));
    }

    void badInvocationsExitNonZeroWithMessage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QString notList = writeFile(m_dir, QStringLiteral("notalist.plst"), "<Document/>");
        const QString malformed = writeFile(m_dir, QStringLiteral("malformed.plst"), list(substrateStep).left(300));
        const QString good = writeFile(m_dir, QStringLiteral("good.plst"), list(substrateStep));
        QTest::newRow("no arguments") << QStringList{} << 2 << "No process list given.";
        QTest::newRow("unknown option") << QStringList{good, "--bogus"} << 2 << "Unknown option \"--bogus\".";
        QTest::newRow("bad thread count") << QStringList{good, "--threads", "-4"} << 2 << "--threads needs";
        QTest::newRow("missing list") << QStringList{m_dir.filePath("absent.plst")} << 3 << "does not exist";
        QTest::newRow("list is a folder") << QStringList{m_dir.path()} << 3 << "does not exist";
        QTest::newRow("not a list") << QStringList{notList} << 3 << "has no \"Process-List\" element";
        QTest::newRow("malformed list") << QStringList{malformed} << 3 << "is not a well-formed process list";
        QTest::newRow("missing document")
            << QStringList{good, "--input", m_dir.filePath("absent.cfw")} << 3 << "does not exist";
    }
    void badInvocationsExitNonZeroWithMessage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const BatchResult r = runBatch(arguments);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(r.err.startsWith(QLatin1String("cellforge-batch: ")));
    }

    void versionIsShown_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("alone") << QStringList{"--version"};
        QTest::newRow("after a list") << QStringList{"a.plst", "--version"};
    }
    void versionIsShown()
    {
        QFETCH(QStringList, arguments);
        BatchCommand::Options options;
        QVERIFY(BatchCommand::parse(arguments, options, nullptr));
        QVERIFY(options.version);
        const BatchResult r = runBatch(arguments);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QStringLiteral("cellforge-batch " CELLFORGE_VERSION "\n"));
        QCOMPARE(r.err, QString());
        QVERIFY(BatchCommand::usage().contains(QLatin1String("--version")));
    }

    void helpIsShown()
    {
        const BatchResult r = runBatch({QStringLiteral("--help")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.startsWith(QLatin1String("Usage: cellforge-batch LIST.plst")));
    }

    void listFromNothingRunsEachStepWithALine()
    {
        const QString path = writeFile(m_dir, QStringLiteral("substrate.plst"), list(substrateStep + substrateStep));
        const BatchResult r = runBatch({path});
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY(QRegularExpression(QStringLiteral("^1/2  Create Substrate  \\d+ ms  No error, process was run "
                                                  "successfully\\.$"))
                    .match(lines[0])
                    .hasMatch());
        QVERIFY(lines[1].startsWith(QLatin1String("2/2  Create Substrate  ")));
        QVERIFY(r.err.isEmpty());
    }

    void numberThatDoesNotConvertRunsAsZeroWithAWarning()
    {
        const QString path = writeFile(
            m_dir, QStringLiteral("typo.plst"),
            list(substrateStep +
                 "<Process-Data process-type=\"16\">"
                 "<Parameter parameter-name=\"Film Thickness\" parameter-type=\"double\" parameter-data=\"thick\"/>"
                 "<Parameter parameter-name=\"Material_Id\" parameter-type=\"uint\" parameter-data=\"1\"/>"
                 "</Process-Data>\n"));
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        BatchCommand command(outStream, errStream);
        QCOMPARE(command.execute({path}), int(BatchCommand::Ok));
        QCOMPARE(err, QStringLiteral("cellforge-batch: warning: step 2 (Isotropic Deposition): \"Film Thickness\" is "
                                     "not a number (\"thick\"); 0 is used.\n"));
        const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[1].startsWith(QLatin1String("2/2  Isotropic Deposition  ")), qPrintable(lines[1]));
        QVERIFY(lines[1].endsWith(QLatin1String("No error, process was run successfully.")));
    }

    void runCreatesNoUndoFiles()
    {
        const QString path = writeFile(m_dir, QStringLiteral("two.plst"), list(substrateStep + substrateStep));
        QTemporaryDir working;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(working.path()));
        const auto restoreFolder = qScopeGuard([&] { QDir::setCurrent(previous); });
        FolderProbe probe;
        QVERIFY(probe.open(QIODevice::WriteOnly));
        QString errors;
        QTextStream out(&probe);
        QTextStream err(&errors);
        const int code = BatchCommand(out, err, false).execute({path});
        QCOMPARE(code, int(BatchCommand::Ok));
        QCOMPARE(probe.writes, 2); // one look per step line
        QVERIFY2(probe.seen.isEmpty(), qPrintable(probe.seen.join(QLatin1Char(' '))));
        QVERIFY(QDir(working.path()).entryList(QDir::Files).isEmpty());
    }

    void emptyListIsValid()
    {
        const QString path = writeFile(m_dir, QStringLiteral("empty.plst"), list(QByteArray()));
        const BatchResult r = runBatch({path});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.isEmpty());
    }

    void failingStepIsNamed_data()
    {
        QTest::addColumn<QByteArray>("steps");
        QTest::addColumn<QString>("message");
        QTest::newRow("no volume") << QByteArray("<Process-Data process-type=\"6\"/>\n" + substrateStep)
                                   << "Step 1 (Planarization) not run: No cell volume was selected and a cell volume "
                                      "was not created.";
        QTest::newRow("missing parameter") << QByteArray(substrateStep + "<Process-Data process-type=\"10\"/>\n")
                                           << "Step 2 (Save Image) failed: A required parameter was not found. Check "
                                              "input list.";
        QTest::newRow("unknown type") << QByteArray(substrateStep + "<Process-Data process-type=\"42\"/>\n")
                                      << "Step 2 (Unknown process) failed: Unknown process. Remove process from the "
                                         "list.";
        QTest::newRow("image without display")
            << QByteArray(substrateStep + "<Process-Data process-type=\"10\"><Parameter parameter-name=\"Filename\" "
                                          "parameter-type=\"QString\" parameter-data=\"shot.png\"/></Process-Data>\n")
            << "No OpenGL context could be made";
    }
    void failingStepIsNamed()
    {
        QFETCH(QByteArray, steps);
        QFETCH(QString, message);
        const QString path = writeFile(m_dir, QStringLiteral("failing.plst"), list(steps));
        const BatchResult r = runBatch({path});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
    }

    void unreachableDisplayGivesAMessageNotACrash()
    {
        const QString path = writeFile(
            m_dir, QStringLiteral("image.plst"),
            list(substrateStep + "<Process-Data process-type=\"10\"><Parameter parameter-name=\"Filename\" "
                                 "parameter-type=\"QString\" parameter-data=\"shot.png\"/></Process-Data>\n"));
        const BatchResult r = runBatch({path}, m_dir.path(), QStringLiteral(":97"));
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QLatin1String("Step 2 (Save Image) failed")), qPrintable(r.err));
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("shot.png"))));
    }

    void volumeTooLargeFailsTheStep()
    {
        QByteArray step = substrateStep;
        step.replace("\"Volume Size X\" parameter-type=\"uint\" parameter-data=\"8\"",
                     "\"Volume Size X\" parameter-type=\"uint\" parameter-data=\"4000000000\"");
        step.replace("\"Volume Size Y\" parameter-type=\"uint\" parameter-data=\"8\"",
                     "\"Volume Size Y\" parameter-type=\"uint\" parameter-data=\"4000000000\"");
        const QString path = writeFile(m_dir, QStringLiteral("huge.plst"), list(step));
        const BatchResult r = runBatch({path});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QLatin1String("Step 1 (Create Substrate) failed: Value for a required parameter is "
                                              "invalid.")),
                 qPrintable(r.err));
    }

    void materialsMissingFromTheListAreReported()
    {
        const QString path = writeFile(m_dir, QStringLiteral("nomaterials.plst"),
                                       "<Process-List version=\"1\">" + substrateStep + "</Process-List>");
        const BatchResult r = runBatch({path});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.contains(QLatin1String("Material 1 of step 1 (\"Material_Id\") is not among the list's "
                                              "materials; the step uses the \"Empty\" material.")),
                 qPrintable(r.err));
    }

    void emptyListRewritesTheDocumentUnchanged()
    {
        const QString list1 = writeFile(m_dir, QStringLiteral("make.plst"), list(substrateStep));
        const QString first = m_dir.filePath(QStringLiteral("first.cfw"));
        QCOMPARE(runBatch({list1, QStringLiteral("--output"), first}).exitCode, 0);
        const QString empty = writeFile(m_dir, QStringLiteral("nothing.plst"), list(QByteArray()));
        const QString second = m_dir.filePath(QStringLiteral("second.cfw"));
        const BatchResult r = runBatch({empty, QStringLiteral("--input"), first, QStringLiteral("--output"), second});
        QCOMPARE(r.exitCode, 0);
        QFile a(first);
        QFile b(second);
        QVERIFY(a.open(QIODevice::ReadOnly));
        QVERIFY(b.open(QIODevice::ReadOnly));
        QVERIFY(a.size() > 0);
        QCOMPARE(b.readAll(), a.readAll());
    }

    void unreadableDocumentsAndOutputsFail_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("not XML") << QByteArray("junk") << "out.cfw" << 3;
        QTest::newRow("not a document") << QByteArray("<Process-List/>") << "out.cfw" << 3;
        QTest::newRow("output folder missing") << QByteArray() << "no/such/folder/out.cfw" << 4;
    }
    void unreadableDocumentsAndOutputsFail()
    {
        QFETCH(QByteArray, document);
        QFETCH(QString, output);
        QFETCH(int, exitCode);
        QStringList arguments{writeFile(m_dir, QStringLiteral("s.plst"), list(substrateStep)),
                              QStringLiteral("--output"), m_dir.filePath(output)};
        if (!document.isNull())
            arguments << QStringLiteral("--input") << writeFile(m_dir, QStringLiteral("in.cfw"), document);
        const BatchResult r = runBatch(arguments);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY(r.err.startsWith(QLatin1String("cellforge-batch: ")));
        QVERIFY(!QFile::exists(m_dir.filePath(output)));
    }

    // A device, pipe or folder is never replaced by a regular file; the run is refused before it starts.
    void outputThatIsNotARegularFileIsRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("pipe") << "pipe";
        QTest::newRow("device") << "device";
        QTest::newRow("link to a device") << "link";
        QTest::newRow("folder") << "folder";
    }
    void outputThatIsNotARegularFileIsRefused()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QByteArray node = QFile::encodeName(dir.filePath(QStringLiteral("target")));
        mode_t type = S_IFIFO;
        if (kind == QLatin1String("pipe")) {
            QCOMPARE(::mkfifo(node.constData(), 0600), 0);
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("target")));
            type = S_IFDIR;
        } else {
            // A private copy of /dev/null's device number: the real one is never put at risk.
            const QByteArray device = kind == QLatin1String("link") ? node + ".dev" : node;
            if (::mknod(device.constData(), S_IFCHR | 0600, makedev(1, 3)) != 0)
                QSKIP("Device nodes can be made only with root rights.");
            if (kind == QLatin1String("link"))
                QCOMPARE(::symlink(device.constData(), node.constData()), 0);
            type = S_IFCHR;
        }
        const BatchResult r = runBatch({writeFile(m_dir, QStringLiteral("s.plst"), list(substrateStep)),
                                        QStringLiteral("--output"), QString::fromLocal8Bit(node)});
        QCOMPARE(r.exitCode, 4);
        QVERIFY2(r.err.contains(QStringLiteral("is not a regular file")) || r.err.contains(QStringLiteral("folder")),
                 qPrintable(r.err));
        QVERIFY(r.out.isEmpty()); // refused before the first step ran
        struct stat status;
        QCOMPARE(::stat(node.constData(), &status), 0);
        QCOMPARE(status.st_mode & S_IFMT, type);
    }

    // The system's reason reaches the user, not "Unknown error".
    void fullDiskIsReportedInTheSystemsWords()
    {
        QTemporaryDir dir;
        const QString mountPoint = dir.filePath(QStringLiteral("small"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("small")));
        if (QProcess::execute(QStringLiteral("mount"),
                              {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                               QStringLiteral("size=4k"), QStringLiteral("tmpfs"), mountPoint}) != 0)
            QSKIP("A small file system can be mounted only with root rights.");
        // About 6 KB of document: more than the file system holds, less than one write buffer, so
        // the disk fills up only when the file is completed.
        QByteArray step = substrateStep;
        step.replace("parameter-data=\"8\"", "parameter-data=\"12\"");
        const QString output = mountPoint + QStringLiteral("/out.cfw");
        const BatchResult r =
            runBatch({writeFile(m_dir, QStringLiteral("s.plst"), list(step)), QStringLiteral("--output"), output});
        QProcess::execute(QStringLiteral("umount"), {mountPoint});
        QCOMPARE(r.exitCode, 4);
        QVERIFY2(r.err.contains(QString::fromLocal8Bit(std::strerror(ENOSPC))), qPrintable(r.err));
        QVERIFY(!r.err.contains(QStringLiteral("Unknown error")));
    }

    void oldListIsUpgradedWithWarning()
    {
        QByteArray text = list(substrateStep);
        text.replace("version=\"1\">\n<Materials>", "version=\"0\">\n<Materials>");
        text.replace("\"Material_Id\"", "\"MaterialId\"");
        const QString path = writeFile(m_dir, QStringLiteral("old.plst"), text);
        const BatchResult r = runBatch({path});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err.count(QStringLiteral("The process list you loaded is in an old format.")), 1);
    }
};

QTEST_GUILESS_MAIN(tst_BatchCommand)
#include "tst_batchcommand.moc"
