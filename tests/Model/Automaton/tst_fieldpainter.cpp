#include "Model/Automaton/colorscale.h"
#include "Model/Automaton/fieldpainter.h"
#include "Model/Automaton/particlecounts.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Materials/materialfactory.h"
#include "catalogtesthome.h"

#include <QtTest>

#include <map>

using Model::Automaton::ColorScale;
using Model::Automaton::FieldPainter;
using Model::Automaton::ParticleCounts;
using Model::Automaton::TotalVolume;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Color = std::array<float, 4>;

namespace {

constexpr uint32_t Glass = 120; // a transparent material

// A row of four cells along x, every one a material with faces all round; the counts are given
// per cell (N and P), an empty list leaving that field out.
std::shared_ptr<TotalVolume> row(const QVector<int> &n, const QVector<int> &p, uint32_t material = 1)
{
    auto volume =
        std::make_shared<TotalVolume>(4, 1, 1, 1.0f, 1.0f, 1.0f, Util::Vector3D(), std::vector<uint32_t>(4, material));
    auto attach = [&](const QVector<int> &values, const QString &name) {
        if (values.empty())
            return;
        auto counts = std::make_shared<ParticleCounts>(4);
        for (size_t i = 0; i < 4; ++i) {
            // Spread over two slots: the view sums all seven.
            counts->cell(i)[6] = uint32_t(values[int(i)] / 2);
            counts->cell(i)[3] = uint32_t(values[int(i)] - values[int(i)] / 2);
        }
        ParticleCounts::attach(*volume, name, counts);
    };
    attach(n, ParticleCounts::nTypeName());
    attach(p, ParticleCounts::pTypeName());
    return volume;
}

// The colour each cell's faces were drawn with (all faces of a cell share it), by the cell's x.
std::map<uint32_t, Color> cellColors(const FieldPainter &painter)
{
    std::map<uint32_t, Color> colors;
    for (const auto &face : painter.opaqueFaces()) {
        // Half a cell back from the face's centre along its normal lies the cell's centre.
        const float centre = (face.corners[0][0] + face.corners[1][0] + face.corners[2][0] + face.corners[3][0]) / 4;
        colors[uint32_t(std::floor(centre - 0.5f * face.normal[0]))] = face.fillColor;
    }
    return colors;
}

Color material(uint32_t id) { return MaterialFactory::instance()->getMaterial(id).color(); }

Color scaleColor(uint32_t type, int index) { return ColorScale::tableOf(type)[size_t(index)]; }

void show(TotalVolume &volume, uint32_t distribution, uint32_t type = 0)
{
    auto &painter = volume.painter();
    painter.setSurfaceAlgorithm(3);
    painter.setParticleDistribution(distribution);
    painter.setColorScaleType(type);
    QVERIFY(painter.regenerateSurface());
}

} // namespace

