#include "Model/Geometry/bsptree.h"

#include <QtTest>

#include <algorithm>
#include <random>

using Model::Geometry::BSPTree;
using Model::Geometry::CellFace;

namespace {
const float unit[3] = {1, 1, 1};

// The faces of a column of two transparent cells of different materials (cells (0, 0, 0) and
// (0, 0, 1)), each face tagged 10 * z + face number through its slot, in a scrambled order.
std::vector<CellFace> twoCellColumn()
{
    std::vector<CellFace> faces;
    for (uint32_t z : {1u, 0u})
        for (unsigned f : {5u, 3u, 1u, 0u, 2u, 4u})
            faces.emplace_back(0, 0, z, f, 10 * z + f);
    return faces;
}

using Runs = std::vector<std::vector<uint32_t>>;

// The runs the walk hands out, each as the sorted tags of its faces.
Runs runsFrom(const BSPTree &tree, const Util::Vector3D &eye)
{
    Runs runs;
    tree.backToFront(eye, [&](size_t begin, size_t end) {
        std::vector<uint32_t> tags;
        for (size_t i = begin; i < end; ++i)
            tags.push_back(tree.faces()[i].slot());
        std::sort(tags.begin(), tags.end());
        runs.push_back(tags);
    });
    return runs;
}

std::vector<uint32_t> tagsInOrder(const BSPTree &tree, const Util::Vector3D &eye)
{
    std::vector<uint32_t> tags;
    for (uint32_t index : tree.backToFront(eye))
        tags.push_back(tree.faces()[index].slot());
    return tags;
}
} // namespace

Q_DECLARE_METATYPE(Runs)

class tst_BSPTree : public QObject {
    Q_OBJECT
private slots:
    void columnFromSeveralEyes_data()
    {
        QTest::addColumn<Util::Vector3D>("eye");
        QTest::addColumn<Runs>("expected");
        // Worked by hand: along x the plane 0 lies before the eye, the plane 1 beyond it and the
        // slab between them around it; items before come first, items beyond from the far end,
        // the item around the eye last. Inside the slab the same along y, then along z.
        QTest::newRow("from above") << Util::Vector3D(0.5, 0.5, 100)
                                    << Runs{{4, 14}, {5, 15}, {2, 12}, {3, 13}, {0}, {1, 10}, {11}};
        QTest::newRow("from below") << Util::Vector3D(0.5, 0.5, -100)
                                    << Runs{{4, 14}, {5, 15}, {2, 12}, {3, 13}, {11}, {1, 10}, {0}};
        // From +x at the height of the lower cell: the plane x = 1 faces the eye and comes last;
        // along z the plane 0 lies below the eye, the planes 1 and 2 above it.
        QTest::newRow("from +x") << Util::Vector3D(100, 0.5, 0.5)
                                 << Runs{{4, 14}, {2, 12}, {3, 13}, {0}, {11}, {1, 10}, {5, 15}};
        // From the corner (+x, -y, +z): far side x = 0 and y = 1 first, then bottom to top, then
        // the near sides y = 0 and x = 1.
        QTest::newRow("from a corner") << Util::Vector3D(100, -100, 100)
                                       << Runs{{4, 14}, {3, 13}, {0}, {1, 10}, {11}, {2, 12}, {5, 15}};
    }
    void columnFromSeveralEyes()
    {
        QFETCH(Util::Vector3D, eye);
        QFETCH(Runs, expected);
        QVERIFY(!BSPTree::build({}, unit));
        QVERIFY(!BSPTree::inTreeOrder(twoCellColumn()));
        auto tree = BSPTree::build(twoCellColumn(), unit);
        QVERIFY(BSPTree::inTreeOrder(tree->faces()));
        // Planes x = 0 first (the -x faces of both cells), the plane x = 1 last.
        QCOMPARE(tree->faces().front().face(), 4u);
        QCOMPARE(tree->faces().back().face(), 5u);
        QCOMPARE(runsFrom(*tree, eye), expected);
    }

    void cellSizeScalesThePlanes()
    {
        // Top faces of cells 0, 2, 5 and 8 in a column of cells 2 units high: planes z = 2, 6, 12, 18.
        std::vector<CellFace> faces;
        for (uint32_t z : {2u, 8u, 0u, 5u})
            faces.emplace_back(0, 0, z, 1, z);
        const float size[3] = {1, 1, 2};
        auto tree = BSPTree::build(faces, size);
        // Between the planes 6 and 12: the two lower ones rising, then the two upper ones falling.
        QCOMPARE(tagsInOrder(*tree, Util::Vector3D(0.5, 0.5, 9)), (std::vector<uint32_t>{0, 2, 8, 5}));
        // Above the plane 12 only the plane 18 is left beyond the eye.
        QCOMPARE(tagsInOrder(*tree, Util::Vector3D(0.5, 0.5, 13)), (std::vector<uint32_t>{0, 2, 5, 8}));
    }

    void eyeOnAPlaneDrawsThatPlaneLast()
    {
        // Side faces of cells on either side of the plane x = 1 and the two faces lying in it.
        std::vector<CellFace> faces{{0, 0, 0, 4, 1}, {0, 0, 0, 5, 2}, {1, 0, 0, 4, 3}, {1, 0, 0, 5, 4}};
        auto tree = BSPTree::build(faces, unit);
        QCOMPARE(runsFrom(*tree, Util::Vector3D(1, 0.5, 0.5)), (Runs{{1}, {4}, {2, 3}}));
    }

    void everyFaceOnceFromAnyEye()
    {
        std::mt19937 random(99);
        std::vector<CellFace> faces;
        for (int i = 0; i < 500; ++i)
            faces.emplace_back(random() % 7, random() % 5, random() % 9, random() % 6, uint32_t(i));
        auto tree = BSPTree::build(faces, unit);
        for (int trial = 0; trial < 20; ++trial) {
            const Util::Vector3D eye(double(random() % 200) / 10.0 - 5, double(random() % 200) / 10.0 - 5,
                                     double(random() % 200) / 10.0 - 5);
            auto order = tagsInOrder(*tree, eye);
            std::sort(order.begin(), order.end());
            QCOMPARE(order.size(), faces.size());
            for (uint32_t i = 0; i < order.size(); ++i)
                QCOMPARE(order[i], i);
        }
    }

    void parallelPlanesComeInDepthOrder()
    {
        // Three thousand parallel planes: ordered from the eye's far side, without deep recursion.
        std::vector<CellFace> faces;
        const uint32_t n = 3000;
        for (uint32_t i = 0; i < n; ++i)
            faces.emplace_back(0, 0, i, 1, i);
        std::shuffle(faces.begin(), faces.end(), std::mt19937(5));
        auto tree = BSPTree::build(faces, unit);
        const auto order = tagsInOrder(*tree, Util::Vector3D(0, 0, -1));
        QCOMPARE(order.size(), size_t(n));
        QVERIFY(std::is_sorted(order.rbegin(), order.rend()));
    }
};

QTEST_GUILESS_MAIN(tst_BSPTree)
#include "tst_bsptree.moc"
