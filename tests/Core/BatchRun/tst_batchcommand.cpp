// cellforge-batch: its options, its messages and exit codes, its step lines and the documents it
// reads and writes.
#include "Core/BatchRun/batchcommand.h"
#include "Core/BatchRun/stopsignals.h"
#include "Core/Operations/Document/opendocumentoperation.h"
#include "Core/workspace.h"
#include "Model/Surfaces/shownsurfaces.h"
#include "Util/runcontrol.h"
#include "batchlists.h"
#include "batchprocess.h"
#include "catalogtesthome.h"
#include "childprocess.h"
#include "filecontents.h"
#include "fulldisk.h"
#include "volumetesthelpers.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <sys/resource.h>
#include <sys/types.h>

using Core::BatchRun::BatchCommand;
using Model::Surfaces::VolumeSurface;

#if defined(__SANITIZE_ADDRESS__)
#define CELLFORGE_ADDRESS_SANITIZER
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CELLFORGE_ADDRESS_SANITIZER
#endif
#endif

namespace {

/// The options that were given, as words "name=value".
QString given(const BatchCommand::Options &o)
{
    QStringList words;
    auto add = [&words](const char *name, const QString &value) {
        if (!value.isEmpty())
            words << QLatin1String(name) + QLatin1Char('=') + value;
    };
    add("list", o.listFile);
    add("input", o.inputFile);
    add("output", o.outputFile);
    add("threads", o.threads ? QString::number(o.threads) : QString());
    add("surface", o.surfaceFile);
    add("algorithm", o.surfaceAlgorithm ? QString::number(uint32_t(*o.surfaceAlgorithm)) : QString());
    add("seed", o.seed ? QString::number(*o.seed) : QString());
    add("field", o.exportField);
    add("csv", o.exportFile);
    add("netlist", o.netlistFile);
    add("cell", o.cellSizeUm > 0 ? QString::number(o.cellSizeUm) : QString());
    add("images", o.imagesFolder);
    add("overwrite", o.overwriteImages ? QStringLiteral("yes") : QString());
    return words.join(QLatin1Char(' '));
}

/// Standard output that keeps the text and looks into the working folder whenever a line is
/// written, that is while the run goes on, noting the undo and redo files it finds there.
class FolderProbe : public QIODevice {
public:
    QStringList seen;
    QByteArray text;
    int writes = 0;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 length) override
    {
        ++writes;
        text.append(data, int(length));
        seen << QDir::current().entryList({QStringLiteral("undo*.temp"), QStringLiteral("redo*.temp")}, QDir::Files);
        return length;
    }
};

QByteArray slab() { return stepXml(boxSubstrate(8, 8, 8, 3)); }
const QByteArray saveImage = "<Process-Data process-type=\"10\"><Parameter parameter-name=\"Filename\" "
                             "parameter-type=\"QString\" parameter-data=\"shot.png\"/></Process-Data>\n";

} // namespace

class tst_BatchCommand : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

