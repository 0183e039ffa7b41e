#include "Model/Materials/materialfactory.h"
#include "Model/ModelExtraction/cantilevermodelrule.h"
#include "Model/ModelExtraction/cantileverstructure.h"
#include "Model/ModelExtraction/cuboiddecomposition.h"
#include "Model/ModelExtraction/extractedmodel.h"
#include "Model/ModelExtraction/netlistfile.h"
#include "cantileverscenes.h"
#include "catalogtesthome.h"
#include "filesizelimit.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace Model::ModelExtraction;

namespace {

QString readText(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromUtf8(file.readAll()) : QString();
}

// The frequency at which |v(1)| is largest in an AC sweep of the netlist driven by 1 A into node 1,
// or 0 when ngspice did not give a table.
double peakFrequency(const QString &ngspice, const QString &folder, const QString &netlist, const QString &sweep,
                     QString *log)
{
    QString deck = netlist;
    const int end = deck.lastIndexOf(QLatin1String(".end "));
    if (end < 0)
        return 0.0;
    const QString table = folder + QStringLiteral("/table.txt");
    QFile::remove(table);
    deck.truncate(end);
    deck += QStringLiteral("i1 0 1 dc 0 ac 1\n.control\n%1\nwrdata %2 vm(1)\nquit\n.endc\n.end\n").arg(sweep, table);
    const QString deckFile = folder + QStringLiteral("/deck.cir");
    {
        QFile file(deckFile);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
            return 0.0;
        file.write(deck.toUtf8());
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(ngspice, {QStringLiteral("-b"), deckFile});
    if (!process.waitForFinished(120000))
        return 0.0;
    *log = QString::fromLocal8Bit(process.readAll());
    double best = 0.0;
    double bestFrequency = 0.0;
    for (const QString &line : readText(table).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList columns = line.simplified().split(QLatin1Char(' '));
        if (columns.size() < 2)
            continue;
        const double value = columns.at(1).toDouble();
        if (value > best) {
            best = value;
            bestFrequency = columns.at(0).toDouble();
        }
    }
    return bestFrequency;
}

} // namespace

class tst_NetlistSpice : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void initTestCase() { Model::Materials::MaterialFactory::instance()->createDefaultMaterials(); }

    void netlistFileHoldsTheTextWritten()
    {
        QTemporaryDir dir;
        const QString text = QStringLiteral("Model extracted by Cellforge\nc1 1 0 1e-12 \nl1 1 0 0.01 \n.end \n");
        QString reason;
        QVERIFY(NetlistFile::write(dir.filePath(QStringLiteral("a.cir")), text, &reason));
        QCOMPARE(readText(dir.filePath(QStringLiteral("a.cir"))), text);
        // A folder of that name is refused with a reason and stays a folder.
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("b.cir")));
        QVERIFY(!NetlistFile::write(dir.filePath(QStringLiteral("b.cir")), text, &reason));
        QVERIFY(!reason.isEmpty());
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("b.cir"))).isDir());
        // A disk that fills up part way leaves the earlier file as it was.
        {
            FileSizeLimit limit(16);
            QVERIFY(limit.isActive());
            QVERIFY(!NetlistFile::write(dir.filePath(QStringLiteral("a.cir")), text + text, &reason));
        }
        QVERIFY(!reason.isEmpty());
        QCOMPARE(readText(dir.filePath(QStringLiteral("a.cir"))), text);
    }

    void aCircuitSimulatorFindsTheBeamsResonance()
    {
        const QString ngspice = QStandardPaths::findExecutable(QStringLiteral("ngspice"));
        if (ngspice.isEmpty())
            QSKIP("ngspice is not installed (Debian package ngspice): the netlist was not simulated.");

        // Poly-silicon, 50 cells long, 10 wide and 6 thick, sticking out of a silicon block.
        auto volume = CantileverScenes::block({CantileverScenes::Beam{16, 50, 10, 6}});
        const ExtractedModel boxes(CuboidDecomposition(*volume).run());
        CantileverModelRule rule;
        auto structure = std::dynamic_pointer_cast<CantileverStructure>(rule.apply(boxes));
        QVERIFY(structure);
        QCOMPARE(structure->beams().size(), size_t(1));
        QTemporaryDir dir;
        const QString fileName = dir.filePath(QStringLiteral("beam.cir"));
        QString reason;
        QVERIFY2(NetlistFile::write(fileName, structure->netlist(), &reason), qPrintable(reason));
        const QString netlist = readText(fileName);

        // Coarse over nine decades, then fine around the peak found.
        QString log;
        const double coarse = peakFrequency(ngspice, dir.path(), netlist, QStringLiteral("ac dec 1000 1 1g"), &log);
        QVERIFY2(coarse > 0.0, qPrintable(log));
        const double fine = peakFrequency(
            ngspice, dir.path(), netlist,
            QStringLiteral("ac lin 20001 %1 %2").arg(coarse * 0.99, 0, 'g', 10).arg(coarse * 1.01, 0, 'g', 10), &log);
        QVERIFY2(fine > 0.0, qPrintable(log));

        // The beam's own numbers: cell edge a, the catalogue's 2329 kg/m^3 and 1.88e11 Pa.
        const double a = std::cbrt(2.00129819772e-17);
        const double L = 50 * a, w = 10 * a, t = 6 * a, rho = 2329.0, E = 1.88e11;
        const double k = 3 * E * (w * t * t * t / 12) / (L * L * L);
        const double m = 33.0 / 140.0 * rho * L * w * t;
        const double lumped = std::sqrt(k / m) / (2 * M_PI);
        const double eulerBernoulli =
            1.875 * 1.875 / (2 * M_PI) * std::sqrt(E * (w * t * t * t / 12) / (rho * w * t * L * L * L * L));
        const QString figures =
            QStringLiteral("peak %1 Hz, lumped %2 Hz, Euler-Bernoulli %3 Hz").arg(fine).arg(lumped).arg(eulerBernoulli);
        qInfo("%s", qPrintable(figures));
        QVERIFY2(std::abs(fine / lumped - 1.0) < 0.005, qPrintable(figures));
        QVERIFY2(std::abs(fine / eulerBernoulli - 1.0) < 0.03, qPrintable(figures));
    }
};

QTEST_GUILESS_MAIN(tst_NetlistSpice)
#include "tst_netlistspice.moc"
