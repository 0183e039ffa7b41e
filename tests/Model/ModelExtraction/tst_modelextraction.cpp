// Model extraction: the cell volume as boxes, the cantilevers found among them and their netlist.
#include "Model/Materials/materialfactory.h"
#include "Model/ModelExtraction/cantilevermodelrule.h"
#include "Model/ModelExtraction/cantileverstructure.h"
#include "Model/ModelExtraction/cuboiddecomposition.h"
#include "Model/ModelExtraction/extractedmodel.h"
#include "Model/ModelExtraction/netlistfile.h"
#include "cantileverscenes.h"
#include "catalogtesthome.h"
#include "childprocess.h"
#include "filecontents.h"
#include "fulldisk.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace Model::ModelExtraction;
using CantileverScenes::Beam;
using States = std::vector<uint32_t>;

struct BeamCase {
    uint32_t material, sx, sy, sz;
    double cellSizeX, mass, stiffness;
};
Q_DECLARE_METATYPE(BeamCase)

namespace {

QStringList texts(const std::vector<EnvelopePtr> &boxes)
{
    QStringList t;
    for (const auto &e : boxes)
        t << QString::asprintf("%u %u %u %ux%ux%u m%u", e->x0, e->y0, e->z0, e->sx, e->sy, e->sz, e->material);
    return t;
}

// Every link as "i.f-j": box i's face f touches box j (indices into the list).
QStringList links(const std::vector<EnvelopePtr> &boxes)
{
    QStringList t;
    for (size_t i = 0; i < boxes.size(); ++i) {
        for (unsigned f = 0; f < 6; ++f) {
            if (const RectangularCuboidEnvelope *n = boxes[i]->neighbour(f)) {
                size_t j = 0;
                while (j < boxes.size() && boxes[j].get() != n)
                    ++j;
                t << QString::asprintf("%zu.%u-%zu", i, f, j);
            }
        }
    }
    return t;
}

ExtractedModel boxesOf(Model::Automaton::TotalVolume &volume)
{
    return ExtractedModel(CuboidDecomposition(volume).run());
}

std::shared_ptr<CantileverStructure> beamsOf(Model::Automaton::TotalVolume &volume)
{
    CantileverModelRule rule;
    return std::dynamic_pointer_cast<CantileverStructure>(rule.apply(boxesOf(volume)));
}

bool near(double actual, double expected) { return std::abs(actual / expected - 1.0) < 1e-6; }

QString readText(const QString &fileName) { return QString::fromUtf8(fileContents(fileName)); }

// The frequency of the largest |v(1)| in an AC sweep driven by 1 A into node 1; 0 without an ngspice table.
double peakFrequency(const QString &folder, const QString &netlist, const QString &sweep, QString *log)
{
    QString deck = netlist;
    deck.truncate(deck.lastIndexOf(QLatin1String(".end ")));
    const QString table = folder + QStringLiteral("/table.txt");
    deck += QStringLiteral("i1 0 1 dc 0 ac 1\n.control\n%1\nwrdata %2 vm(1)\nquit\n.endc\n.end\n").arg(sweep, table);
    const QString deckFile = folder + QStringLiteral("/deck.cir");
    if (!writeFileContents(deckFile, deck.toUtf8()))
        return 0.0;
    const ChildResult spice = runChild(QStringLiteral("ngspice"), {QStringLiteral("-b"), deckFile});
    *log = spice.out + spice.err;
    double best = 0.0;
    double bestFrequency = 0.0;
    for (const QString &line : readText(table).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList columns = line.simplified().split(QLatin1Char(' '));
        if (columns.size() >= 2 && columns.at(1).toDouble() > best) {
            best = columns.at(1).toDouble();
            bestFrequency = columns.at(0).toDouble();
        }
    }
    return bestFrequency;
}

} // namespace

