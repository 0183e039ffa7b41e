#include "Model/ModelExtraction/cuboiddecomposition.h"
#include "volumetesthelpers.h"

#include <QtTest>

using Model::ModelExtraction::CuboidDecomposition;
using Model::ModelExtraction::EnvelopePtr;
using Model::ModelExtraction::RectangularCuboidEnvelope;
using States = std::vector<uint32_t>;

namespace {

// States listed in cell order (x-major, z fastest).
std::shared_ptr<Model::Automaton::TotalVolume> volumeOf(uint32_t nx, uint32_t ny, uint32_t nz, const States &states)
{
    return std::make_shared<Model::Automaton::TotalVolume>(nx, ny, nz, 1.0f, 1.0f, 1.0f, Util::Vector3D(), states);
}

QString text(const RectangularCuboidEnvelope &e)
{
    return QStringLiteral("%1 %2 %3 %4x%5x%6 m%7")
        .arg(e.x0)
        .arg(e.y0)
        .arg(e.z0)
        .arg(e.sx)
        .arg(e.sy)
        .arg(e.sz)
        .arg(e.material);
}

QStringList texts(const std::vector<EnvelopePtr> &boxes)
{
    QStringList t;
    for (const auto &e : boxes)
        t << text(*e);
    return t;
}

// Every link as "i.f-j": box i's face f touches box j (indices into the list).
QStringList links(const std::vector<EnvelopePtr> &boxes)
{
    QStringList t;
    for (size_t i = 0; i < boxes.size(); ++i) {
        for (unsigned f = 0; f < 6; ++f) {
            const RectangularCuboidEnvelope *n = boxes[i]->neighbour(f);
            if (!n)
                continue;
            size_t j = 0;
            while (j < boxes.size() && boxes[j].get() != n)
                ++j;
            t << QStringLiteral("%1.%2-%3")
                     .arg(i)
                     .arg(f)
                     .arg(j == boxes.size() ? QStringLiteral("?") : QString::number(j));
        }
    }
    return t;
}

} // namespace

class tst_CuboidDecomposition : public QObject {
    Q_OBJECT
private slots:
    void smallVolumes_data()
    {
        QTest::addColumn<uint32_t>("nx");
        QTest::addColumn<uint32_t>("ny");
        QTest::addColumn<uint32_t>("nz");
        QTest::addColumn<States>("states");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QStringList>("links");

        QTest::newRow("one material fills one box")
            << 2u << 2u << 2u << States(8, 3u) << QStringList{"0 0 0 2x2x2 m3"} << QStringList{};
        QTest::newRow("an empty volume has no boxes")
            << 3u << 3u << 3u << States(27, 0u) << QStringList{} << QStringList{};
        QTest::newRow("three in a row, linked end to end")
            << 3u << 1u << 1u << States{1, 2, 3} << QStringList{"0 0 0 1x1x1 m1", "1 0 0 1x1x1 m2", "2 0 0 1x1x1 m3"}
            << QStringList{"0.1-1", "1.0-0", "1.1-2", "2.0-1"};
        QTest::newRow("an empty block between two boxes is walked through but links nothing")
            << 3u << 1u << 1u << States{1, 0, 1} << QStringList{"0 0 0 1x1x1 m1", "2 0 0 1x1x1 m1"} << QStringList{};
        // Breadth first from (0, 0): +x is queued before +y, so (1, 0) comes before (0, 1).
        QTest::newRow("breadth-first order in a 2 x 2 layer")
            << 2u << 2u << 1u << States{1, 2, 3, 4}
            << QStringList{"0 0 0 1x1x1 m1", "1 0 0 1x1x1 m3", "0 1 0 1x1x1 m2", "1 1 0 1x1x1 m4"}
            << QStringList{"0.1-1", "0.3-2", "1.0-0", "1.3-3", "2.1-3", "2.2-0", "3.0-2", "3.2-1"};
        QTest::newRow("a layer on a block")
            << 1u << 1u << 3u << States{1, 1, 4} << QStringList{"0 0 0 1x1x2 m1", "0 0 2 1x1x1 m4"}
            << QStringList{"0.5-1", "1.4-0"};
        QTest::newRow("planes of one column cut the others")
            << 2u << 1u << 2u << States{1, 2, 1, 1}
            << QStringList{"0 0 0 1x1x1 m1", "1 0 0 1x1x1 m1", "0 0 1 1x1x1 m2", "1 0 1 1x1x1 m1"}
            << QStringList{"0.1-1", "0.5-2", "1.0-0", "1.5-3", "2.1-3", "2.4-0", "3.0-2", "3.4-1"};
    }

    void smallVolumes()
    {
        QFETCH(uint32_t, nx);
        QFETCH(uint32_t, ny);
        QFETCH(uint32_t, nz);
        QFETCH(States, states);
        QFETCH(QStringList, boxes);
        QFETCH(QStringList, links);
        auto volume = volumeOf(nx, ny, nz, states);
        const auto result = CuboidDecomposition(*volume).run();
        QCOMPARE(texts(result), boxes);
        QCOMPARE(::links(result), links);
        for (const auto &e : result) {
            uint32_t count = 0;
            for (unsigned f = 0; f < 6; ++f)
                count += e->neighbour(f) ? 1 : 0;
            QCOMPARE(e->neighbourCount(), count);
        }
    }

