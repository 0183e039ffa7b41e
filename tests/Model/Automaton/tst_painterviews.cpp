// The optional views of a shown surface: particle counts in scale colours and the silicon lattice.
#include "Core/Engines/Lattice/bondcountingwetetchengine.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Surfaces/colorscale.h"
#include "Model/Surfaces/fieldpainter.h"
#include "Model/Surfaces/silatticedisplay.h"
#include "Model/Volume/particlecounts.h"
#include "Model/Volume/siatom.h"
#include "Model/Volume/sicell.h"
#include "Model/Volume/silattice.h"
#include "Model/Volume/surfaceflux.h"
#include "Model/Volume/totalvolume.h"
#include "Util/vector4d.h"
#include "catalogtesthome.h"
#include "siwetetchscenes.h"
#include "surfaceof.h"
#include "volumetesthelpers.h"

#include <QColor>
#include <QtTest>

#include <cmath>
#include <map>
#include <set>
#include <tuple>

using namespace Model::Automaton;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Color = std::array<float, 4>;

namespace {

constexpr uint32_t Glass = 120; // a transparent material

// A row of four cells along x with N and P counts per cell; an empty list leaves that field out.
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

// Whether a colour is the one given in bytes, give or take the rounding of one byte.
bool sameBytes(const Color &c, const QColor &bytes)
{
    const int want[3] = {bytes.red(), bytes.green(), bytes.blue()};
    for (int i = 0; i < 3; ++i) {
        if (std::abs(int(std::lround(c[size_t(i)] * 255.0f)) - want[i]) > 1)
            return false;
    }
    return true;
}

Color scaleColor(uint32_t type, int index) { return ColorScale::tableOf(type)[size_t(index)]; }

void showField(const TotalVolumePtr &volume, uint32_t distribution, uint32_t type = 0)
{
    auto &view = volume->view();
    view.setSurfaceAlgorithm(Model::Automaton::SurfaceAlgorithm::ParticleCountField);
    view.setParticleDistribution(distribution);
    view.setColorScaleType(type);
    QVERIFY(surfaceOf(volume).regenerate());
}

constexpr uint32_t Si = 1;
constexpr uint32_t Oxide = 3;

double distance(const Util::Vector3D &a, const Util::Vector3D &b)
{
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

template <class F> void forEachSite(const SiLattice &l, F &&f)
{
    for (int32_t i = 0; i < int32_t(l.sizeI()); ++i)
        for (int32_t j = l.rowBegin(i); j < l.rowEnd(i); ++j)
            for (int32_t k = 0; k < int32_t(l.sizeK()); ++k)
                for (uint32_t b = 0; b < 8; ++b)
                    f(SiSite{i, j, k, b});
}

/// Silicon below z = 4, oxide at z = 4 over x < 6, empty above; an oxide block in the corner x, y >= 10, z >= 6.
uint32_t layered(uint32_t x, uint32_t y, uint32_t z)
{
    if (z < 4)
        return Si;
    if (z == 4 && x < 6)
        return Oxide;
    if (x >= 10 && y >= 10 && z >= 6)
        return Oxide;
    return 0;
}

uint32_t silicon(uint32_t, uint32_t, uint32_t) { return Si; }

// The lattice display of the volume after a new surface with the flags given.
const SiLatticeDisplay &show(const TotalVolumePtr &volume, bool atoms, bool surfaceOnly, bool links, bool cells,
                             bool outlines)
{
    LatticeDisplayFlags flags;
    flags.renderSiAtoms = atoms;
    flags.renderSurfaceAtomsOnly = surfaceOnly;
    flags.renderSiAtomLinks = links;
    flags.renderSiUnitCells = cells;
    flags.renderSiUnitCellOutlines = outlines;
    volume->view().setLatticeFlags(flags);
    surfaceOf(volume).regenerate();
    return surfaceOf(volume).latticeDisplay();
}

// Particle counts of the row's cells and the view of them: the scale's range and each cell's colour index.
struct FieldCase {
    QVector<int> n, p;
    uint32_t distribution, type;
    float minimum, maximum;
    QVector<int> indices; // -1: the material's colour
};

} // namespace

Q_DECLARE_METATYPE(FieldCase)

class tst_PainterViews : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void initTestCase()
    {
        MaterialFactory::instance()->setMaterial(Material(Glass, "Glass", 1, 1, 0.1f, {0.3f, 0.3f, 0.9f, 0.4f}));
    }

