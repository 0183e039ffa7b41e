#include "Core/BatchRun/batchcommand.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Persistence/archiverregistry.h"
#include "Model/Persistence/documentarchive.h"
#include "Model/document.h"
#include "batchprocess.h"
#include "cantileverscenes.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using CantileverScenes::Beam;
using Core::BatchRun::BatchCommand;

namespace {

QString readText(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class tst_BatchNetlist : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_emptyList;

    QString document(const QString &name, const std::shared_ptr<Model::Automaton::TotalVolume> &volume)
    {
        Model::Document doc;
        doc.addObject(volume);
        const QString file = m_dir.filePath(name);
        QString error;
        if (!Model::Persistence::saveDocumentFile(file, doc, Model::Persistence::ArchiverRegistry::standard(), &error))
            qWarning("%s", qPrintable(error));
        return file;
    }

private slots:
    void initTestCase()
    {
        Model::Materials::MaterialFactory::instance()->createDefaultMaterials();
        m_emptyList = m_dir.filePath(QStringLiteral("empty.plst"));
        QFile list(m_emptyList);
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("<?xml version=\"1.0\"?>\n<Process-List version=\"1\"/>\n");
    }

    void optionsAreParsed_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("netlist");
        QTest::addColumn<double>("cellSize");
        QTest::newRow("netlist") << QStringList{"a.plst", "--netlist", "o.cir"} << true << "o.cir" << 0.0;
        QTest::newRow("netlist and cell size")
            << QStringList{"a.plst", "--cell-size-um", "1.5", "--netlist", "o.cir"} << true << "o.cir" << 1.5;
        QTest::newRow("cell size without netlist")
            << QStringList{"a.plst", "--cell-size-um", "1"} << false << "" << 0.0;
        QTest::newRow("cell size zero") << QStringList{"a.plst", "--netlist", "o", "--cell-size-um", "0"} << false << ""
                                        << 0.0;
        QTest::newRow("cell size negative")
            << QStringList{"a.plst", "--netlist", "o", "--cell-size-um", "-2"} << false << "" << 0.0;
        QTest::newRow("cell size not a number")
            << QStringList{"a.plst", "--netlist", "o", "--cell-size-um", "wide"} << false << "" << 0.0;
        QTest::newRow("cell size infinite")
            << QStringList{"a.plst", "--netlist", "o", "--cell-size-um", "inf"} << false << "" << 0.0;
        QTest::newRow("netlist twice") << QStringList{"a.plst", "--netlist", "a", "--netlist", "b"} << false << ""
                                       << 0.0;
        QTest::newRow("netlist without a name") << QStringList{"a.plst", "--netlist"} << false << "" << 0.0;
    }
    void optionsAreParsed()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, ok);
        BatchCommand::Options options;
        QString error;
        QCOMPARE(BatchCommand::parse(arguments, options, &error), ok);
        QCOMPARE(error.isEmpty(), ok);
        if (!ok)
            return;
        QTEST(options.netlistFile, "netlist");
        QTEST(options.cellSizeUm, "cellSize");
    }

    void theNetlistOfADocumentsCantilever()
    {
        // Aluminium 20 x 4 x 2 cells at the default edge: the values worked out in tst_cantileverstructure.
        const QString input = document(QStringLiteral("beam.cfw"), CantileverScenes::block({Beam{4, 20, 4, 2}}));
        const QString netlist = m_dir.filePath(QStringLiteral("beam.cir"));
        const BatchResult r =
            runBatch({m_emptyList, QStringLiteral("--input"), input, QStringLiteral("--netlist"), netlist});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(readText(netlist),
                 QStringLiteral("Model extracted by Cellforge\nc1 1 0 2.03789e-12 \nl1 1 0 0.00526176 \n.end \n"));
        QVERIFY(r.out.contains(QLatin1String("Netlist of 1 cantilever beam written to")));
    }

    void theCellSizeOptionSetsTheUnits()
    {
        // 1 micrometre cells: aluminium 30 x 4 x 3 has k = 70 N/m and m = 2.29114e-13 kg.
        const QString input = document(QStringLiteral("beam30.cfw"), CantileverScenes::block({Beam{4, 30, 4, 3}}));
        const QString netlist = m_dir.filePath(QStringLiteral("beam30.cir"));
        const BatchResult r = runBatch({m_emptyList, QStringLiteral("--input"), input, QStringLiteral("--netlist"),
                                        netlist, QStringLiteral("--cell-size-um"), QStringLiteral("1")});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(readText(netlist),
                 QStringLiteral("Model extracted by Cellforge\nc1 1 0 2.29114e-13 \nl1 1 0 0.0142857 \n.end \n"));
    }

    void noBeamNoNetlist()
    {
        const QString input = document(QStringLiteral("supported.cfw"), CantileverScenes::supported(Beam{4, 20, 4, 2}));
        const QString netlist = m_dir.filePath(QStringLiteral("none.cir"));
        const BatchResult r =
            runBatch({m_emptyList, QStringLiteral("--input"), input, QStringLiteral("--netlist"), netlist});
        QCOMPARE(r.exitCode, int(BatchCommand::StepFailed));
        QVERIFY2(r.err.contains(QLatin1String("cellforge-batch: No model data was extracted.")), qPrintable(r.err));
        QVERIFY(!QFileInfo::exists(netlist));
    }

    void netlistsThatCannotBeWritten_data()
    {
        QTest::addColumn<QString>("target");
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("folder.cir")));
        QTest::newRow("a folder, refused before the run") << m_dir.filePath(QStringLiteral("folder.cir"));
        QTest::newRow("a folder that does not exist") << m_dir.filePath(QStringLiteral("absent/beam.cir"));
    }
    void netlistsThatCannotBeWritten()
    {
        QFETCH(QString, target);
        const QString input = document(QStringLiteral("beam.cfw"), CantileverScenes::block({Beam{4, 20, 4, 2}}));
        const BatchResult r =
            runBatch({m_emptyList, QStringLiteral("--input"), input, QStringLiteral("--netlist"), target});
        QCOMPARE(r.exitCode, int(BatchCommand::OutputError));
        QVERIFY2(r.err.contains(QLatin1String("The netlist could not be saved to")), qPrintable(r.err));
        QVERIFY(!QFileInfo(target).isFile());
    }

    void theExampleCantileverGivesItsBeam()
    {
        // examples/released_cantilever.plst releases a poly-silicon beam 50 x 10 x 6 cells. Its values
        // at the default edge a, with the catalogue's 2329 kg/m^3 and 1.88e11 Pa:
        const QString netlist = m_dir.filePath(QStringLiteral("example.cir"));
        const BatchResult r =
            runBatch({QStringLiteral(EXAMPLES_DIR "/released_cantilever.plst"), QStringLiteral("--netlist"), netlist});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        const QStringList lines = readText(netlist).split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 5); // header, c1, l1, ".end ", and the empty rest after the last newline
        QCOMPARE(lines.at(0), QStringLiteral("Model extracted by Cellforge"));
        QCOMPARE(lines.at(3), QStringLiteral(".end "));
        const double a = std::cbrt(2.00129819772e-17);
        const double m = 50 * 10 * 6 * a * a * a * 2329.0 * 33.0 / 140.0;
        const double k = 3 * 1.88e11 * (10 * a * std::pow(6 * a, 3) / 12) / std::pow(50 * a, 3);
        QCOMPARE(lines.at(1), QStringLiteral("c1 1 0 %1 ").arg(m, 0, 'g', 6));
        QCOMPARE(lines.at(2), QStringLiteral("l1 1 0 %1 ").arg(1.0 / k, 0, 'g', 6));
    }
};

QTEST_GUILESS_MAIN(tst_BatchNetlist)
#include "tst_batchnetlist.moc"