class tst_FieldPainter : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void initTestCase()
    {
        MaterialFactory::instance()->setMaterial(Material(Glass, "Glass", 1, 1, 0.1f, {0.3f, 0.3f, 0.9f, 0.4f}));
    }

    void scaleLookup_data()
    {
        QTest::addColumn<float>("minimum");
        QTest::addColumn<float>("maximum");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("index");
        QTest::newRow("minimum") << 10.0f << 20.0f << 10.0 << 0;
        QTest::newRow("maximum") << 10.0f << 20.0f << 20.0 << 255;
        QTest::newRow("middle truncates 127.5") << 10.0f << 20.0f << 15.0 << 127;
        QTest::newRow("below the range") << 10.0f << 20.0f << 5.0 << 0;
        QTest::newRow("above the range") << 10.0f << 20.0f << 25.0 << 255;
        QTest::newRow("one value: no number, first colour") << 7.0f << 7.0f << 7.0 << 0;
        QTest::newRow("negative range") << -20.0f << 10.0f << -5.0 << 127;
    }
    void scaleLookup()
    {
        QFETCH(float, minimum);
        QFETCH(float, maximum);
        QFETCH(double, value);
        QFETCH(int, index);
        ColorScale scale;
        scale.setRange(minimum, maximum);
        QCOMPARE(scale.index(value), index);
    }

    void rangesAndColours_data()
    {
        QTest::addColumn<QVector<int>>("n");
        QTest::addColumn<QVector<int>>("p");
        QTest::addColumn<uint32_t>("distribution");
        QTest::addColumn<uint32_t>("type");
        QTest::addColumn<float>("minimum");
        QTest::addColumn<float>("maximum");
        QTest::addColumn<QVector<int>>("indices"); // -1: the material's colour
        // N = 0, 10, 20, 30 and P = 5, 5, 0, 40 (so P - N = 5, -5, -20, 10).
        const QVector<int> n{0, 10, 20, 30};
        const QVector<int> p{5, 5, 0, 40};
        const QVector<int> none;
        const QVector<int> material{-1, -1, -1, -1};
        QTest::newRow("N counts") << n << p << 0u << 1u << 0.0f << 30.0f << QVector<int>{-1, 85, 170, 255};
        QTest::newRow("P counts") << n << p << 1u << 1u << 0.0f << 40.0f << QVector<int>{31, 31, -1, 255};
        QTest::newRow("signed sum P - N") << n << p << 2u << 1u << -20.0f << 10.0f << QVector<int>{212, 127, 0, 255};
        QTest::newRow("all equal: the first colour")
            << QVector<int>{7, 7, 7, 7} << none << 0u << 2u << 7.0f << 7.0f << QVector<int>{0, 0, 0, 0};
        // Without the field: material colours and the unit range.
        QTest::newRow("signed sum, no fields") << none << none << 2u << 0u << 0.0f << 1.0f << material;
        QTest::newRow("N counts, only a P field")
            << none << QVector<int>{1, 2, 3, 4} << 0u << 0u << 0.0f << 1.0f << material;
        QTest::newRow("P counts, no fields") << none << none << 1u << 0u << 0.0f << 1.0f << material;
    }
    void rangesAndColours()
    {
        QFETCH(QVector<int>, n);
        QFETCH(QVector<int>, p);
        QFETCH(uint32_t, distribution);
        QFETCH(uint32_t, type);
        QFETCH(float, minimum);
        QFETCH(float, maximum);
        QFETCH(QVector<int>, indices);
        auto volume = row(n, p);
        show(*volume, distribution, type);
        const ColorScale scale = volume->painter().fieldPainter().colorScale();
        QCOMPARE(scale.minimum(), minimum);
        QCOMPARE(scale.maximum(), maximum);
        const auto colors = cellColors(volume->painter().fieldPainter());
        QCOMPARE(colors.size(), size_t(4));
        for (uint32_t x = 0; x < 4; ++x)
            QCOMPARE(colors.at(x), indices[int(x)] < 0 ? material(1) : scaleColor(type, indices[int(x)]));
    }

    void theRangeCoversUnsettledCellsOfTheWholeVolume()
    {
        // Cell 3 is settled (not in the walk): its 1000 particles do not stretch the range. The cut
        // window shows only cells 0 and 1, but cell 2's 20 still sets the maximum.
        auto volume = row({0, 10, 20, 1000}, {});
        {
            Model::Automaton::CellLock lock(*volume);
            lock.cells()[3].setSettled(true);
        }
        volume->painter().setCutLimits({0, 0, 0}, {2, 1, 1});
        show(*volume, 0);
        QCOMPARE(volume->painter().fieldPainter().colorScale().maximum(), 20.0f);
        const auto colors = cellColors(volume->painter().fieldPainter());
        QCOMPARE(colors.size(), size_t(2));
        QCOMPARE(colors.at(1), scaleColor(0, 127));
    }

    void colouredCellsAreOpaque()
    {
        // Glass is transparent; a glass cell with particles is drawn with an opaque scale colour.
        auto volume = row({0, 5, 0, 0}, {}, Glass);
        show(*volume, 0);
        const auto &field = volume->painter().fieldPainter();
        const auto opaque = field.opaqueFaces();
        QCOMPARE(opaque.size(), size_t(6));
        for (const auto &face : opaque)
            QCOMPARE(face.fillColor, scaleColor(0, 255));
        // The three glass cells without particles stay transparent.
        QVERIFY(field.transparentFaceCount() > 0);
        for (const auto &face : field.transparentFaces())
            QCOMPARE(face.fillColor, material(Glass));
        // Another algorithm drops the field view.
        volume->painter().setSurfaceAlgorithm(0);
        QVERIFY(volume->painter().regenerateSurface());
        QCOMPARE(field.opaqueFaceCount(), size_t(0));
        QVERIFY(volume->painter().transparentFaceCount() > 0);
    }
};

QTEST_GUILESS_MAIN(tst_FieldPainter)
#include "tst_fieldpainter.moc"
