// cellforge-batch's measurements: the results files, their units, and the measurements that cannot
// be taken.
#include "Core/BatchRun/batchcommand.h"
#include "Core/Formats/csvtext.h"
#include "batchlists.h"
#include "batchprocess.h"
#include "catalogtesthome.h"
#include "filecontents.h"
#include "volumetesthelpers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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
        QTest::newRow("cell size alone")
            << QStringList{"l.plst", "--cell-size-um", "1"}
            << "--cell-size-um only applies to a netlist or results: give --netlist or --results as well.";
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