    void scaleLookup()
    {
        // Minimum, maximum, value and index: the middle truncates 127.5; one value has no number, the first colour.
        const std::tuple<float, float, double, int> cases[] = {{10, 20, 10, 0},   {10, 20, 20, 255}, {10, 20, 15, 127},
                                                               {10, 20, 5, 0},    {10, 20, 25, 255}, {7, 7, 7, 0},
                                                               {-20, 10, -5, 127}};
        for (const auto &[minimum, maximum, value, index] : cases) {
            ColorScale scale;
            scale.setRange(minimum, maximum);
            QCOMPARE(scale.index(value), index);
        }
    }

    // CIELAB of sRGB red and white (D65), as published colour calculators give them.
    void labOfKnownColours()
    {
        const auto red = ColorScale::toLab({1, 0, 0, 1});
        QVERIFY(std::fabs(red[0] - 53.24) < 0.01 && std::fabs(red[1] - 80.09) < 0.01 &&
                std::fabs(red[2] - 67.20) < 0.01);
        const auto white = ColorScale::toLab({1, 1, 1, 1});
        QVERIFY(std::fabs(white[0] - 100.0) < 1e-3 && std::fabs(white[1]) < 0.01 && std::fabs(white[2]) < 0.01);
        const Color back = ColorScale::fromLab(red[0], red[1], red[2]);
        for (int i = 0; i < 3; ++i)
            QVERIFY(std::fabs(back[size_t(i)] - (i == 0 ? 1.0f : 0.0f)) < 1e-4f);
    }

    void scalesStepEvenlyFromALightEnd_data()
    {
        QTest::addColumn<uint32_t>("type");
        QTest::addColumn<QColor>("first");
        QTest::addColumn<QColor>("last");
        // Gray from L* 95 to 20; viridis from its yellow (#fde725) to its dark blue (#440154).
        QTest::newRow("Gray Scale") << 0u << QColor(241, 241, 241) << QColor(48, 48, 48);
        QTest::newRow("Yellow to Blue") << 2u << QColor(0xfd, 0xe7, 0x25) << QColor(0x44, 0x01, 0x54);
    }
    // Few particles must not paint the picture dark: the sequential scales start light and their
    // lightness L* falls by about the same amount all the way (per sixteen entries, as tables of
    // bytes repeat a colour now and then).
    void scalesStepEvenlyFromALightEnd()
    {
        QFETCH(uint32_t, type);
        QFETCH(QColor, first);
        QFETCH(QColor, last);
        const auto table = ColorScale::tableOf(type);
        QVERIFY(sameBytes(table.front(), first));
        QVERIFY(sameBytes(table.back(), last));
        QVERIFY(ColorScale::toLab(table.front())[0] > 85.0);
        double least = 1e9, most = 0.0;
        for (int i = 16; i < ColorScale::entries; ++i) {
            const double step = ColorScale::toLab(table[size_t(i - 16)])[0] - ColorScale::toLab(table[size_t(i)])[0];
            least = std::min(least, step);
            most = std::max(most, step);
        }
        QVERIFY2(least > 0.0 && most < 1.4 * least, qPrintable(QStringLiteral("%1 to %2").arg(least).arg(most)));
    }

    // Red to Blue diverges through a light middle to Moreland's cool-warm ends, each half darker
    // away from the middle.
    void redToBlueDivergesThroughLightGray()
    {
        const auto table = ColorScale::tableOf(1);
        QVERIFY(sameBytes(table.front(), QColor(180, 4, 38)));
        QVERIFY(sameBytes(table.back(), QColor(59, 76, 192)));
        QVERIFY(ColorScale::toLab(table[127])[0] > 85.0 && ColorScale::toLab(table[128])[0] > 85.0);
        for (int i = 1; i < 128; ++i) {
            QVERIFY(ColorScale::toLab(table[size_t(i)])[0] > ColorScale::toLab(table[size_t(i - 1)])[0]);
            QVERIFY(ColorScale::toLab(table[size_t(255 - i)])[0] > ColorScale::toLab(table[size_t(256 - i)])[0]);
        }
    }