private slots:
    void optionsAreParsed_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("parsed");
        QTest::addColumn<QString>("error");
        auto row = [](const char *name, const QStringList &arguments, const char *parsed, const char *error = "") {
            QTest::newRow(name) << arguments << QString(parsed) << QString(error);
        };
        row("documents and threads", {"--threads", "3", "a.plst", "--output", "o.cfw", "--input", "i.cfw"},
            "list=a.plst input=i.cfw output=o.cfw threads=3");
        row("output without value", {"a.plst", "--output"}, "", "Option --output needs a value.");
        row("output twice", {"a.plst", "--output", "x", "--output", "y"}, "", "Option --output is given twice.");
        row("zero threads", {"a.plst", "--threads", "0"}, "",
            "--threads needs a whole number of at least 1, not \"0\".");
        row("two lists", {"a.plst", "b.plst"}, "",
            "Only one process list can be run at a time (got \"a.plst\" and \"b.plst\").");
        row("netlist and cell size", {"a.plst", "--cell-size-um", "1.5", "--netlist", "o.cir"},
            "list=a.plst netlist=o.cir cell=1.5");
        row("cell size without netlist", {"a.plst", "--cell-size-um", "1"}, "",
            "--cell-size-um only applies to a netlist, results or cross-sections: give --netlist, --results or "
            "--cross-section as well.");
        row("cell size zero", {"a.plst", "--netlist", "o", "--cell-size-um", "0"}, "",
            "--cell-size-um needs a length in micrometres from 0.0001 to 1e+06, not \"0\".");
        // Cells whose netlist values would be 0, inf or nan.
        row("cell size 1e300", {"a.plst", "--netlist", "o", "--cell-size-um", "1e300"}, "",
            "--cell-size-um needs a length in micrometres from 0.0001 to 1e+06, not \"1e300\".");
        row("cell size 1e-300", {"a.plst", "--netlist", "o", "--cell-size-um", "1e-300"}, "",
            "--cell-size-um needs a length in micrometres from 0.0001 to 1e+06, not \"1e-300\".");
        row("largest cell size", {"a.plst", "--netlist", "o", "--cell-size-um", "1e6"},
            "list=a.plst netlist=o cell=1e+06");
        row("ply with octree", {"a.plst", "--surface", "octree", "--export-surface", "o.PLY"},
            "list=a.plst surface=o.PLY algorithm=2");
        row("surface of another format", {"a.plst", "--export-surface", "o.obj"}, "",
            "--export-surface needs a file name ending in .stl or .ply, not \"o.obj\".");
        row("unknown surface", {"a.plst", "--export-surface", "o.stl", "--surface", "field"}, "",
            "--surface takes cubic, marching-cubes, octree, not \"field\".");
        row("surface alone", {"a.plst", "--surface", "octree"}, "",
            "--surface chooses the surface of --export-surface, which is missing.");
        row("largest seed", {"l.plst", "--seed", "18446744073709551615"}, "list=l.plst seed=18446744073709551615");
        row("seed not a number", {"l.plst", "--seed", "-3"}, "",
            "--seed needs a whole number from 0 to 18446744073709551615, not \"-3\".");
        row("field", {"l.plst", "--export-csv", "Random Walk Particle Count Type N", "o.csv"},
            "list=l.plst field=Random Walk Particle Count Type N csv=o.csv");
        row("field without file", {"l.plst", "--export-csv", "X"}, "",
            "Option --export-csv needs a field name and a file name.");
        row("images folder", {"l.plst", "--overwrite-images", "--images", "shots"},
            "list=l.plst images=shots overwrite=yes");
        row("images without folder", {"l.plst", "--images"}, "", "Option --images needs a folder.");
    }
    void optionsAreParsed()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        BatchCommand::Options options;
        QString message;
        QCOMPARE(BatchCommand::parse(arguments, options, &message), error.isEmpty());
        QCOMPARE(message, error);
        if (error.isEmpty())
            QTEST(given(options), "parsed");
    }

    void helpAndVersionAreShown()
    {
        BatchResult r = runBatch({QStringLiteral("a.plst"), QStringLiteral("--version")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QStringLiteral("cellforge-batch " CELLFORGE_VERSION "\n"));
        r = runBatch({QStringLiteral("--help")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.startsWith(QLatin1String("Usage: cellforge-batch LIST.plst")));
        QCOMPARE(r.err, QString());
    }

    // Bad invocations and unreadable input (exit codes 2 and 3), warnings (0) and failing steps (1).
    void problemsAreReported_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("display");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QStringList output{QStringLiteral("--output"), m_dir.filePath(QStringLiteral("never.cfw"))};
        int files = 0;
        auto list = [&](const QByteArray &text) {
            return QStringList{writeFile(m_dir, QStringLiteral("list%1.plst").arg(++files), text)} + output;
        };
        const QString good = list(listXml(slab()))[0];
        auto document = [&](const QByteArray &text) {
            return QStringList{good, QStringLiteral("--input"),
                               writeFile(m_dir, QStringLiteral("document%1.cfw").arg(++files), text)} +
                   output;
        };
        auto row = [](const char *name, const QStringList &arguments, int exitCode, const QString &message,
                      const char *display = "") {
            QTest::newRow(name) << arguments << QString(display) << exitCode << message;
        };
        row("no arguments", {}, 2, "No process list given.");
        row("unknown option", QStringList{good, "--bogus"} + output, 2, "Unknown option \"--bogus\".");
        row("missing list", QStringList{m_dir.filePath("absent.plst")} + output, 3, "does not exist");
        row("not a list", list("<Document/>"), 3, "has no \"Process-List\" element");
        row("malformed list", list(listXml(slab()).left(300)), 3, "is not a well-formed process list");
        row("missing document", QStringList{good, "--input", m_dir.filePath("absent.cfw")} + output, 3,
            "does not exist");
        row("document not XML", document("junk"), 3, "is not a readable Cellforge document");

        QByteArray old = listXml(slab());
        old.replace("version=\"1\">\n<Materials>", "version=\"0\">\n<Materials>")
            .replace("\"Material_Id\"", "\"MaterialId\"");
        row("old list", list(old), 0, "cellforge-batch: warning: The process list you loaded is in an old format.");

        row("no volume", list(listXml("<Process-Data process-type=\"6\"/>\n" + slab())), 1,
            "Step 1 (Planarization) not run: No cell volume was selected and a cell volume was not created.");
        row("missing parameter", list(listXml(slab() + "<Process-Data process-type=\"10\"/>\n")), 1,
            "Step 2 (Save Image) failed: A required parameter was not found. Check input list.");
        row("unknown type", list(listXml(slab() + "<Process-Data process-type=\"42\"/>\n")), 1,
            "Step 2 (Unknown process) failed: Unknown process. Remove process from the list.");
        // The first code after the last process names none.
        row("unused type", list(listXml(slab() + "<Process-Data process-type=\"24\"/>\n")), 1,
            "Step 2 (Unknown process) failed: Unknown process. Remove process from the list.");
        row("image without display", list(listXml(slab() + saveImage)), 1, "No OpenGL context could be made");
        row("image on a display that cannot be reached", list(listXml(slab() + saveImage)), 1,
            "Step 2 (Save Image) failed", ":97");
        // 1.28e20 cells of 3 bytes, with 2 more for an engine's work.
        row("volume too large", list(listXml(stepXml(boxSubstrate(4000000000u, 4000000000u, 8, 3)))), 1,
            "Step 1 (Create Substrate) failed: Not enough memory to run this process on the cell volume. (Cannot "
            "create a cell volume of 4000000000 x 4000000000 x 8 cells: it is too large for the memory: it needs "
            "6.4e+20 bytes (596046447753.9 GiB), but only ");
        // A number that no step takes stops the run before it begins, as a bad argument does.
        const QByteArray vacuum = stepXml(batchStep(Core::BatchRun::SiOxidation, {{"OxidationTimeSet", true},
                                                                                  {"Oxidation Time", 1.0},
                                                                                  {"Oxidation Temperature", 1323.0},
                                                                                  {"Oxidation Pressure", -1.0},
                                                                                  {"Micron Conversion", 40.0}}));
        row("negative pressure", list(listXml(slab() + vacuum)), 2,
            "cellforge-batch: Step 2 (Si Oxidation): \"Oxidation Pressure\" of -1 is out of range: it must be above 0 "
            "and up to 1.79769e+308 atm.\ncellforge-batch: No step was run.");
        const QByteArray deep =
            stepXml(batchStep(Core::BatchRun::Doping, {{"Doped Material_Id", 3u}, {"Doping Depth", 0.5f}}))
                .replace("parameter-data=\"0.5\"", "parameter-data=\"1e308\"");
        row("float of 1e308", list(listXml(slab() + deep)), 2,
            "Step 2 (Doping): \"Doping Depth\" of 1e308 is out of range: it must be from 0 to 3.40282e+38 units.");
        // A wet etch in a bath: its values must be given, and within the data's range.
        const QList<QPair<const char *, QVariant>> bath{
            {"Etchant", QStringLiteral("KOH")}, {"Temperature", 70.0}, {"Etch Time", 5.0}, {"Cell Size", 1.0}};
        row("bath without concentration",
            list(listXml(slab() + stepXml(batchStep(Core::BatchRun::SiWetEtching, bath)))), 2,
            "Step 2 (Si wet etching): \"Concentration\" is missing: with an \"Etchant\" it must be given, from 10 "
            "to 40 wt %.\ncellforge-batch: No step was run.");
        auto strong = bath;
        strong.append({"Concentration", 50.0});
        auto wearing = bath;
        wearing.append({"Concentration", 30.0});
        wearing.append({"Oxide Etch Rate", -2.0});
        row("bath wearing oxide at a negative rate",
            list(listXml(slab() + stepXml(batchStep(Core::BatchRun::SiWetEtching, wearing)))), 2,
            "Step 2 (Si wet etching): \"Oxide Etch Rate\" of -2 is out of range: it must be from 0 to 1000 "
            "nm/min.\ncellforge-batch: No step was run.");
        // Line-of-sight steps name the value and its range.
        const QByteArray sticky = stepXml(batchStep(
            Core::BatchRun::LineOfSightDeposition,
            {{"Material_Id", 2u}, {"Film Thickness", 2.0}, {"Sticking Coefficient", 0.0}, {"Source Exponent", 1.0}}));
        row("sticking coefficient 0", list(listXml(slab() + sticky)), 2,
            "Step 2 (Line-of-Sight Deposition): \"Sticking Coefficient\" of 0 is out of range: it must be above 0 and "
            "up to 1.\ncellforge-batch: No step was run.");
        const QByteArray broad = stepXml(batchStep(
            Core::BatchRun::LineOfSightEtching,
            {{"Material_Id", 1u}, {"Etch Depth", 2.0}, {"Reaction Probability", 0.5}, {"Source Exponent", 0.5}}));
        row("source exponent below 1", list(listXml(slab() + broad)), 2,
            "Step 2 (Line-of-Sight Etching): \"Source Exponent\" of 0.5 is out of range: it must be from 1 to "
            "10000.");
        const QList<QPair<const char *, QVariant>> bosch{
            {"Cycles", 2u}, {"Etch Per Cycle", 1.5}, {"Passivation Thickness", 1.0}, {"Passivation Material_Id", 18u}};
        auto boschWith = [&bosch, &list](const char *name, const QVariant &value) {
            auto values = bosch;
            values.erase(std::remove_if(values.begin(), values.end(),
                                        [name](const auto &v) { return qstrcmp(v.first, name) == 0; }),
                         values.end());
            values.append({name, value});
            return list(listXml(slab() + stepXml(batchStep(Core::BatchRun::BoschEtching, values))));
        };
        row("Bosch etching of no cycles", boschWith("Cycles", 0u), 2,
            "Step 2 (Bosch Etching): \"Cycles\" of 0 is out of range: it must be from 1 to 10000.");
        row("Bosch etching by a negative depth", boschWith("Etch Per Cycle", -1.0), 2,
            "Step 2 (Bosch Etching): \"Etch Per Cycle\" of -1 is out of range: it must be from 0 to 10000 cells.");
        row("Bosch etching at probability 2", boschWith("Reaction Probability", 2.0), 2,
            "Step 2 (Bosch Etching): \"Reaction Probability\" of 2 is out of range: it must be above 0 and up to 1.");
        row("Bosch etching under a film of the etched material", boschWith("Passivation Material_Id", 1u), 2,
            "Step 2 (Bosch Etching): Passivation Material must differ from the etched Material.\ncellforge-batch: No "
            "step was run.");
        row("bath beyond the data", list(listXml(slab() + stepXml(batchStep(Core::BatchRun::SiWetEtching, strong)))), 2,
            "Step 2 (Si wet etching): \"Concentration\" of 50 is out of range: it must be from 10 to 40 wt %.");
    }
    void problemsAreReported()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, display);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const QString never = m_dir.filePath(QStringLiteral("never.cfw"));
        QFile::remove(never);
        const BatchResult r = runBatch(arguments, m_dir.path(), display);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.startsWith(QLatin1String("cellforge-batch: ")) && r.err.count(message) == 1, qPrintable(r.err));
        if (exitCode == 0)
            QVERIFY(r.out.endsWith(QLatin1String("No error, process was run successfully.\n")));
        if (exitCode > 1)
            QVERIFY(r.out.isEmpty());
        // Nothing is written after a problem.
        QCOMPARE(QFile::exists(never), exitCode == 0);
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("shot.png"))));
    }

    // Under an address-space limit a substrate that the physical memory would let through is refused up
    // front, with the bytes it needs and those the limit leaves.
    void substrateBeyondTheAddressSpaceLimitIsRefusedWithItsSize()
    {
#ifdef CELLFORGE_ADDRESS_SANITIZER
        QSKIP("AddressSanitizer reserves terabytes of address space: no program of it starts under ulimit -v.");
#endif
        // 1000 x 1000 x 400 cells of 3 bytes, with 2 more for an engine's work, under a limit of 1 GiB.
        const QString list =
            writeFile(m_dir, QStringLiteral("large.plst"), listXml(stepXml(boxSubstrate(1000, 1000, 400, 1))));
        const ChildResult r = runChild(QStringLiteral("/bin/sh"),
                                       {QStringLiteral("-c"), QStringLiteral("ulimit -v 1048576 && exec \"$0\" \"$@\""),
                                        QStringLiteral(CELLFORGE_BATCH), list},
                                       environmentWithoutDisplay());
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(
            r.err.contains(QStringLiteral("Step 1 (Create Substrate) failed: Not enough memory to run this process "
                                          "on the cell volume. (Cannot create a cell volume of 1000 x 1000 x 400 "
                                          "cells: it is too large for the memory: it needs 2000000000 bytes (1.9 "
                                          "GiB), but only ")),
            qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral(" are available (what is left under the program's address-space limit, "
                                               "ulimit -v).)")),
                 qPrintable(r.err));
    }

    // A received list names its images inside one folder; what would write elsewhere, or over a
    // file, is refused before the first step, with the step named, and nothing is written.
    void imageNamesAreCheckedBeforeTheRun_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QString elsewhere = m_dir.filePath(QStringLiteral("elsewhere"));
        const QString holiday = QDir::cleanPath(m_dir.filePath(QStringLiteral("../holiday.png")));
        auto row = [](const char *tag, const QString &name, const QStringList &options, int exitCode,
                      const QString &message) { QTest::newRow(tag) << name << options << exitCode << message; };
        row("absolute path", holiday, {}, 4,
            QStringLiteral("Step 2 (Save Image): \"%1\" is an absolute path; a process list may only name files "
                           "in the images folder \"%2\".")
                .arg(holiday, m_dir.path()));
        row("out of the folder", "../holiday.png", {}, 4,
            QStringLiteral("Step 2 (Save Image): \"../holiday.png\" leads out of the images folder"));
        row("existing file", "existing.png", {}, 4,
            QStringLiteral("Step 2 (Save Image): \"existing.png\" would replace the existing file \"%1\".\n"
                           "cellforge-batch: Give --overwrite-images to replace existing images.")
                .arg(QDir(m_dir.path()).canonicalPath() + QStringLiteral("/existing.png")));
        row("missing images folder", "shot.png", {"--images", elsewhere}, 4,
            QStringLiteral("The images folder \"%1\" does not exist.").arg(elsewhere));
        // Let through: the step runs and fails only for want of a display.
        row("existing file with leave", "existing.png", {"--overwrite-images"}, 1, "No OpenGL context could be made");
        row("the folder of --images", "existing.png", {"--images", m_dir.filePath(QStringLiteral("shots"))}, 1,
            "No OpenGL context could be made");
    }
    void imageNamesAreCheckedBeforeTheRun()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, options);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("shots")));
        const QString existing = writeFile(m_dir, QStringLiteral("existing.png"), "keep");
        const QString list =
            writeFile(m_dir, QStringLiteral("images.plst"),
                      listXml(slab() + stepXml(batchStep(Core::BatchRun::SaveImage, {{"Filename", name}}))));
        const QString output = m_dir.filePath(QStringLiteral("never.cfw"));
        const BatchResult r = runBatch(QStringList{list, QStringLiteral("--output"), output} + options, m_dir.path());
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.count(message) == 1, qPrintable(r.err));
        if (exitCode == 4)
            QCOMPARE(r.out, QString()); // no step ran
        QCOMPARE(readFile(existing), QByteArray("keep"));
        QVERIFY(!QFile::exists(output));
        QVERIFY(!QFile::exists(QDir::cleanPath(m_dir.filePath(QStringLiteral("../holiday.png")))));
    }

    void eachStepGetsALineAndNoUndoFilesAreMade()
    {
        const QString path = writeFile(m_dir, QStringLiteral("two.plst"), listXml(slab() + slab()));
        QTemporaryDir working;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(working.path()));
        const auto restoreFolder = qScopeGuard([&] { QDir::setCurrent(previous); });
        FolderProbe probe;
        QVERIFY(probe.open(QIODevice::WriteOnly));
        QString errors;
        QTextStream out(&probe);
        QTextStream err(&errors);
        QCOMPARE(BatchCommand(out, err, false).execute({path}), int(BatchCommand::Ok));
        QCOMPARE(errors, QString());
        const QStringList lines = QString::fromUtf8(probe.text).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].startsWith(QLatin1String("1/2  Create Substrate  ")));
        // The second 8-cell substrate lands beside the first: (8 + 10) cells along x.
        QVERIFY2(lines[1].endsWith(QLatin1String(" ms  No error, process was run successfully. (placed beside the "
                                                 "volumes already there, lower left front corner at (18, 0, 0))")),
                 qPrintable(lines[1]));
        QCOMPARE(probe.writes, 2); // one look per step line
        QVERIFY2(probe.seen.isEmpty(), qPrintable(probe.seen.join(QLatin1Char(' '))));
        QVERIFY(QDir(working.path()).entryList(QDir::Files).isEmpty());
    }

    // --seed fixes the draws of line-of-sight steps as of the random walk; a step's own "Random
    // Seed" fixes them whatever the run's seed.
    void lineOfSightFollowsTheSeed()
    {
        auto step = [](std::optional<uint> seed) {
            QList<QPair<const char *, QVariant>> values{
                {"Material_Id", 1u}, {"Film Thickness", 2.5}, {"Sticking Coefficient", 0.3}, {"Source Exponent", 1.0}};
            if (seed)
                values.append({"Random Seed", *seed});
            return stepXml(batchStep(Core::BatchRun::LineOfSightDeposition, values));
        };
        // A block 4 cells wide on the floor of the volume: on a flat open surface every column gets
        // the same flux whatever the draws, beside the block's walls the draws tell.
        Core::Processes::ProcessStep block = boxSubstrate(8, 8, 8, 3);
        block.setParameter(QStringLiteral("Substrate Size X"), 4u, false);
        block.setParameter(QStringLiteral("Substrate Delta X"), 2u, false);
        const QByteArray substrate = stepXml(block);
        auto run = [&](std::optional<uint> own, const char *seed) {
            static int runs = 0;
            const QString list =
                writeFile(m_dir, QStringLiteral("los%1.plst").arg(++runs), listXml(substrate + step(own)));
            const QString output = m_dir.filePath(QStringLiteral("los%1.cfw").arg(runs));
            QString text;
            QTextStream out(&text);
            QTextStream err(&text);
            const int code =
                BatchCommand(out, err, false)
                    .execute({list, QStringLiteral("--seed"), QLatin1String(seed), QStringLiteral("--output"), output});
            if (code != int(BatchCommand::Ok))
                qWarning() << text;
            return code == int(BatchCommand::Ok) ? cellStates(*documentVolume(output)) : std::vector<uint32_t>();
        };
        const std::vector<uint32_t> first = run(std::nullopt, "3");
        // 4 x 8 x 3 cells of the block, and about 160 more.
        QVERIFY(std::count(first.begin(), first.end(), 1u) > 4 * 8 * 3 + 100);
        QCOMPARE(run(std::nullopt, "3"), first);
        QVERIFY(run(std::nullopt, "4") != first);
        QCOMPARE(run(9u, "3"), run(9u, "4"));
    }

    // Reading a document for the command line must not build the display surface (for a large
    // checkerboard that took gigabytes); a window still gets it at once. An empty list rewrites the
    // document unchanged.
    void onlyAWindowBuildsTheSurfacesOfADocument()
    {
        // 4 x 4 x 4 silicon: 96 outer faces.
        const QString block = volumeDocument(
            m_dir, QStringLiteral("block.cfw"),
            std::make_shared<Model::Automaton::TotalVolume>(4, 4, 4, 1.0f, 1.0f, 1.0f, Util::Vector3D(), 1u));
        const uint64_t before = VolumeSurface::generationCount();
        const QString list = writeFile(m_dir, QStringLiteral("empty.plst"), listXml(QByteArray()));
        const QString copy = m_dir.filePath(QStringLiteral("copy.cfw"));
        QString out;
        QString error;
        QTextStream outStream(&out);
        QTextStream errStream(&error);
        QCOMPARE(BatchCommand(outStream, errStream, false)
                     .execute({list, QStringLiteral("--input"), block, QStringLiteral("--output"), copy}),
                 int(BatchCommand::Ok));
        QCOMPARE(VolumeSurface::generationCount(), before);
        QCOMPARE(out + error, QString());
        QVERIFY(QFileInfo(copy).size() > 0);
        QCOMPARE(readFile(copy), readFile(block));

        Core::Workspace window;
        window.setShownSurfaces(std::make_shared<Model::Surfaces::ShownSurfaces>());
        QVERIFY(Core::Operations::OpenDocumentOperation::loadFile(window, block, {}).ok);
        auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(window.document().allObjects().value(0));
        QVERIFY(volume);
        QCOMPARE(window.shownSurfaces()->of(volume)->opaqueFaceCount(), size_t(96));
    }

    // SIGINT or SIGTERM while a long step runs: the test waits for the child's own "started" line
    // before it sends the signal, so nothing depends on how fast it runs.
    void signalDuringALongStepWritesNothingAndExits130_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<int>("count");
        QTest::newRow("one SIGINT: stop at the next boundary") << int(SIGINT) << 1;
        QTest::newRow("one SIGTERM") << int(SIGTERM) << 1;
        QTest::newRow("two SIGINTs: quit at once") << int(SIGINT) << 2;
    }
    void signalDuringALongStepWritesNothingAndExits130()
    {
        QFETCH(int, signalNumber);
        QFETCH(int, count);
        QTemporaryDir dir;
        // Three long depositions: the signal comes as the first of them starts.
        const QByteArray deposition =
            stepXml(batchStep(Core::BatchRun::IsotropicDeposition, {{"Material_Id", 3u}, {"Film Thickness", 60.0}}));
        const QString list =
            writeFile(dir, QStringLiteral("long.plst"),
                      listXml(stepXml(boxSubstrate(180, 180, 180, 60)) + deposition + deposition + deposition));
        const QByteArray existing = "an existing document that must survive\n";
        const QString output = writeFile(dir, QStringLiteral("out.cfw"), existing);

        QProcess process;
        process.setProcessEnvironment(environmentWithoutDisplay());
        process.start(QStringLiteral(CELLFORGE_BATCH),
                      {list, QStringLiteral("--output"), output, QStringLiteral("--verbose")});
        QVERIFY(process.waitForStarted());
        process.setReadChannel(QProcess::StandardError);
        QByteArray err;
        while (!err.contains("step 2/4 (Isotropic Deposition) started")) {
            if (!process.canReadLine() && !process.waitForReadyRead(120000))
                break;
            while (process.canReadLine())
                err += process.readLine();
        }
        QVERIFY2(err.contains("step 2/4 (Isotropic Deposition) started"), err.constData());
        for (int i = 0; i < count; ++i)
            QCOMPARE(::kill(pid_t(process.processId()), signalNumber), 0);
        QVERIFY(process.waitForFinished(120000));
        err += process.readAllStandardError();

        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 130);
        QCOMPARE(readFile(output), existing);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2); // no half-written file
        if (count == 1) {
            QVERIFY2(err.contains("cellforge-batch: Stopped"), err.constData());
            QVERIFY2(err.contains("of 4 steps ran."), err.constData());
            QVERIFY2(err.contains("Nothing was written to"), err.constData());
        }
    }

    // The system's reason reaches the user, not "Unknown error", and the earlier document stays whole.
    void fullDiskIsReportedInTheSystemsWords_data()
    {
        QTest::addColumn<uint>("size");
        QTest::newRow("some 6 KB: the disk fills up only as the file is completed") << 12u;
        QTest::newRow("some 200 KB: the disk fills up on the way") << 40u;
    }
    void fullDiskIsReportedInTheSystemsWords()
    {
        QFETCH(uint, size);
        const QString list =
            writeFile(m_dir, QStringLiteral("s.plst"), listXml(stepXml(boxSubstrate(size, size, size, size / 4))));
        FullDisk disk;
        const QString output = disk.filePath(QStringLiteral("out.cfw"));
        QVERIFY(writeFileContents(output, "an earlier document"));
        BatchResult r;
        {
            const auto limit = disk.whileWriting();
            r = runBatch({list, QStringLiteral("--output"), output});
        }
        QCOMPARE(r.exitCode, 4);
        QVERIFY2(r.err.contains(
                     QStringLiteral("The document could not be saved to \"%1\": %2\n").arg(output, disk.reason())),
                 qPrintable(r.err));
        QCOMPARE(readFile(output), QByteArray("an earlier document"));
        QCOMPARE(disk.entries(), QStringList{QStringLiteral("out.cfw")});
    }

    // SIGINT just as an output is about to be written (the command's observer raises it, so the moment is exact):
    // before the first output is complete nothing is written; later the output being written is completed, no
    // further one is begun, and the written ones are named.
    void signalWhileTheOutputsAreWritten_data()
    {
        QTest::addColumn<int>("at"); // the output whose writing the signal comes with: document, image data, surface
        QTest::newRow("with the first: nothing is written") << 0;
        QTest::newRow("with the second: it is completed, the third not begun") << 1;
    }
    void signalWhileTheOutputsAreWritten()
    {
        QFETCH(int, at);
        QTemporaryDir dir;
        const QString list = writeFile(dir, QStringLiteral("s.plst"), listXml(slab()));
        const QStringList outputs{dir.filePath(QStringLiteral("out.cfw")), dir.filePath(QStringLiteral("out.vti")),
                                  dir.filePath(QStringLiteral("out.stl"))};
        for (const QString &file : outputs)
            QVERIFY(writeFileContents(file, "earlier"));
        QString out;
        QString error;
        QTextStream outStream(&out);
        QTextStream errStream(&error);
        BatchCommand command(outStream, errStream, false);
        Util::RunControl control;
        Core::BatchRun::StopSignals::install(control);
        command.setRunControl(&control);
        QStringList begun;
        command.setOutputObserver([&begun, at](const QString &file) {
            begun << file;
            if (begun.size() == at + 1)
                std::raise(SIGINT);
        });
        const int status =
            command.execute({list, QStringLiteral("--output"), outputs[0], QStringLiteral("--export-vti"), outputs[1],
                             QStringLiteral("--export-surface"), outputs[2]});
        Core::BatchRun::StopSignals::uninstall();
        QCOMPARE(status, int(BatchCommand::Interrupted));
        QCOMPARE(begun, outputs.mid(0, at + 1));
        QVERIFY2(error.contains(QLatin1String("cellforge-batch: Stopped while the outputs were written")),
                 qPrintable(error));
        for (int i = 0; i < outputs.size(); ++i) {
            const bool written = at > 0 && i <= at;
            QCOMPARE(readFile(outputs[i]) != "earlier", written);
            const QString line =
                written ? QStringLiteral("Written: \"%1\".") : QStringLiteral("Nothing was written to \"%1\".");
            QVERIFY2(error.contains(line.arg(outputs[i])), qPrintable(error));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 4); // no temporary file is left
    }

    // A file-size limit ends the run with the system's reason and exit status 4, not with a silent death by SIGXFSZ;
    // the earlier document stays.
    void fileSizeLimitIsReportedLikeAFullDisk()
    {
        QTemporaryDir dir;
        const QString list = writeFile(dir, QStringLiteral("s.plst"), listXml(stepXml(boxSubstrate(40, 40, 40, 10))));
        const QString output = writeFile(dir, QStringLiteral("out.cfw"), "an earlier document");
        // The child inherits the limit and the signal's default action; the test holds the limit only while the child
        // starts, so that no write of its own meets it.
        rlimit unlimited{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &unlimited), 0);
        rlimit limited = unlimited;
        limited.rlim_cur = 32 * 1024;
        QProcess process;
        process.setProcessEnvironment(environmentWithoutDisplay());
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limited), 0);
        process.start(QStringLiteral(CELLFORGE_BATCH), {list, QStringLiteral("--output"), output});
        const bool started = process.waitForStarted();
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &unlimited), 0);
        QVERIFY(started);
        QVERIFY(process.waitForFinished(120000));
        const QString err = QString::fromLocal8Bit(process.readAllStandardError());
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 4);
        QVERIFY2(err.contains(QStringLiteral("The document could not be saved to \"%1\": %2\n")
                                  .arg(output, QString::fromLocal8Bit(std::strerror(EFBIG)))),
                 qPrintable(err));
        QCOMPARE(readFile(output), QByteArray("an earlier document"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    // A list names its layout: when the layout changes, the same list run headless follows it. On
    // 10 by 8 columns of material 3, layer 1 of square.gds exposes 3 by 3 columns, that of
    // layers.gds 4 by 8; a layout cut short fails the step, which its line names.
    void aListFollowsItsLayout()
    {
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("masks")));
        const QString list =
            writeFile(folder, QStringLiteral("flow.plst"),
                      listXml(stepXml(boxSubstrate(10, 8, 3, 2, 3)) + stepXml(layoutLithography("masks/chip.gds", 1))));
        const QString layout = folder.filePath(QStringLiteral("masks/chip.gds"));
        const QString output = folder.filePath(QStringLiteral("out.cfw"));
        const QString layouts = QStringLiteral(TEST_DATA_DIR "/layouts/");
        const QList<QPair<QString, int>> runs{{QStringLiteral("square.gds"), 9}, {QStringLiteral("layers.gds"), 32}};
        for (const auto &run : runs) {
            QFile::remove(layout);
            QVERIFY(QFile::copy(layouts + run.first, layout));
            // From another working folder: the layout is found beside the list, not there.
            const BatchResult r = runBatch({list, QStringLiteral("--output"), output}, m_dir.path());
            QVERIFY2(r.exitCode == 0, qPrintable(r.err));
            const auto volume = documentVolume(output);
            QVERIFY(volume);
            QCOMPARE(countState(*volume, 3), size_t(2 * (80 - run.second)));
        }
        writeFile(folder, QStringLiteral("masks/chip.gds"), readFile(layouts + QStringLiteral("square.gds")).left(100));
        const BatchResult r = runBatch({list, QStringLiteral("--output"), output}, m_dir.path());
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.out.contains(QStringLiteral("2/2  Photolithography  ")) &&
                     r.out.contains(QStringLiteral("(The layout \"masks/chip.gds\" cannot be read: The file ends "
                                                   "before its last record: it is cut short.)")),
                 qPrintable(r.out));
    }
};

QTEST_GUILESS_MAIN(tst_BatchCommand)
#include "tst_batchcommand.moc"
