#include "Model/Automaton/siatom.h"
#include "Model/Automaton/sicell.h"
#include "Model/Automaton/silattice.h"
#include "Model/Automaton/totalvolume.h"
#include "Util/vector4d.h"
#include "siwetetchscenes.h"
#include "volumetesthelpers.h"

#include <QtTest>

#include <cmath>
#include <set>
#include <tuple>

using namespace Model::Automaton;

namespace {

constexpr uint32_t Si = 1;
constexpr uint32_t Oxide = 3;

using BondKey = std::tuple<int, int, int, uint32_t, uint32_t>; // offset, atom of A, atom of B

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

/// Silicon below z = 4, an oxide layer at z = 4 over x < 6, empty above; an oxide block far away
/// in the corner (x, y >= 10, z >= 6).
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

} // namespace

class tst_SiLattice : public QObject {
    Q_OBJECT
private slots:
    void gridCoversTheVolume()
    {
        auto volume = makeVolume(10, 6, 4, [](uint32_t, uint32_t, uint32_t) { return Si; });
        SiLattice lattice(*volume);
        // ceil((10 + 6) / sqrt 2) = 12
        QCOMPARE(lattice.sizeI(), 12u);
        QCOMPARE(lattice.sizeJ(), 12u);
        QCOMPARE(lattice.sizeK(), 4u);
        QCOMPARE(lattice.unitCellIndex(1, 2, 3), uint64_t((1 * 12 + 2) * 4 + 3));
        const SiSite s{3, 5, 2, 6};
        QCOMPARE(lattice.site(lattice.key(s)), s);
        // The turned grid: unit cell (0, 0) sits at x = nx / 2, y = -nx / 2.
        const auto origin = lattice.unitCellOrigin(0, 0, 0);
        QCOMPARE(origin[0], 5.0);
        QCOMPARE(origin[1], -5.0);
        const auto nextI = lattice.unitCellOrigin(1, 0, 0);
        QVERIFY(std::abs(nextI[0] - (5.0 + std::sqrt(0.5))) < 1e-12);
        QVERIFY(std::abs(nextI[1] - (-5.0 + std::sqrt(0.5))) < 1e-12);
    }

    void bondTablesAreTheDiamondLattice()
    {
        // Internal bonds and the bonds to neighbouring unit cells in the six forward directions.
        const std::set<BondKey> forward = {{0, 0, 0, 0, 2}, {0, 0, 0, 1, 2}, {0, 0, 0, 1, 3}, {0, 0, 0, 2, 4},
                                           {0, 0, 0, 2, 5}, {0, 0, 0, 4, 6}, {0, 0, 0, 5, 7}, {1, 0, 0, 3, 5},
                                           {1, 0, 0, 6, 5}, {0, 0, 1, 6, 1}, {0, 0, 1, 7, 1}, {1, 0, 1, 6, 0},
                                           {1, 1, 0, 3, 0}, {0, 1, 1, 7, 0}, {0, 1, 0, 3, 4}, {0, 1, 0, 7, 4}};
        std::set<BondKey> found;
        for (uint32_t b = 0; b < 8; ++b) {
            for (uint32_t slot = 0; slot < 4; ++slot) {
                const auto &bond = SiLattice::bond(b, slot);
                const BondKey key{bond.di, bond.dj, bond.dk, b, bond.b};
                const BondKey reverse{-bond.di, -bond.dj, -bond.dk, bond.b, b};
                const bool internal = bond.di == 0 && bond.dj == 0 && bond.dk == 0;
                if (forward.count(key))
                    found.insert(key);
                else if (forward.count(reverse))
                    found.insert(reverse);
                else if (internal && forward.count(BondKey{0, 0, 0, bond.b, b}))
                    found.insert(BondKey{0, 0, 0, bond.b, b});
                else
                    QFAIL(qPrintable(QStringLiteral("unexpected bond %1 slot %2").arg(b).arg(slot)));
            }
        }
        QCOMPARE(found, forward);
    }

