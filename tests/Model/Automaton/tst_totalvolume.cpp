#include "Model/Automaton/totalvolume.h"

#include <QtTest>

#include <limits>
#include <numeric>

using Model::Automaton::TotalVolume;
using Model::Automaton::VolumeAllocationError;
using Model::Automaton::Voxel;

namespace {
std::vector<uint32_t> sequence(size_t n)
{
    std::vector<uint32_t> states(n);
    std::iota(states.begin(), states.end(), 1u);
    return states;
}
} // namespace

class tst_TotalVolume : public QObject {
    Q_OBJECT
private slots:
    void indexFormulasFollowXMajorOrder()
    {
        TotalVolume volume(4, 3, 5, 1, 1, 1, Util::Vector3D(), sequence(60));
        QCOMPARE(volume.index(1, 0, 0), size_t(3 * 5));
        QCOMPARE(volume.index(0, 1, 0), size_t(5));
        QCOMPARE(volume.index(0, 0, 1), size_t(1));
        QCOMPARE(volume.index(3, 2, 4), size_t(59));
        for (size_t i = 0; i < volume.cellCount(); ++i) {
            uint32_t x, y, z;
            volume.coordinates(i, x, y, z);
            QCOMPARE(volume.index(x, y, z), i);
        }
        Model::Automaton::CellLock lock(volume);
        QCOMPARE(lock.cells()[volume.index(2, 1, 3)].state(), uint32_t(volume.index(2, 1, 3) + 1));
    }

    void neighbourBoundsNeverWrap()
    {
        TotalVolume single(1, 1, 1, 1, 1, 1, Util::Vector3D(), 1u);
        QVERIFY(single.contains(0, 0, 0));
        const int offsets[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
        for (const auto &d : offsets)
            QVERIFY(!single.contains(d[0], d[1], d[2]));
        TotalVolume volume(3, 2, 2, 1, 1, 1, Util::Vector3D());
        QVERIFY(volume.contains(2, 1, 1));
        QVERIFY(!volume.contains(3, 0, 0) && !volume.contains(0, 2, 0) && !volume.contains(0, 0, 2));
    }

    void voxelCutCountSaturates()
    {
        Voxel cell(5);
        QVERIFY(!cell.isCut());
        cell.removeCut();
        QCOMPARE(cell.cutCount(), 0u);
        cell.addCut();
        QVERIFY(cell.isCut());
        cell.removeCut();
        QVERIFY(!cell.isCut());
        for (int i = 0; i < 300; ++i)
            cell.addCut();
        QCOMPARE(cell.cutCount(), 255u);
        cell.removeCut();
        QCOMPARE(cell.cutCount(), 254u);
        cell.clearCuts();
        QVERIFY(!cell.isCut());
        QCOMPARE(cell.state(), 5u);
    }

    void cloneKeepsOnlyStates()
    {
        TotalVolume volume(2, 3, 4, 1, 1, 1, Util::Vector3D(7, 8, 9), sequence(24));
        {
            Model::Automaton::CellLock lock(volume);
            lock.cells()[3].addCut();
            lock.cells()[5].setAtomCount(12);
        }
        volume.setUpperMask(QBitArray(6, true), 2, 3);
        QVERIFY(!volume.field(QStringLiteral("Counts")).isValid());
        QVERIFY(volume.fieldNames().isEmpty()); // a lookup does not insert
        volume.setField(QStringLiteral("Counts"), 42);
        volume.setField(QStringLiteral("Atoms"), 1);
        volume.setField(QStringLiteral("Counts"), 43);
        QCOMPARE(volume.fieldNames(), (QStringList{QStringLiteral("Atoms"), QStringLiteral("Counts")}));
        QCOMPARE(volume.field(QStringLiteral("Counts")).toInt(), 43);
        auto copy = std::dynamic_pointer_cast<TotalVolume>(volume.clone());
        QVERIFY(copy && copy->id() != volume.id());
        QCOMPARE((QList<uint32_t>{copy->sizeX(), copy->sizeY(), copy->sizeZ()}), (QList<uint32_t>{2, 3, 4}));
        QCOMPARE(copy->position(), Util::Vector4D(7, 8, 9, 0));
        {
            Model::Automaton::CellLock lock(*copy);
            for (size_t i = 0; i < copy->cellCount(); ++i) {
                QCOMPARE(lock.cells()[i].state(), uint32_t(i + 1));
                QVERIFY(!lock.cells()[i].isCut());
                QCOMPARE(lock.cells()[i].atomCount(), 0u);
            }
        }
        QVERIFY(copy->upperMask().isEmpty());
        QVERIFY(copy->fieldNames().isEmpty());
        QVERIFY(!copy->siLattice());
        // Clearing a mask keeps its size.
        volume.clearUpperMask();
        uint32_t w = 0, h = 0;
        volume.upperMaskSize(w, h);
        QCOMPARE(w, 2u);
        QCOMPARE(h, 3u);
        QCOMPARE(volume.upperMask().count(true), 0);
    }

    void extentRunsFromThePositionOverEveryCell()
    {
        // 4 x 2 x 3 cells of 0.5 x 2 x 0.25 from (1, -2, 3): 2 x 4 x 0.75 further on.
        TotalVolume volume(4, 2, 3, 0.5f, 2.0f, 0.25f, Util::Vector3D(1, -2, 3));
        QCOMPARE(Util::Vector4D(volume.extent()->low), Util::Vector4D(1, -2, 3, 0));
        QCOMPARE(Util::Vector4D(volume.extent()->high), Util::Vector4D(3, 2, 3.75, 0));
        volume.translate(Util::Vector3D(1, 1, 1));
        QCOMPARE(volume.position(), Util::Vector4D(2, -1, 4, 0));
        QCOMPARE(Util::Vector4D(volume.extent()->high), Util::Vector4D(4, 3, 4.75, 0));
    }

    void impossibleSizesAreRefused_data()
    {
        QTest::addColumn<uint32_t>("nx");
        QTest::addColumn<uint32_t>("ny");
        QTest::addColumn<uint32_t>("nz");
        QTest::addColumn<int>("states"); // -1: none given
        const uint32_t max = std::numeric_limits<uint32_t>::max();
        QTest::newRow("zero x") << 0u << 10u << 10u << -1;
        QTest::newRow("zero z") << 10u << 10u << 0u << -1;
        QTest::newRow("overflowing product") << max << max << max << -1;
        QTest::newRow("beyond physical memory") << 100000u << 100000u << 100000u << -1;
        QTest::newRow("too few states") << 2u << 2u << 2u << 7;
    }
    void impossibleSizesAreRefused()
    {
        QFETCH(uint32_t, nx);
        QFETCH(uint32_t, ny);
        QFETCH(uint32_t, nz);
        QFETCH(int, states);
        try {
            if (states < 0)
                TotalVolume(nx, ny, nz, 1, 1, 1, Util::Vector3D());
            else
                TotalVolume(nx, ny, nz, 1, 1, 1, Util::Vector3D(), std::vector<uint32_t>(size_t(states)));
            QFAIL("a volume was created");
        } catch (const VolumeAllocationError &error) {
            QVERIFY(QString::fromUtf8(error.what()).startsWith(QStringLiteral("Cannot create a cell volume of")));
        }
    }
};

QTEST_GUILESS_MAIN(tst_TotalVolume)
#include "tst_totalvolume.moc"