    void neighbourLinksOfABoxGrid()
    {
        // Eight cells of eight materials: every box touches the three boxes beside it, once each way.
        auto volume = makeVolume(2, 2, 2, [](uint32_t x, uint32_t y, uint32_t z) { return 1 + x * 4 + y * 2 + z; });
        const auto boxes = CuboidDecomposition(*volume).run();
        QCOMPARE(boxes.size(), size_t(8));
        for (const auto &e : boxes) {
            QCOMPARE(e->neighbourCount(), 3u);
            const uint32_t at[3] = {e->x0, e->y0, e->z0};
            for (unsigned f = 0; f < 6; ++f) {
                const unsigned axis = f / 2;
                const bool outward = (f & 1) ? at[axis] == 0 : at[axis] == 1;
                const RectangularCuboidEnvelope *n = e->neighbour(f);
                QCOMPARE(n != nullptr, outward);
                if (!n)
                    continue;
                QCOMPARE(n->neighbour(RectangularCuboidEnvelope::oppositeFace(f)), e.get());
                uint32_t expected[3] = {at[0], at[1], at[2]};
                expected[axis] = 1 - at[axis];
                QCOMPARE(n->x0, expected[0]);
                QCOMPARE(n->y0, expected[1]);
                QCOMPARE(n->z0, expected[2]);
                QCOMPARE(n->material, 1 + expected[0] * 4 + expected[1] * 2 + expected[2]);
            }
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
        QCOMPARE(a->neighbour(5), nullptr);
        QCOMPARE(a->neighbour(3), nullptr);
        QCOMPARE(a->neighbourCount(), 1u);
        QCOMPARE(topLeft->neighbour(4), nullptr);
        QCOMPARE(topLeft->neighbour(1), topRight.get());
        QCOMPARE(topRight->neighbour(0), topLeft.get());
        QCOMPARE(oneCellAway->neighbourCount(), 0u);
    }

    void neighbourCountFollowsTheLinks()
    {
        RectangularCuboidEnvelope e(0, 0, 0, 1, 1, 1, 1);
        RectangularCuboidEnvelope other(1, 0, 0, 1, 1, 1, 1);
        e.setNeighbour(1, &other);
        e.setNeighbour(1, &other); // replacing a link keeps the count
        QCOMPARE(e.neighbourCount(), 1u);
        e.setNeighbour(4, &other);
        QCOMPARE(e.neighbourCount(), 2u);
        e.setNeighbour(1, nullptr);
        e.setNeighbour(1, nullptr);
        QCOMPARE(e.neighbourCount(), 1u);
    }

    void aChangeInTheLastRowOrLayerGetsItsOwnBox_data()
    {
        QTest::addColumn<uint32_t>("x");
        QTest::addColumn<uint32_t>("y");
        QTest::addColumn<uint32_t>("z");
        QTest::newRow("last row") << 1u << 2u << 1u;
        QTest::newRow("last layer") << 1u << 1u << 2u;
        QTest::newRow("last slice") << 2u << 1u << 1u;
        QTest::newRow("last corner") << 2u << 2u << 2u;
    }

    void aChangeInTheLastRowOrLayerGetsItsOwnBox()
    {
        // Silicon with one aluminium cell at the far side: no box may hold both materials.
        QFETCH(uint32_t, x);
        QFETCH(uint32_t, y);
        QFETCH(uint32_t, z);
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

    void boxesCoverExactlyTheOccupiedCells()
    {
        auto volume = makeVolume(13, 11, 9, [](uint32_t x, uint32_t y, uint32_t z) {
            return (x + y + z) % 5 == 0 ? 0u : patternState(x / 3, y / 2, z / 4, 7, 3);
        });
        const std::vector<uint32_t> states = cellStates(*volume);
        const auto boxes = CuboidDecomposition(*volume).run();
        std::vector<int> covered(states.size(), 0);
        for (const auto &e : boxes) {
            QVERIFY(e->material != 0);
            for (uint32_t x = e->x0; x < e->x0 + e->sx; ++x)
                for (uint32_t y = e->y0; y < e->y0 + e->sy; ++y)
                    for (uint32_t z = e->z0; z < e->z0 + e->sz; ++z) {
                        const size_t i = volume->index(x, y, z);
                        QCOMPARE(states[i], e->material);
                        ++covered[i];
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

    void threadCountDoesNotChangeTheBoxes()
    {
        auto volume = makeVolume(
            37, 23, 17, [](uint32_t x, uint32_t y, uint32_t z) { return patternState(x / 4, y / 3, z / 2, 11, 4); });
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
        }
        QVERIFY(boxes[0].size() > 100);
        QCOMPARE(boxes[1], boxes[0]);
        QCOMPARE(linked[1], linked[0]);
        QVERIFY(planes[1] == planes[0]);
    }
};

QTEST_GUILESS_MAIN(tst_CuboidDecomposition)
#include "tst_cuboiddecomposition.moc"