    void legendNumbersHaveAtMostFourDigits_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("1.25e+02") << 125.0 << "125";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("a half") << 0.5 << "0.5";
        QTest::newRow("four digits") << 1234.0 << "1234";
        QTest::newRow("five digits") << 12346.0 << "1.235e+04";
        QTest::newRow("negative") << -20.0 << "-20";
        QTest::newRow("small") << 0.000012346 << "1.235e-05";
    }
    void legendNumbersHaveAtMostFourDigits()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        const QLocale old;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QString shown = ColorScale::valueText(value);
        QLocale::setDefault(old);
        QCOMPARE(shown, text);
        QCOMPARE(FieldPainter::quantityName(1), QStringLiteral("Random Walk Particle Count Type P"));
        QCOMPARE(FieldPainter::unit(), QStringLiteral("particles per cell"));
    }

    void rangesAndColours_data()
    {
        QTest::addColumn<FieldCase>("c");
        // N = 0, 10, 20, 30 and P = 5, 5, 0, 40 (so P - N = 5, -5, -20, 10); without the field material colours.
        const QVector<int> n{0, 10, 20, 30}, p{5, 5, 0, 40}, material{-1, -1, -1, -1};
        QTest::newRow("N counts") << FieldCase{n, p, 0, 1, 0, 30, {-1, 85, 170, 255}};
        QTest::newRow("P counts") << FieldCase{n, p, 1, 1, 0, 40, {31, 31, -1, 255}};
        QTest::newRow("signed sum P - N") << FieldCase{n, p, 2, 1, -20, 10, {212, 127, 0, 255}};
        QTest::newRow("all equal: the first colour") << FieldCase{{7, 7, 7, 7}, {}, 0, 2, 7, 7, {0, 0, 0, 0}};
        QTest::newRow("signed sum, no fields") << FieldCase{{}, {}, 2, 0, 0, 1, material};
        QTest::newRow("N counts, only a P field") << FieldCase{{}, {1, 2, 3, 4}, 0, 0, 0, 1, material};
    }
    void rangesAndColours()
    {
        QFETCH(FieldCase, c);
        auto volume = row(c.n, c.p);
        showField(volume, c.distribution, c.type);
        const ColorScale scale = surfaceOf(volume).fieldPainter().colorScale();
        QCOMPARE(scale.minimum(), c.minimum);
        QCOMPARE(scale.maximum(), c.maximum);
        const auto colors = cellColors(surfaceOf(volume).fieldPainter());
        QCOMPARE(colors.size(), size_t(4));
        for (uint32_t x = 0; x < 4; ++x)
            QCOMPARE(colors.at(x), c.indices[int(x)] < 0 ? material(1) : scaleColor(c.type, c.indices[int(x)]));
    }

    void theRangeCoversTheWalksCellsOfTheWholeVolume()
    {
        // Cell 3 took no part in the walk: its 1000 particles do not stretch the range; cell 2's 20
        // does, though cut away.
        auto volume = row({0, 10, 20, 1000}, {});
        {
            Model::Automaton::CellLock lock(*volume);
            volume->setWalkedCells({0b0111});
        }
        volume->view().setCutLimits({0, 0, 0}, {2, 1, 1});
        showField(volume, 0);
        QCOMPARE(surfaceOf(volume).fieldPainter().colorScale().maximum(), 20.0f);
        const auto colors = cellColors(surfaceOf(volume).fieldPainter());
        QCOMPARE(colors.size(), size_t(2));
        QCOMPARE(colors.at(1), scaleColor(0, 127));
    }

    void lineOfSightFluxColoursTheSurface()
    {
        // Silicon at z = 0, empty above. The flux of the empty cells over x = 0, 1, 2 (1, 3, 3)
        // goes to the silicon under them; the silicon cell at x = 3 has its own (5), which the
        // empty cell over it (1) does not replace. The scale spans the flux, 1 to 5.
        auto volume = std::make_shared<TotalVolume>(4, 1, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D(),
                                                    std::vector<uint32_t>{Si, 0, Si, 0, Si, 0, Si, 0});
        SurfaceFlux::attach(*volume, std::make_shared<SurfaceFlux>(
                                         SurfaceFlux::Sites{{1, 1.0}, {3, 3.0}, {5, 3.0}, {6, 5.0}, {7, 1.0}}));
        showField(volume, FieldPainter::fluxDistribution);
        const ColorScale scale = surfaceOf(volume).fieldPainter().colorScale();
        QCOMPARE(scale.minimum(), 1.0f);
        QCOMPARE(scale.maximum(), 5.0f);
        const auto colors = cellColors(surfaceOf(volume).fieldPainter());
        QCOMPARE(colors.size(), size_t(4));
        const int indices[4] = {0, 127, 127, 255};
        for (uint32_t x = 0; x < 4; ++x)
            QCOMPARE(colors.at(x), scaleColor(0, indices[x]));
        QCOMPARE(FieldPainter::quantityName(FieldPainter::fluxDistribution), QStringLiteral("Line-of-Sight Flux"));
        QCOMPARE(FieldPainter::unit(FieldPainter::fluxDistribution), QStringLiteral("relative to a flat open surface"));
    }

    void colouredCellsAreOpaque()
    {
        // Glass is transparent; a glass cell with particles is drawn with an opaque scale colour.
        auto volume = row({0, 5, 0, 0}, {}, Glass);
        showField(volume, 0);
        const auto &field = surfaceOf(volume).fieldPainter();
        const auto opaque = field.opaqueFaces();
        QCOMPARE(opaque.size(), size_t(6));
        for (const auto &face : opaque)
            QCOMPARE(face.fillColor, scaleColor(0, 255));
        // The three glass cells without particles stay transparent.
        QVERIFY(field.transparentFaceCount() > 0);
        for (const auto &face : field.transparentFaces())
            QCOMPARE(face.fillColor, material(Glass));
        // Another algorithm drops the field view.
        volume->view().setSurfaceAlgorithm(Model::Automaton::SurfaceAlgorithm::CubicFaces);
        QVERIFY(surfaceOf(volume).regenerate());
        QCOMPARE(field.opaqueFaceCount(), size_t(0));
        QVERIFY(surfaceOf(volume).transparentFaceCount() > 0);
    }

    void innerAtomsHaveFourBondsOfTheSameLength()
    {
        auto volume = makeVolume(9, 7, 5, silicon);
        volume->translate(Util::Vector4D(3, -2, 1, 0));
        auto lattice = volume->createSiLattice();
        // ceil((9 + 7) / sqrt 2) = 12 turned unit cells whose middle, i = j = 6, is the volume's:
        // unit cell (0, 0) sits at x = nx / 2, y = ny / 2 - 12 / sqrt 2.
        QCOMPARE((QList<uint32_t>{lattice->sizeI(), lattice->sizeJ(), lattice->sizeK()}), (QList<uint32_t>{12, 12, 5}));
        const SiSite site{3, 5, 2, 6};
        QCOMPARE(lattice->site(lattice->key(site)), site);
        const auto origin = lattice->unitCellOrigin(0, 0, 0);
        QCOMPARE(origin[0], 4.5);
        QVERIFY(std::abs(origin[1] - (3.5 - 12.0 / std::sqrt(2.0))) < 1e-12);
        QCOMPARE(origin[2], 0.0);
        const double length = std::sqrt(3.0) / 4.0;
        size_t checked = 0;
        forEachSite(*lattice, [&](const SiSite &s) {
            if (lattice->state(s) != SiLattice::Present)
                return;
            for (uint32_t slot = 0; slot < 4; ++slot) {
                if (!lattice->inGrid(SiLattice::neighbourSite(s, slot)))
                    return; // at the grid's border
            }
            // Diamond: four distinct neighbours a quarter diagonal away, bonded back through the opposite slot.
            const SiAtom atom = lattice->atom(s);
            std::set<std::array<double, 3>> ends;
            for (uint32_t slot = 0; slot < 4; ++slot) {
                const SiAtom other = atom.bond(slot);
                QVERIFY(!other.isNull());
                QVERIFY(std::abs(distance(atom.position(), other.position()) - length) < 1e-9);
                QVERIFY(other.bond(3 - slot) == atom);
                ends.insert({other.position().x, other.position().y, other.position().z});
            }
            QCOMPARE(ends.size(), size_t(4));
            ++checked;
        });
        QVERIFY(checked > 9 * 7 * 3 * 7);
        // Atom positions are scene positions: the volume's corner added.
        const SiAtom any = lattice->unitCell(8, 8, 2).atom(0);
        const auto f = lattice->cellCoordinates(any.site());
        QVERIFY(std::abs(any.position().x - (3 + f[0])) + std::abs(any.position().y - (-2 + f[1])) +
                    std::abs(any.position().z - (1 + f[2])) <
                1e-9);
    }

    void layeredScene()
    {
        auto volume = makeVolume(14, 14, 9, layered);
        {
            // The counts of an earlier lattice go with it.
            auto stale = volume->createSiLattice();
            for (size_t c = 0; c < volume->cellCount(); ++c)
                stale->setAtomCount(c, 99);
        }
        auto lattice = volume->createSiLattice();
        size_t present = 0, fixedInOxide = 0, outside = 0, border = 0, covered = 0;
        bool farOxideKept = false;
        std::vector<uint32_t> perCell(volume->cellCount(), 0);
        forEachSite(*lattice, [&](const SiSite &s) {
            const int64_t cell = lattice->cellIndex(s);
            const auto f = lattice->cellCoordinates(s);
            const uint8_t state = lattice->state(s);
            if (f[0] >= 11 && f[1] >= 11 && f[2] >= 7 && f[0] < 14 && f[1] < 14)
                farOxideKept = farOxideKept || lattice->isKept(s.i, s.j, s.k);
            if (cell < 0) {
                // Beyond the volume's faces: fixed, part of the wafer around the volume.
                QVERIFY(f[0] < 0 || f[0] >= 14 || f[1] < 0 || f[1] >= 14);
                QCOMPARE(state, uint8_t(SiLattice::Fixed));
                ++outside;
                return;
            }
            const uint32_t x = uint32_t(std::floor(f[0])), y = uint32_t(std::floor(f[1])), z = uint32_t(f[2]);
            QCOMPARE(cell, int64_t(volume->index(x, y, z)));
            const uint32_t material = layered(x, y, z);
            const uint8_t expected = material == Si  ? SiLattice::Present
                                     : material == 0 ? SiLattice::Absent
                                                     : SiLattice::Fixed;
            QCOMPARE(state, expected);
            fixedInOxide += state == SiLattice::Fixed;
            if (state != SiLattice::Present)
                return;
            ++present;
            ++perCell[size_t(cell)];
            // What the etches read across a slot is the bonded atom's state, and fixed beyond the grid.
            const SiAtom atom = lattice->atom(s);
            for (uint32_t slot = 0; slot < 4; ++slot) {
                if (!lattice->inGrid(SiLattice::neighbourSite(s, slot))) {
                    QCOMPARE(atom.bondState(slot), uint32_t(SiLattice::Fixed));
                    ++border;
                } else if (atom.bond(slot).isNull()) {
                    QCOMPARE(atom.bondState(slot), uint32_t(SiLattice::Absent));
                } else {
                    QCOMPARE(atom.bondState(slot), atom.bond(slot).state());
                }
            }
            // The oxide on the silicon is kept with its unit cells: the atoms under it keep their upward bonds.
            if (s.k == 3 && f[0] <= 5.0 && f[0] >= 1.0 && f[1] >= 1.0 && f[1] <= 13.0) {
                for (uint32_t slot = 0; slot < 4; ++slot)
                    QVERIFY(!atom.bond(slot).isNull() && atom.bond(slot).state() != SiLattice::Absent);
                ++covered;
            }
        });
        QCOMPARE(lattice->presentAtomCount(), present);
        QVERIFY(fixedInOxide > 0 && outside > 0 && border > 0 && covered > 50);
        // Oxide far from any silicon stays out.
        QVERIFY(!farOxideKept);
        QVERIFY(lattice->unitCell(9, 9, 1).isKept());
        // Eight atoms per unit cell of one cell: eight per silicon cell on average, give or take the
        // row of atoms more or fewer that 14 cells hold in x and in y (1 / (14 sqrt 2) each).
        QVERIFY(std::abs(double(present) / (14 * 14 * 4) - 8.0) < 8.0 * 2.0 / (14.0 * std::sqrt(2.0)));
        CellLock lock(*volume);
        for (size_t c = 0; c < volume->cellCount(); ++c) {
            QCOMPARE(lattice->atomCount(c), perCell[c]);
            if (lock.cells().state(c) == Si)
                QVERIFY(perCell[c] >= 4 && perCell[c] <= 14);
        }
    }

    void showsPresentAtomsLinksAndUnitCells()
    {
        const WetEtchScene::Pit pit{10, 5, 4};
        auto volume = pit.volume();
        auto lattice = volume->createSiLattice();
        Core::Operations::BondCountingWetEtchEngine(*volume, 1.0).run();
        size_t present = 0, surface = 0, links = 0;
        forEachSite(*lattice, [&](const SiSite &s) {
            if (lattice->state(s) != SiLattice::Present)
                return;
            ++present;
            surface += lattice->presentNeighbours(s) < 4;
            for (uint32_t slot = 0; slot < 4; ++slot) {
                const SiSite n = SiLattice::neighbourSite(s, slot);
                links += lattice->inGrid(n) && lattice->state(n) == SiLattice::Present;
            }
        });
        QVERIFY(surface > 0 && surface < present);
        const SiLatticeDisplay &display = show(volume, true, false, true, false, true);
        QCOMPARE(display.atomCount(), present);
        QCOMPARE(display.linkCount(), links / 2); // each bond once
        QVERIFY(display.unitCellCount() > 0);
        // Every link joins two atoms a bond apart.
        const auto ends = display.linkEnds();
        for (size_t l = 0; l < ends.size(); l += 6) {
            const double dx = ends[l] - ends[l + 3], dy = ends[l + 1] - ends[l + 4], dz = ends[l + 2] - ends[l + 5];
            QVERIFY(std::abs(std::sqrt(dx * dx + dy * dy + dz * dz) - std::sqrt(3.0) / 4.0) < 1e-5);
        }
        show(volume, true, true, false, false, false);
        QCOMPARE(display.atomCount(), surface);
        QCOMPARE(display.linkCount(), size_t(0));
        QCOMPARE(display.unitCellCount(), size_t(0));
        // Under the mask and cut by the volume's faces, every atom has four neighbours.
        const WetEtchScene::Pit covered{6, 3, 0};
        auto coveredVolume = covered.volume();
        coveredVolume->createSiLattice();
        QCOMPARE(show(coveredVolume, true, true, false, false, false).atomCount(), size_t(0));
        QCOMPARE(show(coveredVolume, true, false, false, false, false).atomCount(),
                 coveredVolume->siLattice()->presentAtomCount());
    }

    void clippedByTheCutPlanes()
    {
        auto volume = makeVolume(8, 8, 4, silicon);
        volume->createSiLattice();
        const size_t all = show(volume, true, false, true, true, false).atomCount();
        const size_t allCells = surfaceOf(volume).latticeDisplay().unitCellCount();
        volume->view().setCutLimits({2, 0, 0}, {5, 8, 2});
        const auto &display = show(volume, true, false, true, true, false);
        const auto atoms = display.atomPositions();
        QVERIFY(!atoms.empty() && atoms.size() / 3 < all / 4);
        for (size_t a = 0; a < atoms.size(); a += 3) {
            QVERIFY(atoms[a] >= 2.0f && atoms[a] < 5.0f);
            QVERIFY(atoms[a + 2] < 2.0f);
        }
        for (float end : display.linkEnds())
            QVERIFY(!std::isnan(end));
        QVERIFY(display.unitCellCount() < allCells / 4);
    }

    void tooManyAtomsAreShownInPartAndTold()
    {
        auto volume = makeVolume(40, 40, 40, silicon);
        volume->createSiLattice();
        QCOMPARE(show(volume, true, false, false, false, false).atomCount(), SiLatticeDisplay::maximumAtoms);
        QVERIFY(surfaceOf(volume).takeFailure().contains(QLatin1String("too large to be shown whole")));
        QVERIFY(surfaceOf(volume).opaqueFaceCount() > 0); // the surface itself is whole
    }
};

QTEST_GUILESS_MAIN(tst_PainterViews)
#include "tst_painterviews.moc"
