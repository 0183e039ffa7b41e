// cellforge-batch's measurements: the results files, their units, and the measurements that cannot
// be taken.
#include "Core/BatchRun/batchcommand.h"
#include "Core/Formats/csvtext.h"
#include "Model/Materials/colorbytes.h"
#include "Model/Materials/materialfactory.h"
#include "batchlists.h"
#include "batchprocess.h"
#include "catalogtesthome.h"
#include "filecontents.h"
#include "fulldisk.h"
#include "volumetesthelpers.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using Core::BatchRun::BatchCommand;

namespace {

constexpr uint32_t Si = 1;
constexpr uint32_t Oxide = 3;

/// 6 x 4 x 5 cells: silicon up to z = 2 under 1 cell of oxide (columns 4 high), and a trench along
/// y at x = 2 and 3 down to 1 cell of silicon (columns 1 high).
Model::Automaton::TotalVolumePtr trench()
{
    return makeVolume(6, 4, 5, [](uint32_t x, uint32_t, uint32_t z) -> uint32_t {
        if (x == 2 || x == 3)
            return z == 0 ? Si : 0;
        return z < 3 ? Si : z == 3 ? Oxide : 0;
    });
}

QByteArray measure(const QList<QPair<const char *, QVariant>> &values)
{
    return stepXml(batchStep(Core::BatchRun::Measure, values));
}

/// Five measurements of the trench, one of each kind but height.
QByteArray trenchMeasurements()
{
    return measure({{"Name", "si, under oxide"}, {"Kind", "thickness"}, {"Material", "Si"}, {"X", 0u}, {"Y", 0u}}) +
           measure({{"Name", "trench depth"}, {"Kind", "depth"}, {"X", 2u}, {"Y", 1u}}) +
           measure(
               {{"Name", "gap"}, {"Kind", "width"}, {"Material", ""}, {"X", 3u}, {"Y", 0u}, {"Z", 2u}, {"Axis", "x"}}) +
           measure({{"Name", "wall"},
                    {"Kind", "sidewall-angle"},
                    {"Material", ""},
                    {"X", 2u},
                    {"Y", 0u},
                    {"Axis", "x"},
                    {"Z1", 1u},
                    {"Z2", 3u}}) +
           measure({{"Name", "oxide"}, {"Kind", "volume"}, {"Material", "Thermal Si02"}});
}

/// A 6 x 4 x 5 volume with 3 cells of silicon, then its height and its silicon at (0, 0).
QByteArray slabList()
{
    return listXml(stepXml(boxSubstrate(6, 4, 5, 3)) +
                   measure({{"Name", "h"}, {"Kind", "height"}, {"X", 0u}, {"Y", 0u}}) +
                   measure({{"Name", "si"}, {"Kind", "thickness"}, {"Material", "Si"}, {"X", 0u}, {"Y", 0u}}));
}

} // namespace

class tst_BatchResults : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;
    QString m_trench;