class tst_ModelExtraction : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void initTestCase() { Model::Materials::MaterialFactory::instance()->createDefaultMaterials(); }

    void smallVolumes_data()
    {
        QTest::addColumn<QList<uint>>("size");
        QTest::addColumn<States>("states"); // in cell order: x-major, z fastest
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QStringList>("links");
        QTest::newRow("one material fills one box")
            << QList<uint>{2, 2, 2} << States(8, 3u) << QStringList{"0 0 0 2x2x2 m3"} << QStringList{};
        QTest::newRow("three in a row, linked end to end")
            << QList<uint>{3, 1, 1} << States{1, 2, 3}
            << QStringList{"0 0 0 1x1x1 m1", "1 0 0 1x1x1 m2", "2 0 0 1x1x1 m3"}
            << QStringList{"0.1-1", "1.0-0", "1.1-2", "2.0-1"};
        QTest::newRow("an empty block between two boxes is walked through but links nothing")
            << QList<uint>{3, 1, 1} << States{1, 0, 1} << QStringList{"0 0 0 1x1x1 m1", "2 0 0 1x1x1 m1"}
            << QStringList{};
        // Breadth first from (0, 0): +x is queued before +y, so (1, 0) comes before (0, 1).
        QTest::newRow("breadth-first order in a 2 x 2 layer")
            << QList<uint>{2, 2, 1} << States{1, 2, 3, 4}
            << QStringList{"0 0 0 1x1x1 m1", "1 0 0 1x1x1 m3", "0 1 0 1x1x1 m2", "1 1 0 1x1x1 m4"}
            << QStringList{"0.1-1", "0.3-2", "1.0-0", "1.3-3", "2.1-3", "2.2-0", "3.0-2", "3.2-1"};
        QTest::newRow("a layer on a block")
            << QList<uint>{1, 1, 3} << States{1, 1, 4} << QStringList{"0 0 0 1x1x2 m1", "0 0 2 1x1x1 m4"}
            << QStringList{"0.5-1", "1.4-0"};
        QTest::newRow("planes of one column cut the others")
            << QList<uint>{2, 1, 2} << States{1, 2, 1, 1}
            << QStringList{"0 0 0 1x1x1 m1", "1 0 0 1x1x1 m1", "0 0 1 1x1x1 m2", "1 0 1 1x1x1 m1"}
            << QStringList{"0.1-1", "0.5-2", "1.0-0", "1.5-3", "2.1-3", "2.4-0", "3.0-2", "3.4-1"};
    }

    void smallVolumes()
    {
        QFETCH(QList<uint>, size);
        QFETCH(States, states);
        Model::Automaton::TotalVolume volume(size[0], size[1], size[2], 1.0f, 1.0f, 1.0f, Util::Vector3D(), states);
        const auto result = CuboidDecomposition(volume).run();
        QTEST(texts(result), "boxes");
        QTEST(links(result), "links");
        for (const auto &e : result) {
            uint32_t count = 0;
            for (unsigned f = 0; f < 6; ++f)
                count += e->neighbour(f) ? 1 : 0;
            QCOMPARE(e->neighbourCount(), count);
        }
    }

    void onlyWholeFacesLink()
    {
        auto a = std::make_shared<RectangularCuboidEnvelope>(0, 0, 0, 2, 2, 1, 1);
        auto besideA = std::make_shared<RectangularCuboidEnvelope>(2, 0, 0, 3, 2, 1, 4);  // a's whole +x face
        auto topLeft = std::make_shared<RectangularCuboidEnvelope>(0, 0, 1, 1, 2, 1, 4);  // half of a's top
        auto topRight = std::make_shared<RectangularCuboidEnvelope>(1, 0, 1, 1, 2, 1, 4); // the other half
        auto oneCellAway = std::make_shared<RectangularCuboidEnvelope>(0, 3, 0, 2, 2, 1, 4);
        CuboidDecomposition::linkNeighbours({a, besideA, topLeft, topRight, oneCellAway});
        QCOMPARE(a->neighbour(1), besideA.get());
        QCOMPARE(besideA->neighbour(0), a.get());
        QCOMPARE(a->neighbourCount(), 1u); // neither half of the top nor the box a cell away
        QCOMPARE(topLeft->neighbour(4), nullptr);
        QCOMPARE(topLeft->neighbour(1), topRight.get());
        QCOMPARE(topRight->neighbour(0), topLeft.get());
        QCOMPARE(oneCellAway->neighbourCount(), 0u);
    }

    void aChangeInTheLastRowOrLayerGetsItsOwnBox()
    {
        // Silicon with one aluminium cell in the last row, layer or slice: no box may hold both materials.
        const std::array<uint32_t, 3> aluminium[] = {{1, 2, 1}, {1, 1, 2}, {2, 1, 1}};
        for (const auto &at : aluminium) {
            const uint32_t x = at[0], y = at[1], z = at[2];
            auto volume = makeVolume(
                3, 3, 3, [&](uint32_t i, uint32_t j, uint32_t k) { return i == x && j == y && k == z ? 4u : 1u; });
            const auto boxes = CuboidDecomposition(*volume).run();
            QVERIFY(texts(boxes).contains(QStringLiteral("%1 %2 %3 1x1x1 m4").arg(x).arg(y).arg(z)));
            uint64_t cells = 0;
            for (const auto &e : boxes) {
                cells += uint64_t(e->sx) * e->sy * e->sz;
                if (e->material == 1)
                    QVERIFY(!(x >= e->x0 && x < e->x0 + e->sx && y >= e->y0 && y < e->y0 + e->sy && z >= e->z0 &&
                              z < e->z0 + e->sz));
            }
            QCOMPARE(cells, uint64_t(27));
        }
    }

    void boxesCoverTheOccupiedCellsWithAnyThreadCount()
    {
        auto volume = makeVolume(37, 23, 17, [](uint32_t x, uint32_t y, uint32_t z) {
            return (x + y + z) % 5 == 0 ? 0u : patternState(x / 4, y / 3, z / 2, 11, 4);
        });
        const std::vector<uint32_t> states = cellStates(*volume);
        QStringList boxes[2];
        QStringList linked[2];
        std::array<std::vector<uint32_t>, 3> planes[2];
        for (int run = 0; run < 2; ++run) {
            PoolThreads threads(run == 0 ? 1 : 4);
            CuboidDecomposition decomposition(*volume);
            const auto result = decomposition.run();
            boxes[run] = texts(result);
            linked[run] = links(result);
            planes[run] = decomposition.splitPlanes();
            std::vector<int> covered(states.size(), 0);
            for (const auto &e : result) {
                QVERIFY(e->material != 0);
                for (uint32_t x = e->x0; x < e->x0 + e->sx; ++x)
                    for (uint32_t y = e->y0; y < e->y0 + e->sy; ++y)
                        for (uint32_t z = e->z0; z < e->z0 + e->sz; ++z) {
                            QCOMPARE(states[volume->index(x, y, z)], e->material);
                            ++covered[volume->index(x, y, z)];
                        }
                // Links go both ways between faces that lie on each other.
                for (unsigned f = 0; f < 6; ++f) {
                    if (const RectangularCuboidEnvelope *n = e->neighbour(f))
                        QCOMPARE(n->neighbour(RectangularCuboidEnvelope::oppositeFace(f)), e.get());
                }
            }
            for (size_t i = 0; i < states.size(); ++i)
                QCOMPARE(covered[i], states[i] == 0 ? 0 : 1);
        }
        QVERIFY(boxes[0].size() > 100);
        QCOMPARE(boxes[1], boxes[0]);
        QCOMPARE(linked[1], linked[0]);
        QVERIFY(planes[1] == planes[0]);
    }

    void netlistOfTwoBeamsInTheOrderOfTheirTips()
    {
        // The longer poly-silicon beam is cut in two where the aluminium one ends; the walk from its tip
        // joins both pieces, and its tip lies further from cell (0, 0, 0). Cell volume 2.00129819772e-17:
        // aluminium 10 x 2 x 2 (2700 kg/m^3, 7e10 Pa), poly-Si 14 x 3 x 2 (2329 kg/m^3, 1.88e11 Pa).
        auto volume = CantileverScenes::block({Beam{4, 10, 2, 2, 2, 2}, Beam{16, 14, 3, 2, 7, 2}});
        auto structure = beamsOf(*volume);
        QVERIFY(structure);
        QCOMPARE(structure->netlist(), QStringLiteral("Model extracted by Cellforge\nc1 1 0 5.09473e-13 \n"
                                                      "l1 1 0 0.00131544 \nc2 2 0 9.22883e-13 \n"
                                                      "l2 2 0 0.000895993 \n.end \n"));
    }

    // A netlist never holds "0", "inf" or "nan": a value that leaves the double numbers is refused.
    void netlistValuesAreFiniteAndPositive_data()
    {
        QTest::addColumn<double>("metresPerCell");
        QTest::addColumn<QString>("error");
        // Aluminium 10 x 2 x 2: with 1e-306 m cells the mass (4e-917 m^3 * 2700 kg/m^3) underflows to 0, with
        // 1e294 m cells it overflows.
        QTest::newRow("1e-300 micrometres") << 1e-306
                                            << "Beam 1: its effective mass comes to 0, not a finite number above 0 "
                                               "(cell edge 1e-306 m, density 2700 kg/m^3, Young's modulus 7e+10 Pa).";
        QTest::newRow("1e300 micrometres") << 1e294 << "Beam 1: its effective mass comes to inf, not a finite number";
        QTest::newRow("smallest cell edge") << CantileverStructure::smallestCellEdgeUm * 1e-6 << QString();
        QTest::newRow("largest cell edge") << CantileverStructure::largestCellEdgeUm * 1e-6 << QString();
    }
    void netlistValuesAreFiniteAndPositive()
    {
        QFETCH(double, metresPerCell);
        QFETCH(QString, error);
        CantileverStructure structure({std::make_shared<RectangularCuboidEnvelope>(0, 0, 0, 10, 2, 2, 4)},
                                      Util::Vector3D(1.0, 1.0, 1.0));
        structure.setLengthPerUnit(metresPerCell);
        QString reason;
        const QString text = structure.netlist(&reason);
        QCOMPARE(text.isEmpty(), !error.isEmpty());
        QVERIFY2(reason.startsWith(error), qPrintable(reason));
        for (const QString &line : text.split(QLatin1Char('\n')).mid(1, 2)) {
            bool ok = false;
            const double value = line.section(QLatin1Char(' '), 3, 3).toDouble(&ok);
            QVERIFY2(ok && value > 0.0 && std::isfinite(value), qPrintable(line));
        }
    }

    void aTipOnlyTouchesOneBoxAndNothingAboveOrBelow()
    {
        // A single box of aluminium with silicon above it: two neighbours, one of them above.
        auto volume = makeVolume(6, 3, 4, [](uint32_t x, uint32_t, uint32_t z) {
            if (x < 2)
                return 1u;
            return z == 1 ? 4u : (z == 2 && x < 4 ? 1u : 0u);
        });
        CantileverModelRule rule;
        const ExtractedModel model = boxesOf(*volume);
        rule.apply(model);
        for (const RectangularCuboidEnvelope *tip : rule.candidateTips()) {
            QVERIFY(tip->material != CantileverModelRule::siliconMaterial);
            QCOMPARE(tip->neighbourCount(), 1u);
            QVERIFY(!tip->neighbour(4) && !tip->neighbour(5));
        }
        // The aluminium beyond the silicon cap is the only free end.
        QCOMPARE(rule.candidateTipCount(), size_t(1));
        QCOMPARE(rule.candidateTips().front()->x0, 4u);
    }

    void beamValues_data()
    {
        QTest::addColumn<BeamCase>("beam");
        // A cell edge of 1 micrometre: a beam 30 long, 4 wide, 3 thick has the volume 360e-18 m^3 and
        // k = 3 E (4e-6 * 27e-18 / 12) / 27000e-18 = E * 1e-9 N/m. m = 360e-18 * density * 33 / 140.
        QTest::newRow("poly-silicon has its own modulus, 1.88e11")
            << BeamCase{16, 30, 4, 3, 1.0, 1.97632286e-13, 188.0};
        QTest::newRow("a material the user added: 5000 and 1.5e11")
            << BeamCase{2001, 30, 4, 3, 1.0, 4.24285714e-13, 150.0};
        // Cells twice as long along x: L = 60e-6, k = 3 * 7e10 * 9e-24 / 216000e-18 = 8.75 N/m.
        QTest::newRow("cells of size 2 along x") << BeamCase{4, 30, 4, 3, 2.0, 4.58228571e-13, 8.75};
        QTest::newRow("the length is the longer side, along y here")
            << BeamCase{4, 4, 30, 3, 1.0, 2.29114286e-13, 70.0};
        // 1300^3 = 2.197e9 exceeds 32 bits: m = 7800e-18 * 2700 * 33 / 140; k = 3 * 7e10 * (3e-6 * 8e-18 / 12)
        // / 2.197e-9
        QTest::newRow("1300 cells long") << BeamCase{4, 1300, 3, 2, 1.0, 4.96414286e-12, 1.91169777e-4};
        //   3.9e9 cells: m = 3.9e-9 * 2700 * 33 / 140; k = 3 * 7e10 * (1.5e-3 * 2.197e-9 / 12) / 8e-9
        QTest::newRow("2000 x 1500 x 1300 cells") << BeamCase{4, 2000, 1500, 1300, 1.0, 2.48207143e-06, 7208906.25};
    }

    void beamValues()
    {
        QFETCH(BeamCase, beam);
        auto catalogue = Model::Materials::MaterialFactory::instance();
        QVERIFY(
            catalogue->setMaterial(Model::Materials::Material(2001, QStringLiteral("Stiff"), 5000.0f, 1.5e11f, 0.3f)));
        CantileverStructure structure(
            {std::make_shared<RectangularCuboidEnvelope>(0, 0, 0, beam.sx, beam.sy, beam.sz, beam.material)},
            Util::Vector3D(beam.cellSizeX, 1.0, 1.0));
        structure.setLengthPerUnit(1.0e-6);
        CantileverStructure::BeamValues v;
        QVERIFY(structure.beamValues(*structure.beams().front(), v));
        QVERIFY2(near(v.effectiveMass, beam.mass), qPrintable(QString::number(v.effectiveMass, 'g', 10)));
        QVERIFY2(near(v.stiffness, beam.stiffness), qPrintable(QString::number(v.stiffness, 'g', 10)));
    }

    void netlistFileHoldsTheTextWritten()
    {
        QTemporaryDir dir;
        const QString text = QStringLiteral("Model extracted by Cellforge\nc1 1 0 1e-12 \nl1 1 0 0.01 \n.end \n");
        QString reason;
        QVERIFY(NetlistFile::write(dir.filePath(QStringLiteral("a.cir")), text, &reason));
        QCOMPARE(readText(dir.filePath(QStringLiteral("a.cir"))), text);
        // A disk that fills up while a long netlist is written: the system's reason, the earlier file whole.
        FullDisk disk;
        const QString full = disk.filePath(QStringLiteral("a.cir"));
        QVERIFY(NetlistFile::write(full, text, &reason));
        {
            const auto limit = disk.whileWriting();
            QVERIFY(!NetlistFile::write(full, text.repeated(200), &reason));
        }
        QCOMPARE(reason, disk.reason());
        QCOMPARE(readText(full), text);
        QCOMPARE(disk.entries(), QStringList{QStringLiteral("a.cir")});
    }

    void aCircuitSimulatorFindsTheBeamsResonance()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("ngspice")).isEmpty())
            QSKIP("ngspice is not installed (Debian package ngspice): the netlist was not simulated.");
        // Physics: a poly-Si cantilever 50 x 10 x 6 cells resonates at f = 1.875^2 / (2 pi) sqrt(E I / (rho A L^4));
        // the lumped (1 / 2 pi) sqrt(k / m), m 33/140 of the mass, lies 1.5 % above. The netlist must resonate there.
        auto volume = CantileverScenes::block({Beam{16, 50, 10, 6}});
        auto structure = beamsOf(*volume);
        QVERIFY(structure);
        QTemporaryDir dir;
        const QString fileName = dir.filePath(QStringLiteral("beam.cir"));
        QString log;
        QVERIFY2(NetlistFile::write(fileName, structure->netlist(), &log), qPrintable(log));
        const double a = std::cbrt(2.00129819772e-17);
        const double L = 50 * a, w = 10 * a, t = 6 * a, rho = 2329.0, E = 1.88e11;
        const double k = 3 * E * (w * t * t * t / 12) / (L * L * L);
        const double lumped = std::sqrt(k / (33.0 / 140.0 * rho * L * w * t)) / (2 * M_PI);
        const double eulerBernoulli =
            1.875 * 1.875 / (2 * M_PI) * std::sqrt(E * (w * t * t * t / 12) / (rho * w * t * L * L * L * L));
        // A fine sweep 10 % either side of the beam theory's frequency.
        const QString sweep =
            QStringLiteral("ac lin 20001 %1 %2")
                .arg(QString::number(eulerBernoulli * 0.9, 'g', 10), QString::number(eulerBernoulli * 1.1, 'g', 10));
        const double peak = peakFrequency(dir.path(), readText(fileName), sweep, &log);
        const QString figures =
            QStringLiteral("peak %1 Hz, lumped %2 Hz, Euler-Bernoulli %3 Hz").arg(peak).arg(lumped).arg(eulerBernoulli);
        QVERIFY2(peak > 0.0, qPrintable(log));
        QVERIFY2(std::abs(peak / lumped - 1.0) < 0.005, qPrintable(figures));
        QVERIFY2(std::abs(peak / eulerBernoulli - 1.0) < 0.03, qPrintable(figures));
    }
};

QTEST_GUILESS_MAIN(tst_ModelExtraction)
#include "tst_modelextraction.moc"
