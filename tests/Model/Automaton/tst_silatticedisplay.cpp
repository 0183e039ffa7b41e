#include "Core/Operations/atomicstructuresimplesiwetetch.h"
#include "Model/Automaton/silattice.h"
#include "Model/Automaton/silatticedisplay.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "catalogtesthome.h"
#include "siwetetchscenes.h"
#include "volumetesthelpers.h"

#include <QtTest>

using namespace Model::Automaton;

namespace {

constexpr uint32_t Si = 1;

template <class F> void forEachSite(const SiLattice &l, F &&f)
{
    for (int32_t i = 0; i < int32_t(l.sizeI()); ++i)
        for (int32_t j = l.rowBegin(i); j < l.rowEnd(i); ++j)
            for (int32_t k = 0; k < int32_t(l.sizeK()); ++k)
                for (uint32_t b = 0; b < 8; ++b)
                    f(SiSite{i, j, k, b});
}

LatticeDisplayFlags show(bool atoms, bool surfaceOnly, bool links, bool cells, bool outlines)
{
    LatticeDisplayFlags flags;
    flags.renderSiAtoms = atoms;
    flags.renderSurfaceAtomsOnly = surfaceOnly;
    flags.renderSiAtomLinks = links;
    flags.renderSiUnitCells = cells;
    flags.renderSiUnitCellOutlines = outlines;
    return flags;
}

} // namespace

class tst_SiLatticeDisplay : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void nothingWithoutALatticeOrFlags()
    {
        auto volume = makeVolume(4, 4, 3, [](uint32_t, uint32_t, uint32_t z) { return z < 2 ? Si : 0u; });
        volume->painter().setLatticeFlags(show(true, false, true, true, true));
        volume->painter().regenerateSurface();
        QCOMPARE(volume->painter().latticeDisplay().atomCount(), size_t(0));
        volume->createSiLattice();
        volume->painter().setLatticeFlags(LatticeDisplayFlags());
        volume->painter().regenerateSurface();
        QCOMPARE(volume->painter().latticeDisplay().atomCount(), size_t(0));
        QCOMPARE(volume->painter().latticeDisplay().unitCellCount(), size_t(0));
    }

    void showsPresentAtomsLinksAndUnitCells()
    {
        const WetEtchScene::Pit pit{10, 5, 4};
        auto volume = pit.volume();
        auto lattice = volume->createSiLattice();
        Core::Operations::AtomicStructureSimpleSiWetEtch(*volume, 1.0).run();
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
        auto &painter = volume->painter();
        painter.setLatticeFlags(show(true, false, true, false, true));
        painter.regenerateSurface();
        const SiLatticeDisplay &display = painter.latticeDisplay();
        QCOMPARE(display.atomCount(), present);
        QCOMPARE(display.linkCount(), links / 2); // each bond once
        QVERIFY(display.unitCellCount() > 0);
        // Every link joins two atoms a bond apart.
        const auto ends = display.linkEnds();
        for (size_t l = 0; l < ends.size(); l += 6) {
            const double dx = ends[l] - ends[l + 3], dy = ends[l + 1] - ends[l + 4], dz = ends[l + 2] - ends[l + 5];
            QVERIFY(std::abs(std::sqrt(dx * dx + dy * dy + dz * dz) - std::sqrt(3.0) / 4.0) < 1e-5);
        }
        painter.setLatticeFlags(show(true, true, false, false, false));
        painter.regenerateSurface();
        QCOMPARE(display.atomCount(), surface);
        QCOMPARE(display.linkCount(), size_t(0));
        QCOMPARE(display.unitCellCount(), size_t(0));
    }

    void coveredSiliconHasNoSurfaceAtoms()
    {
        // Under the mask and cut by the volume's faces, every atom has four neighbours.
        const WetEtchScene::Pit covered{6, 3, 0};
        auto volume = covered.volume();
        volume->createSiLattice();
        volume->painter().setLatticeFlags(show(true, true, false, false, false));
        volume->painter().regenerateSurface();
        QCOMPARE(volume->painter().latticeDisplay().atomCount(), size_t(0));
        volume->painter().setLatticeFlags(show(true, false, false, false, false));
        volume->painter().regenerateSurface();
        QCOMPARE(volume->painter().latticeDisplay().atomCount(), volume->siLattice()->presentAtomCount());
    }

    void clippedByTheCutPlanes()
    {
        auto volume = makeVolume(8, 8, 4, [](uint32_t, uint32_t, uint32_t) { return Si; });
        volume->createSiLattice();
        auto &painter = volume->painter();
        painter.setLatticeFlags(show(true, false, true, true, false));
        painter.regenerateSurface();
        const size_t all = painter.latticeDisplay().atomCount();
        const size_t allCells = painter.latticeDisplay().unitCellCount();
        painter.setCutLimits({2, 0, 0}, {5, 8, 2});
        painter.regenerateSurface();
        const auto atoms = painter.latticeDisplay().atomPositions();
        QVERIFY(!atoms.empty() && atoms.size() / 3 < all / 4);
        for (size_t a = 0; a < atoms.size(); a += 3) {
            QVERIFY(atoms[a] >= 2.0f && atoms[a] < 5.0f);
            QVERIFY(atoms[a + 2] < 2.0f);
        }
        for (float end : painter.latticeDisplay().linkEnds())
            QVERIFY(!std::isnan(end));
        QVERIFY(painter.latticeDisplay().unitCellCount() < allCells / 4);
    }

    void tooManyAtomsAreShownInPartAndTold()
    {
        auto volume = makeVolume(40, 40, 40, [](uint32_t, uint32_t, uint32_t) { return Si; });
        volume->createSiLattice();
        auto &painter = volume->painter();
        painter.setLatticeFlags(show(true, false, false, false, false));
        QVERIFY(painter.regenerateSurface());
        QCOMPARE(painter.latticeDisplay().atomCount(), SiLatticeDisplay::maximumAtoms);
        QVERIFY(painter.takeSurfaceFailure().contains(QLatin1String("too large to be shown whole")));
        QVERIFY(painter.opaqueFaceCount() > 0); // the surface itself is whole
    }
};

QTEST_GUILESS_MAIN(tst_SiLatticeDisplay)
#include "tst_silatticedisplay.moc"
