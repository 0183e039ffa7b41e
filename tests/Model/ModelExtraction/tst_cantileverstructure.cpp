#include "Model/Materials/materialfactory.h"
#include "Model/ModelExtraction/cantilevermodelrule.h"
#include "Model/ModelExtraction/cantileverstructure.h"
#include "Model/ModelExtraction/cuboiddecomposition.h"
#include "Model/ModelExtraction/extractedmodel.h"
#include "cantileverscenes.h"
#include "catalogtesthome.h"

#include <QtTest>

#include <cmath>

using namespace Model::ModelExtraction;
using CantileverScenes::Beam;

namespace {

ExtractedModel boxesOf(Model::Automaton::TotalVolume &volume)
{
    return ExtractedModel(CuboidDecomposition(volume).run());
}

std::shared_ptr<CantileverStructure> beamsOf(Model::Automaton::TotalVolume &volume)
{
    const ExtractedModel model = boxesOf(volume);
    CantileverModelRule rule;
    return std::dynamic_pointer_cast<CantileverStructure>(rule.apply(model));
}

bool near(double actual, double expected) { return std::abs(actual / expected - 1.0) < 1e-6; }

} // namespace

class tst_CantileverStructure : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void initTestCase() { Model::Materials::MaterialFactory::instance()->createDefaultMaterials(); }

    void oneSidewaysBeamGivesOneCapacitorAndOneInductor()
    {
        // Aluminium (2700 kg/m^3, 7e10 Pa), 20 cells long, 4 wide, 2 thick; the default cell edge
        // a = (2.00129819772e-17 m^3)^(1/3) = 2.7150048e-6 m.
        //   m = 20 * 4 * 2 * 2.00129819772e-17 * 2700 * 33 / 140 = 2.03789e-12 kg
        //   k = 3 E (w t^3 / 12) / L^3 = 3 * 7e10 * (4 * 8 / 12) / 8000 * a = 190.050 N/m, 1/k = 0.00526176
        auto volume = CantileverScenes::block({Beam{4, 20, 4, 2}});
        auto structure = beamsOf(*volume);
        QVERIFY(structure);
        QCOMPARE(structure->beams().size(), size_t(1));
        QCOMPARE(structure->netlist(), QStringLiteral("Model extracted by Cellforge\n"
                                                      "c1 1 0 2.03789e-12 \n"
                                                      "l1 1 0 0.00526176 \n"
                                                      ".end \n"));
    }

    void aBeamOnASupportIsNoCantilever()
    {
        auto volume = CantileverScenes::supported(Beam{4, 20, 4, 2});
        const ExtractedModel model = boxesOf(*volume);
        CantileverModelRule rule;
        QVERIFY(!rule.apply(model));
        QCOMPARE(rule.candidateTipCount(), size_t(0));
        QVERIFY(!rule.siliconEnvelopes().empty());
    }

    void twoBeamsComeInTheOrderOfTheBoxes()
    {
        // The longer poly-silicon beam is cut in two by the plane where the aluminium one ends; the walk
        // from its tip joins both pieces. Its tip lies further from cell (0, 0, 0), so it comes second.
        auto volume = CantileverScenes::block({Beam{4, 10, 2, 2, 2, 2}, Beam{16, 14, 3, 2, 7, 2}});
        auto structure = beamsOf(*volume);
        QVERIFY(structure);
        QCOMPARE(structure->beams().size(), size_t(2));
        const RectangularCuboidEnvelope &second = *structure->beams()[1];
        QCOMPARE(QList<uint32_t>({second.x0, second.y0, second.z0, second.sx, second.sy, second.sz, second.material}),
                 QList<uint32_t>({4, 7, 2, 14, 3, 2, 16}));
        // Aluminium 10 x 2 x 2: m = 40 * 2.00129819772e-17 * 2700 * 33 / 140, 1/k = 8000 * 12 / (3 * 7e10 * 2 * 1000 *
        // a) Poly-Si 14 x 3 x 2 (2329 kg/m^3, 1.88e11 Pa): m = 84 * 2.00129819772e-17 * 2329 * 33 / 140
        QCOMPARE(structure->netlist(), QStringLiteral("Model extracted by Cellforge\n"
                                                      "c1 1 0 5.09473e-13 \n"
                                                      "l1 1 0 0.00131544 \n"
                                                      "c2 2 0 9.22883e-13 \n"
                                                      "l2 2 0 0.000895993 \n"
                                                      ".end \n"));
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

    void valuesFromTheCatalogueAndTheCellEdge_data()
    {
        QTest::addColumn<uint32_t>("material");
        QTest::addColumn<uint32_t>("sx");
        QTest::addColumn<double>("cellSizeX");
        QTest::addColumn<double>("mass");
        QTest::addColumn<double>("stiffness");
        // A cell edge of 1 micrometre: a beam 30 long, 4 wide, 3 thick has the volume 360e-18 m^3 and
        // k = 3 E (4e-6 * 27e-18 / 12) / 27000e-18 = E * 1e-9 N/m. m = 360e-18 * density * 33 / 140.
        QTest::newRow("aluminium") << 4u << 30u << 1.0 << 2.29114286e-13 << 70.0;
        QTest::newRow("poly-silicon has its own modulus, 1.88e11") << 16u << 30u << 1.0 << 1.97632286e-13 << 188.0;
        QTest::newRow("thermal oxide has its own density, 2200") << 3u << 30u << 1.0 << 1.86685714e-13 << 70.0;
        QTest::newRow("a material the user added: 5000 and 1.5e11") << 2001u << 30u << 1.0 << 4.24285714e-13 << 150.0;
        // Cells twice as long along x: L = 60e-6, k = 3 * 7e10 * 9e-24 / 216000e-18 = 8.75 N/m.
        QTest::newRow("cells of size 2 along x") << 4u << 30u << 2.0 << 4.58228571e-13 << 8.75;
        QTest::newRow("the length is the longer side, along y here") << 4u << 4u << 1.0 << 2.29114286e-13 << 70.0;
    }

    void valuesFromTheCatalogueAndTheCellEdge()
    {
        QFETCH(uint32_t, material);
        QFETCH(uint32_t, sx);
        QFETCH(double, cellSizeX);
        QFETCH(double, mass);
        QFETCH(double, stiffness);
        auto catalogue = Model::Materials::MaterialFactory::instance();
        QVERIFY(
            catalogue->setMaterial(Model::Materials::Material(2001, QStringLiteral("Stiff"), 5000.0f, 1.5e11f, 0.3f)));
        const uint32_t sy = sx == 30 ? 4 : 30;
        CantileverStructure structure({std::make_shared<RectangularCuboidEnvelope>(0, 0, 0, sx, sy, 3, material)},
                                      Util::Vector3D(cellSizeX, 1.0, 1.0));
        structure.setLengthPerUnit(1.0e-6);
        CantileverStructure::BeamValues v;
        QVERIFY(structure.beamValues(*structure.beams().front(), v));
        QVERIFY2(near(v.effectiveMass, mass), qPrintable(QString::number(v.effectiveMass, 'g', 10)));
        QVERIFY2(near(v.stiffness, stiffness), qPrintable(QString::number(v.stiffness, 'g', 10)));
        QVERIFY(near(v.effectiveMass, v.mass * 33.0 / 140.0));
    }

    void longAndThickBeamsDoNotOverflow_data()
    {
        QTest::addColumn<uint32_t>("sx");
        QTest::addColumn<uint32_t>("sy");
        QTest::addColumn<uint32_t>("sz");
        QTest::addColumn<double>("mass");
        QTest::addColumn<double>("stiffness");
        // Aluminium, cell edge 1 micrometre. 1300^3 = 2.197e9 cells exceeds a 32-bit integer.
        //   m = 7800e-18 * 2700 * 33 / 140; k = 3 * 7e10 * (3e-6 * 8e-18 / 12) / 2.197e-9
        QTest::newRow("1300 cells long") << 1300u << 3u << 2u << 4.96414286e-12 << 1.91169777e-4;
        //   3.9e9 cells: m = 3.9e-9 * 2700 * 33 / 140; k = 3 * 7e10 * (1.5e-3 * 2.197e-9 / 12) / 8e-9
        QTest::newRow("2000 x 1500 x 1300 cells") << 2000u << 1500u << 1300u << 2.48207143e-06 << 7208906.25;
    }

    void longAndThickBeamsDoNotOverflow()
    {
        QFETCH(uint32_t, sx);
        QFETCH(uint32_t, sy);
        QFETCH(uint32_t, sz);
        QFETCH(double, mass);
        QFETCH(double, stiffness);
        CantileverStructure structure({std::make_shared<RectangularCuboidEnvelope>(0, 0, 0, sx, sy, sz, 4)},
                                      Util::Vector3D(1.0, 1.0, 1.0));
        structure.setLengthPerUnit(1.0e-6);
        CantileverStructure::BeamValues v;
        QVERIFY(structure.beamValues(*structure.beams().front(), v));
        QVERIFY2(near(v.effectiveMass, mass), qPrintable(QString::number(v.effectiveMass, 'g', 10)));
        QVERIFY2(near(v.stiffness, stiffness), qPrintable(QString::number(v.stiffness, 'g', 10)));
    }

    void resonanceFollowsTheBeamTheory()
    {
        // Physics, not the code: a slender poly-silicon cantilever (L / t = 20) resonates at the
        // Euler-Bernoulli first mode f = 1.875^2 / (2 pi) * sqrt(E I / (rho A L^4)); the lumped model
        // (1 / 2 pi) sqrt(k / m) with m = 33/140 of the mass is known to lie 1.5 % above it.
        auto volume = CantileverScenes::block({Beam{16, 60, 6, 3}});
        auto structure = beamsOf(*volume);
        QVERIFY(structure);
        CantileverStructure::BeamValues v;
        QVERIFY(structure->beamValues(*structure->beams().front(), v));
        const double a = std::cbrt(2.00129819772e-17);
        const double L = 60 * a, w = 6 * a, t = 3 * a, E = 1.88e11, rho = 2329.0;
        const double eulerBernoulli =
            1.875 * 1.875 / (2 * M_PI) * std::sqrt(E * (w * t * t * t / 12) / (rho * w * t * L * L * L * L));
        const double lumped = std::sqrt(v.stiffness / v.effectiveMass) / (2 * M_PI);
        QVERIFY2(std::abs(lumped / eulerBernoulli - 1.0) < 0.03,
                 qPrintable(QStringLiteral("%1 Hz against %2 Hz").arg(lumped).arg(eulerBernoulli)));
        QVERIFY(lumped > eulerBernoulli);
        // 163 micrometres of poly-silicon 8 micrometres thick: a few hundred kilohertz.
        QVERIFY(eulerBernoulli > 2.0e5 && eulerBernoulli < 5.0e5);
    }

    void theDefaultCellEdgeKeepsTheCellVolume()
    {
        const double a = CantileverStructure::defaultLengthPerUnit();
        QVERIFY(std::abs(a * a * a / 2.00129819772e-17 - 1.0) < 1e-12);
        QVERIFY(a > 2.714e-6 && a < 2.716e-6);
    }

    void aMaterialWithoutConstantsGivesNoNetlist()
    {
        CantileverStructure structure({std::make_shared<RectangularCuboidEnvelope>(0, 0, 0, 10, 2, 2, 999)},
                                      Util::Vector3D(1.0, 1.0, 1.0));
        QString error;
        QVERIFY(structure.netlist(&error).isEmpty());
        QVERIFY2(error.contains(QLatin1String("999")), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(tst_CantileverStructure)
#include "tst_cantileverstructure.moc"