private slots:
    void initTestCase() { m_trench = volumeDocument(m_dir, QStringLiteral("trench.cfw"), trench()); }

    void resultOptionsAreParsed_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");
        QTest::newRow("csv") << QStringList{"l.plst", "--results", "r.CSV"} << QString();
        QTest::newRow("json in micrometres")
            << QStringList{"l.plst", "--results", "r.json", "--cell-size-um", "0.5"} << QString();
        QTest::newRow("another ending") << QStringList{"l.plst", "--results", "r.txt"}
                                        << "--results needs a file name ending in .csv or .json, not \"r.txt\".";
        QTest::newRow("twice") << QStringList{"l.plst", "--results", "a.csv", "--results", "b.csv"}
                               << "Option --results is given twice.";
        QTest::newRow("set without value")
            << QStringList{"l.plst", "--set", "2.X"} << "--set needs STEP.PARAMETER=VALUE, not \"2.X\".";
        QTest::newRow("set of step 0") << QStringList{"l.plst", "--set", "0.X=1"}
                                       << "--set needs STEP.PARAMETER=VALUE, not \"0.X=1\".";
        QTest::newRow("index without sweep")
            << QStringList{"l.plst", "--index", "1"} << "--index chooses a row of --sweep, which is missing.";
        QTest::newRow("no jobs") << QStringList{"l.plst", "--sweep", "t.csv", "--jobs", "0"}
                                 << "--jobs needs a whole number of at least 1, not \"0\".";
        QTest::newRow("collect alone") << QStringList{"--collect", "out", "all.csv"} << QString();
        QTest::newRow("collect into json") << QStringList{"--collect", "out", "all.json"}
                                           << "--collect writes a table ending in .csv, not \"all.json\".";
        QTest::newRow("plot") << QStringList{"--collect", "out", "all.csv", "--plot", "all.SVG"} << QString();
        QTest::newRow("plot as pdf") << QStringList{"--collect", "out", "all.csv", "--plot", "all.pdf"}
                                     << "--plot draws a figure ending in .svg or .png, not \"all.pdf\".";
        QTest::newRow("plot without collect")
            << QStringList{"l.plst", "--plot", "all.png"} << "--plot draws the table of --collect, which is missing.";
    }
    void resultOptionsAreParsed()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        BatchCommand::Options options;
        QString message;
        QCOMPARE(BatchCommand::parse(arguments, options, &message), error.isEmpty());
        QCOMPARE(message, error);
    }

    // One row per measurement, after the step that took it; in cells, or in micrometres.
    void resultsAreWritten_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("csv in cells") << "r.csv" << QStringList()
                                      << QByteArray("name,kind,value,unit,step\n"
                                                    "\"si, under oxide\",thickness,3,cells,1\n"
                                                    "trench depth,depth,3,cells,2\n"
                                                    "gap,width,2,cells,3\n"
                                                    "wall,sidewall-angle,90,deg,4\n"
                                                    "oxide,volume,16,cells,5\n");
        // 0.5 µm cells: 3 cells are 1.5 µm, 16 cells 2 µm³.
        QTest::newRow("csv in micrometres") << "r.csv" << QStringList{"--cell-size-um", "0.5"}
                                            << QByteArray("name,kind,value,unit,step\n"
                                                          "\"si, under oxide\",thickness,1.5,µm,1\n"
                                                          "trench depth,depth,1.5,µm,2\n"
                                                          "gap,width,1,µm,3\n"
                                                          "wall,sidewall-angle,90,deg,4\n"
                                                          "oxide,volume,2,µm³,5\n");
    }
    void resultsAreWritten()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, extra);
        QFETCH(QByteArray, expected);
        const QString list = writeFile(m_dir, QStringLiteral("measure.plst"), listXml(trenchMeasurements()));
        const QString results = m_dir.filePath(name);
        QFile::remove(results);
        const BatchResult r = runBatch(
            QStringList{list, QStringLiteral("--input"), m_trench, QStringLiteral("--results"), results} + extra);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(fileContents(results), expected);
        // A measurement changes nothing: every step's line says it ran.
        QCOMPARE(r.out.count(QStringLiteral("Measure")), 5);
    }

    void jsonHoldsTheSameRows()
    {
        const QString list = writeFile(m_dir, QStringLiteral("measure.plst"), listXml(trenchMeasurements()));
        const QString results = m_dir.filePath(QStringLiteral("r.json"));
        const BatchResult r = runBatch({list, "--input", m_trench, "--results", results, "--cell-size-um", "2"});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        const QJsonArray rows = QJsonDocument::fromJson(fileContents(results)).object().value("measurements").toArray();
        QCOMPARE(rows.size(), 5);
        const QJsonObject first = rows.at(0).toObject();
        QCOMPARE(first.value("name").toString(), QStringLiteral("si, under oxide"));
        QCOMPARE(first.value("kind").toString(), QStringLiteral("thickness"));
        QCOMPARE(first.value("value").toDouble(), 6.0);
        QCOMPARE(first.value("unit").toString(), QStringLiteral("µm"));
        QCOMPARE(first.value("step").toInt(), 1);
        const QJsonObject last = rows.at(4).toObject();
        QCOMPARE(last.value("value").toDouble(), 128.0); // 16 cells of 8 µm³
        QCOMPARE(last.value("unit").toString(), QStringLiteral("µm³"));
        QCOMPARE(last.value("step").toInt(), 5);
    }

    // Outside the volume: exit 2 naming the step, nothing written; an unknown material or kind is
    // refused before any step runs.
    void measurementsThatCannotBeTakenEndTheRun_data()
    {
        QTest::addColumn<QByteArray>("steps");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("linesOut");
        const QByteArray good = measure({{"Name", "h"}, {"Kind", "height"}, {"X", 0u}, {"Y", 0u}});
        QTest::newRow("outside")
            << good + measure({{"Name", "h"}, {"Kind", "height"}, {"X", 6u}, {"Y", 0u}})
            << "cellforge-batch: Step 2 (Measure) failed: Value for a required parameter is invalid. Check input "
               "list. ((X, Y) = (6, 0) lies outside the cell volume of 6 x 4 x 5 cells)\n"
            << 2;
        QTest::newRow("unknown material")
            << good + measure({{"Name", "v"}, {"Kind", "volume"}, {"Material", "Unobtainium"}})
            << "cellforge-batch: Step 2 (Measure): invalid: \"Material\" is \"Unobtainium\", which the material "
               "catalogue does not hold.\ncellforge-batch: No step was run.\n"
            << 0;
        QTest::newRow("unknown kind") << measure({{"Name", "r"}, {"Kind", "roughness"}})
                                      << "cellforge-batch: Step 1 (Measure): invalid: \"Kind\" is \"roughness\"; it "
                                         "must be one of thickness, height, depth, width, sidewall-angle, volume.\n"
                                      << 0;
        QTest::newRow("negative x") << measure({{"Name", "t"}, {"Kind", "height"}, {"X", -1}, {"Y", 0u}})
                                           .replace("parameter-type=\"int\"", "parameter-type=\"uint\"")
                                    << "cellforge-batch: Step 1 (Measure): \"X\" of -1 is out of range" << 0;
    }
    void measurementsThatCannotBeTakenEndTheRun()
    {
        QFETCH(QByteArray, steps);
        QFETCH(QString, message);
        QFETCH(int, linesOut);
        const QString list = writeFile(m_dir, QStringLiteral("bad.plst"), listXml(steps));
        const QString results = m_dir.filePath(QStringLiteral("bad.csv"));
        writeFileContents(results, "earlier");
        const BatchResult r = runBatch({list, "--input", m_trench, "--results", results});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(r.out.count(QLatin1Char('\n')), linesOut);
        QCOMPARE(fileContents(results), QByteArray("earlier"));
    }

    // --set gives a step's parameter for the run, read and checked as the list's own.
    void setOverridesAParameter_data()
    {
        QTest::addColumn<QStringList>("sets");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("expected"); // the results, or the message
        QTest::newRow("as listed") << QStringList() << 0 << "h,height,3,cells,2\nsi,thickness,3,cells,3\n";
        QTest::newRow("thinner substrate")
            << QStringList{"--set", "1.Substrate Size Z=2"} << 0 << "h,height,2,cells,2\nsi,thickness,2,cells,3\n";
        QTest::newRow("other material") << QStringList{"--set", "3.Material=Thermal Si02", "--set", "2.X=5"} << 0
                                        << "h,height,3,cells,2\nsi,thickness,0,cells,3\n";
        QTest::newRow("substrate of oxide")
            << QStringList{"--set", "1.Material=Thermal Si02"} << 0 << "h,height,3,cells,2\nsi,thickness,0,cells,3\n";
        QTest::newRow("no such step") << QStringList{"--set", "4.X=1"} << 2
                                      << "cellforge-batch: 4.X: step 4 does not exist: the list has 3 steps.\n"
                                         "cellforge-batch: No step was run.\n";
        QTest::newRow("no such parameter") << QStringList{"--set", "2.Colour=red"} << 2
                                           << "cellforge-batch: 2.Colour: step 2 (Measure) has no parameter "
                                              "\"Colour\".\ncellforge-batch: No step was run.\n";
        QTest::newRow("no such material") << QStringList{"--set", "1.Material=Cheese"} << 2
                                          << "cellforge-batch: 1.Material=Cheese: the material catalogue holds no "
                                             "material \"Cheese\".\n";
        QTest::newRow("out of range") << QStringList{"--set", "2.X=-1"} << 2
                                      << "cellforge-batch: Step 2 (Measure): \"X\" of -1 is out of range";
        QTest::newRow("outside after the set") << QStringList{"--set", "2.Y=4"} << 2
                                               << "((X, Y) = (0, 4) lies outside the cell volume of 6 x 4 x 5 cells)";
    }
    void setOverridesAParameter()
    {
        QFETCH(QStringList, sets);
        QFETCH(int, exitCode);
        QFETCH(QString, expected);
        const QString list = writeFile(m_dir, QStringLiteral("slab.plst"), slabList());
        const QString results = m_dir.filePath(QStringLiteral("set.csv"));
        QFile::remove(results);
        const BatchResult r = runBatch(QStringList{list, "--results", results} + sets);
        QCOMPARE(r.exitCode, exitCode);
        if (exitCode == 0)
            QCOMPARE(QString::fromUtf8(fileContents(results)), "name,kind,value,unit,step\n" + expected);
        else
            QVERIFY2(r.err.contains(expected), qPrintable(r.err));
        QCOMPARE(QFile::exists(results), exitCode == 0);
    }

    // Every row of a table, in worker processes or one by one; the same files whatever the number
    // of workers; the collected table lists the row that has no results.
    void sweepRowsAreRunAndCollected()
    {
        QTemporaryDir dir;
        const QString list = writeFile(dir, QStringLiteral("slab.plst"), slabList());
        const QString table = writeFile(dir, QStringLiteral("table.csv"), "1.Substrate Size Z\n1\n2\n4\n");
        QDir(dir.path()).mkdir(QStringLiteral("two"));
        QDir(dir.path()).mkdir(QStringLiteral("one"));
        const auto sweep = [&](const QString &folder, const QStringList &more) {
            return runBatch(QStringList{list, "--sweep", table, "--results", folder + "/r{index}.csv", "--seed", "7"} +
                            more);
        };
        BatchResult r = sweep(dir.filePath("two"), {"--jobs", "2"});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        // Three rows of three step lines, in the order of the rows.
        QCOMPARE(r.out.count(QStringLiteral("3/3  Measure")), 3);
        const QByteArray row2 = fileContents(dir.filePath("two/r2.csv"));
        QCOMPARE(row2, QByteArray("index,rows,1.Substrate Size Z,name,kind,value,unit,step\n"
                                  "2,3,4,h,height,4,cells,2\n"
                                  "2,3,4,si,thickness,4,cells,3\n"));
        for (const char *index : {"0", "1"}) {
            QVERIFY(!sweep(dir.filePath("one"), {"--index", index}).exitCode);
        }
        qputenv("SLURM_ARRAY_TASK_ID", "2");
        r = sweep(dir.filePath("one"), {});
        qunsetenv("SLURM_ARRAY_TASK_ID");
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        for (const char *name : {"r0.csv", "r1.csv", "r2.csv"})
            QCOMPARE(fileContents(dir.filePath(QStringLiteral("one/") + name)),
                     fileContents(dir.filePath(QStringLiteral("two/") + name)));

        QVERIFY(QFile::remove(dir.filePath("two/r1.csv")));
        const QString merged = dir.filePath("all.csv");
        r = runBatch({"--collect", dir.filePath("two"), merged});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, QStringLiteral("cellforge-batch: Rows without results (failed or not run): 1.\n"));
        QCOMPARE(fileContents(merged), QByteArray("index,status,1.Substrate Size Z,h (cells),si (cells)\n"
                                                  "0,ok,1,1,1\n"
                                                  "1,missing,,,\n"
                                                  "2,ok,4,4,4\n"));
    }

    // A row that fails is reported with what it said and ends the sweep with its status; the
    // other rows still run, and the collected table lists the failed one.
    void failedRowIsReportedAndListed()
    {
        QTemporaryDir dir;
        const QString list = writeFile(dir, QStringLiteral("slab.plst"), slabList());
        const QString table = writeFile(dir, QStringLiteral("table.csv"), "2.X,2.Name\n0,a\n6,b\n5,c\n");
        QDir(dir.path()).mkdir(QStringLiteral("runs"));
        const BatchResult r = runBatch(
            {list, "--sweep", table, "--jobs", "2", "--results", dir.filePath(QStringLiteral("runs/r{index}.json"))});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.startsWith(QLatin1String("cellforge-batch: row 1 of 3 failed (exit status 2):\n  row 1: "
                                                "cellforge-batch: Step 2 (Measure) failed: ")),
                 qPrintable(r.err));
        QVERIFY(r.err.contains(QLatin1String("(X, Y) = (6, 0) lies outside the cell volume of 6 x 4 x 5 cells")));
        QVERIFY(QFile::exists(dir.filePath("runs/r0.json")) && !QFile::exists(dir.filePath("runs/r1.json")) &&
                QFile::exists(dir.filePath("runs/r2.json")));
        const BatchResult collected = runBatch({"--collect", dir.filePath("runs"), dir.filePath("all.csv")});
        QCOMPARE(collected.exitCode, 1);
        QCOMPARE(fileContents(dir.filePath("all.csv")),
                 QByteArray("index,status,2.X,2.Name,a (cells),si (cells),c (cells)\n"
                            "0,ok,0,a,3,3,\n"
                            "1,missing,,,,,\n"
                            "2,ok,5,c,,3,3\n"));
    }

    // A row of random-walk doping with the same seed gives the same counts, in a sweep of workers or
    // on its own, with any number of threads.
    void seededRowIsRepeatedExactly()
    {
        QTemporaryDir dir;
        const QString list = QStringLiteral(EXAMPLES_DIR "/doped_well.plst"); // step 4 dopes for 5 minutes
        const QString table = writeFile(dir, QStringLiteral("table.csv"), "4.Doping Time\n0.5\n1\n");
        const auto run = [&](const QString &name, const QStringList &more) {
            const BatchResult r = runBatch(QStringList{list, "--sweep", table, "--seed", "5", "--export-csv",
                                                       "Random Walk Particle Count Type P", dir.filePath(name)} +
                                           more);
            QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        };
        run("all{index}.csv", {"--jobs", "2"});
        run("one.csv", {"--index", "1", "--threads", "1"});
        run("two.csv", {"--index", "1", "--threads", "2"});
        const QByteArray counts = fileContents(dir.filePath("all1.csv"));
        QVERIFY(counts.contains("e+01"));
        QCOMPARE(fileContents(dir.filePath("one.csv")), counts);
        QCOMPARE(fileContents(dir.filePath("two.csv")), counts);
        QVERIFY(fileContents(dir.filePath("all0.csv")) != counts);
    }

    void badSweepsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<QStringList>("more");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("shared output") << QByteArray("2.X\n0\n1\n") << QStringList{"--results", "r.csv"} << 2
                                       << "Every row of a sweep writes its own outputs: \"r.csv\" needs "
                                          "\"{index}\" in its name.";
        QTest::newRow("row beyond the table")
            << QByteArray("2.X\n0\n1\n") << QStringList{"--index", "2"} << 2 << "has no row 2: its rows are 0 to 1.";
        QTest::newRow("column without a step")
            << QByteArray("X\n0\n") << QStringList() << 3 << "names a column \"X\"; each must be STEP.PARAMETER";
        QTest::newRow("short row") << QByteArray("2.X,2.Y\n0,0\n1\n") << QStringList() << 3
                                   << "has 1 values in row 1, but 2 columns.";
        QTest::newRow("bad value of a row")
            << QByteArray("2.X\n0\n-3\n") << QStringList{"--index", "1"} << 2 << "\"X\" of -3 is out of range";
    }
    void badSweepsAreRefused()
    {
        QFETCH(QByteArray, table);
        QFETCH(QStringList, more);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const QString list = writeFile(m_dir, QStringLiteral("slab.plst"), slabList());
        const QString file = writeFile(m_dir, QStringLiteral("bad.csv"), table);
        const BatchResult r = runBatch(QStringList{list, "--sweep", file} + more, m_dir.path());
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
    }

    // The plane y = 0 of the trench: cells of 40 pixels from (16, 40), z = 0 at the bottom; the
    // legend from x = 280; a scale bar of one cell (or of 0.5 µm) 16 pixels under the cells.
    void crossSectionsShowTheCellsLegendAndScale_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<QString>("scale");
        QTest::newRow("svg in cells") << "plane.svg" << QStringList() << "1 cell";
        QTest::newRow("svg in micrometres") << "plane.svg" << QStringList{"--cell-size-um", "0.5"} << "0.5 µm";
        QTest::newRow("png") << "plane.png" << QStringList() << QString();
    }
    void crossSectionsShowTheCellsLegendAndScale()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, extra);
        QFETCH(QString, scale);
        const QString list = writeFile(m_dir, QStringLiteral("none.plst"), listXml(QByteArray()));
        const QString file = m_dir.filePath(name);
        QFile::remove(file);
        const BatchResult r = runBatch(QStringList{list, "--input", m_trench, "--cross-section", "y=0", file} + extra);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QString picture = file;
        if (name.endsWith(QLatin1String(".svg"))) {
            const QByteArray svg = fileContents(file);
            QVERIFY(svg.contains(("<text x=\"16\" y=\"276\">" + scale + "</text>").toUtf8()));
            QVERIFY(svg.contains(">Si</text>") && svg.contains(">Thermal Si02</text>"));
            const QString converter = QStandardPaths::findExecutable(QStringLiteral("rsvg-convert"));
            if (converter.isEmpty())
                QSKIP("rsvg-convert (Debian package librsvg2-bin) is not installed.");
            picture = m_dir.filePath(QStringLiteral("rendered.png"));
            QCOMPARE(QProcess::execute(converter, {file, "-o", picture}), 0);
        }
        const QImage image(picture);
        QVERIFY(!image.isNull());
        const auto colour = [](uint32_t material) {
            return Model::Materials::toQColor(
                       Model::Materials::MaterialFactory::instance()->getMaterial(material).color())
                .rgb();
        };
        const auto cell = [&image](int x, int z) { return image.pixel(16 + x * 40 + 20, 40 + (4 - z) * 40 + 20); };
        QCOMPARE(cell(0, 0), colour(Si));
        QCOMPARE(cell(2, 0), colour(Si));
        QCOMPARE(cell(5, 2), colour(Si));
        QCOMPARE(cell(1, 3), colour(Oxide));
        QCOMPARE(cell(2, 2), qRgb(255, 255, 255));
        QCOMPARE(cell(0, 4), qRgb(255, 255, 255));
        QCOMPARE(image.pixel(287, 47), colour(Si)); // the legend, in the order of the identifiers
        QCOMPARE(image.pixel(287, 67), colour(Oxide));
        QCOMPARE(image.pixel(36, 257), qRgb(0, 0, 0)); // the scale bar: one cell
        QCOMPARE(image.pixel(76, 257), qRgb(255, 255, 255));
    }

    // Rows 0 to 2 of 4 sweep "2.Thickness" over 2, 4, 6 and measure t = 10, 20, 40 and v = 7 (row 3
    // failed). Across, 2 and 6 lie 25 pixels inside the plot area (x = 80 to 630): x = 105, 355, 605.
    // Panel 0 (y = 40 to 260): 40 is 10 pixels under its top, 10 is 10 above its bottom, so 20 lies
    // 200 x 20 / 30 under y = 50. Panel 1 (y = 340 to 560): equal values, centred at y = 450.
    void plotShowsEachMeasurementAgainstTheSweptParameter_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("png") << "study.png";
        QTest::newRow("svg") << "study.svg";
    }
    void plotShowsEachMeasurementAgainstTheSweptParameter()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("runs")));
        const QList<QPair<int, QByteArray>> rows{{0, "2,10"}, {1, "4,20"}, {2, "6,40"}};
        for (const auto &[index, values] : rows) {
            const QList<QByteArray> v = values.split(',');
            const QByteArray head = QByteArray::number(index) + ",4," + v[0] + ",";
            writeFile(dir, QStringLiteral("runs/r%1.csv").arg(index),
                      "index,rows,2.Thickness,name,kind,value,unit,step\n" + head + "t,thickness," + v[1] +
                          ",cells,3\n" + head + "v,volume,7,cells,4\n");
        }
        const QString file = dir.filePath(name);
        const BatchResult r = runBatch({"--collect", dir.filePath("runs"), dir.filePath("all.csv"), "--plot", file});
        QCOMPARE(r.exitCode, 1); // row 3 is missing; the figure shows the others
        QString picture = file;
        if (name.endsWith(QLatin1String(".svg"))) {
            QVERIFY(fileContents(file).contains(">t (cells)</text>"));
            const QString converter = QStandardPaths::findExecutable(QStringLiteral("rsvg-convert"));
            if (converter.isEmpty())
                QSKIP("rsvg-convert (Debian package librsvg2-bin) is not installed.");
            picture = dir.filePath(QStringLiteral("rendered.png"));
            QCOMPARE(QProcess::execute(converter, {file, "-o", picture}), 0);
        }
        const QImage image(picture);
        QCOMPARE(image.size(), QSize(660, 640));
        const QRgb point = qRgb(0x1f, 0x77, 0xb4);
        for (const QPoint &p : {QPoint(105, 250), QPoint(355, 183), QPoint(605, 50), QPoint(105, 450), QPoint(355, 450),
                                QPoint(605, 450)})
            QVERIFY2(image.pixel(p) == point, qPrintable(QStringLiteral("(%1, %2)").arg(p.x()).arg(p.y())));
        for (const QPoint &p : {QPoint(105, 50), QPoint(605, 250), QPoint(355, 400)})
            QVERIFY(image.pixel(p) != point);
    }

    // A single row lies in the middle of its panel, x = 355 and y = 150, whatever its size.
    void plotOfOneRowIsCentred_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("small") << QByteArray("4");
        QTest::newRow("large") << QByteArray("1e17");
    }
    void plotOfOneRowIsCentred()
    {
        QFETCH(QByteArray, value);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("runs")));
        writeFile(dir, QStringLiteral("runs/r0.csv"),
                  "index,rows,2.Thickness,name,kind,value,unit,step\n0,1," + value + ",t,volume," + value +
                      ",cells,3\n");
        const QString file = dir.filePath(QStringLiteral("one.png"));
        const BatchResult r = runBatch({"--collect", dir.filePath("runs"), dir.filePath("all.csv"), "--plot", file});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(QImage(file).pixel(355, 150), qRgb(0x1f, 0x77, 0xb4));
    }

    // The only swept parameter is a material: nothing to draw along, and neither file is written.
    void plotNeedsASweptNumber()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("runs")));
        writeFile(dir, QStringLiteral("runs/r0.csv"),
                  "index,rows,3.Material,name,kind,value,unit,step\n0,1,Si,t,thickness,3,cells,4\n");
        const QString table = dir.filePath(QStringLiteral("all.csv"));
        const BatchResult r = runBatch({"--collect", dir.filePath("runs"), table, "--plot", dir.filePath("p.png")});
        QCOMPARE(r.exitCode, 3);
        QCOMPARE(r.err, QStringLiteral("cellforge-batch: --plot needs a swept parameter whose values are all numbers; "
                                       "3.Material has none.\n"));
        QVERIFY(!QFile::exists(table) && !QFile::exists(dir.filePath("p.png")));
    }

    void crossSectionOutsideTheVolumeIsRefused()
    {
        const QString list = writeFile(m_dir, QStringLiteral("none.plst"), listXml(QByteArray()));
        const QString file = m_dir.filePath(QStringLiteral("far.svg"));
        const BatchResult r = runBatch({list, "--input", m_trench, "--cross-section", "x=6", file});
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(r.err, QStringLiteral("cellforge-batch: The cross-section x = 6 was not drawn: x = 6 lies outside the "
                                       "cell volume of 6 x 4 x 5 cells.\n"));
        QVERIFY(!QFile::exists(file));
    }

    // No room for the results: the system's words, exit status 4, the earlier file whole.
    void fullDiskKeepsTheEarlierResults()
    {
        const QString list = writeFile(m_dir, QStringLiteral("measure.plst"), listXml(trenchMeasurements()));
        FullDisk disk(0);
        const QString results = disk.filePath(QStringLiteral("r.csv"));
        QVERIFY(writeFileContents(results, "earlier"));
        BatchResult r;
        {
            const auto limit = disk.whileWriting();
            r = runBatch({list, "--input", m_trench, "--results", results});
        }
        QCOMPARE(r.exitCode, 4);
        QVERIFY2(r.err.contains(QStringLiteral("The results could not be saved to \"%1\": %2").arg(results,
                                                                                                   disk.reason())),
                 qPrintable(r.err));
        QCOMPARE(fileContents(results), QByteArray("earlier"));
        QCOMPARE(disk.entries(), QStringList{QStringLiteral("r.csv")});
    }

    void csvFieldsRoundTrip()
    {
        using Core::Operations::CsvText;
        const QStringList fields{"plain", "a, b", "say \"hi\"", "two\nlines", ""};
        QList<QStringList> rows;
        QString error;
        QVERIFY(CsvText::parse(CsvText::line(fields) + "x,y\r\n\n", rows, &error));
        QCOMPARE(rows, (QList<QStringList>{fields, {"x", "y"}}));
        QVERIFY(!CsvText::parse("a,\"b\nc", rows, &error));
        QCOMPARE(error, QStringLiteral("line 2: a quoted field is not closed"));
        QVERIFY(!CsvText::parse("a,b\"c\"", rows, &error));
        QCOMPARE(error, QStringLiteral("line 1: a quote stands inside a field that does not begin with one"));
    }
};

QTEST_GUILESS_MAIN(tst_BatchResults)
#include "tst_batchresults.moc"