    void bondSlotsPairUp()
    {
        for (uint32_t b = 0; b < 8; ++b) {
            for (uint32_t slot = 0; slot < 4; ++slot) {
                const SiSite s{5, 5, 5, b};
                const SiSite n = SiLattice::neighbourSite(s, slot);
                QCOMPARE(SiLattice::neighbourSite(n, 3 - slot), s);
                QVERIFY(n.b != b);
            }
        }
    }

    void innerAtomsHaveFourBondsOfTheSameLength()
    {
        auto volume = makeVolume(9, 7, 5, [](uint32_t, uint32_t, uint32_t) { return Si; });
        volume->translate(Util::Vector4D(3, -2, 1, 0));
        auto lattice = volume->createSiLattice();
        const double length = std::sqrt(3.0) / 4.0;
        size_t checked = 0;
        forEachSite(*lattice, [&](const SiSite &s) {
            if (lattice->state(s) != SiLattice::Present)
                return;
            for (uint32_t slot = 0; slot < 4; ++slot) {
                if (!lattice->inGrid(SiLattice::neighbourSite(s, slot)))
                    return; // at the grid's border
            }
            const SiAtom atom = lattice->atom(s);
            for (uint32_t slot = 0; slot < 4; ++slot) {
                const SiAtom other = atom.bond(slot);
                QVERIFY(!other.isNull());
                QVERIFY(std::abs(distance(atom.position(), other.position()) - length) < 1e-9);
                QVERIFY(other.bond(3 - slot) == atom);
            }
            ++checked;
        });
        QVERIFY(checked > 9 * 7 * 3 * 7);
        // Atom positions are scene positions: the volume's corner added.
        const SiAtom any = lattice->unitCell(8, 8, 2).atom(0);
        const auto f = lattice->cellCoordinates(any.site());
        QVERIFY(std::abs(any.position().x - (3 + f[0])) < 1e-9);
        QVERIFY(std::abs(any.position().y - (-2 + f[1])) < 1e-9);
        QVERIFY(std::abs(any.position().z - (1 + f[2])) < 1e-9);
    }

    void atomStatesFollowTheCells()
    {
        auto volume = makeVolume(14, 14, 9, layered);
        auto lattice = volume->createSiLattice();
        size_t present = 0, fixedInOxide = 0, outside = 0;
        forEachSite(*lattice, [&](const SiSite &s) {
            const int64_t cell = lattice->cellIndex(s);
            const auto f = lattice->cellCoordinates(s);
            const uint8_t state = lattice->state(s);
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
            present += state == SiLattice::Present;
            fixedInOxide += state == SiLattice::Fixed;
        });
        QCOMPARE(lattice->presentAtomCount(), present);
        QVERIFY(fixedInOxide > 0 && outside > 0);
        // Eight atoms per unit cell of one cell: eight per silicon cell on average.
        QVERIFY(std::abs(double(present) / (14 * 14 * 4) - 8.0) < 0.2);
    }

    void atomCountsPerCell()
    {
        auto volume = makeVolume(11, 8, 6, layered);
        {
            // Stale counts are replaced.
            CellLock lock(*volume);
            for (size_t c = 0; c < volume->cellCount(); ++c)
                lock.cells()[c].setAtomCount(99);
        }
        auto lattice = volume->createSiLattice();
        std::vector<uint32_t> present(volume->cellCount(), 0);
        forEachSite(*lattice, [&](const SiSite &s) {
            if (lattice->state(s) == SiLattice::Present)
                ++present[size_t(lattice->cellIndex(s))];
        });
        CellLock lock(*volume);
        for (size_t c = 0; c < volume->cellCount(); ++c) {
            QCOMPARE(lock.cells()[c].atomCount(), present[c]);
            if (lock.cells()[c].state() == Si)
                QVERIFY(present[c] >= 4 && present[c] <= 14);
        }
    }

    void maskCellsJoinTheLattice()
    {
        // The oxide over the silicon is kept with the silicon's unit cells, so the atoms under it
        // keep their upward bonds; oxide far from any silicon stays out.
        auto volume = makeVolume(14, 14, 9, layered);
        auto lattice = volume->createSiLattice();
        size_t covered = 0;
        forEachSite(*lattice, [&](const SiSite &s) {
            if (lattice->state(s) != SiLattice::Present || s.k != 3)
                return;
            const auto f = lattice->cellCoordinates(s);
            if (f[0] > 5.0 || f[0] < 1.0 || f[1] < 1.0 || f[1] > 13.0)
                return;
            const SiAtom atom = lattice->atom(s);
            for (uint32_t slot = 0; slot < 4; ++slot) {
                QVERIFY(!atom.bond(slot).isNull());
                QVERIFY(atom.bond(slot).state() != SiLattice::Absent);
            }
            ++covered;
        });
        QVERIFY(covered > 50);
        bool farOxideKept = false;
        forEachSite(*lattice, [&](const SiSite &s) {
            const auto f = lattice->cellCoordinates(s);
            if (f[0] >= 11 && f[1] >= 11 && f[2] >= 7 && f[0] < 14 && f[1] < 14)
                farOxideKept = farOxideKept || lattice->isKept(s.i, s.j, s.k);
        });
        QVERIFY(!farOxideKept);
        QVERIFY(lattice->unitCell(9, 9, 1).isKept());
    }

    void etchRulesSeeTheBonds()
    {
        // What the etches read across a slot is the bonded atom's state, and fixed beyond the grid.
        auto volume = makeVolume(12, 9, 7, layered);
        auto lattice = volume->createSiLattice();
        size_t border = 0;
        forEachSite(*lattice, [&](const SiSite &s) {
            if (lattice->state(s) != SiLattice::Present)
                return;
            const SiAtom atom = lattice->atom(s);
            for (uint32_t slot = 0; slot < 4; ++slot) {
                const SiSite n = SiLattice::neighbourSite(s, slot);
                if (!lattice->inGrid(n)) {
                    QCOMPARE(atom.bondState(slot), uint32_t(SiLattice::Fixed));
                    ++border;
                } else if (atom.bond(slot).isNull()) {
                    QCOMPARE(atom.bondState(slot), uint32_t(SiLattice::Absent));
                } else {
                    QCOMPARE(atom.bondState(slot), atom.bond(slot).state());
                }
            }
        });
        QVERIFY(border > 0); // the bottom face
    }

    void compactStorage()
    {
        const WetEtchScene::Pit pit{64, 30, 40};
        auto volume = pit.volume();
        auto lattice = volume->createSiLattice();
        // About one byte per atom for the states, an eighth for the unit cells, plus a margin of
        // columns around the volume.
        const double bytesPerAtom = double(lattice->storedBytes()) / double(lattice->presentAtomCount());
        QVERIFY2(bytesPerAtom < 2.0, qPrintable(QString::number(bytesPerAtom)));
        QVERIFY(lattice->keptUnitCellCount() > 64 * 64 * 30 * 9 / 10);
    }

    void createReplacesTheLattice()
    {
        auto volume = makeVolume(5, 5, 3, [](uint32_t, uint32_t, uint32_t z) { return z < 2 ? Si : 0u; });
        QVERIFY(!volume->siLattice());
        auto first = volume->createSiLattice();
        auto second = volume->createSiLattice();
        QVERIFY(first != second);
        QCOMPARE(volume->siLattice(), second);
        QCOMPARE(first->presentAtomCount(), second->presentAtomCount());
        // A clone carries no lattice.
        auto copy = std::static_pointer_cast<TotalVolume>(volume->clone());
        QVERIFY(!copy->siLattice());
    }
};

QTEST_GUILESS_MAIN(tst_SiLattice)
#include "tst_silattice.moc"
