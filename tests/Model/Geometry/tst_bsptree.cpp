#include "Model/Geometry/bsptree.h"

#include <QtTest>

using Model::Geometry::BSPTree;
using Model::Geometry::BSPTreeError;
using Model::Geometry::QuadFace;

namespace {
const std::array<float, 4> grey{0.5f, 0.5f, 0.5f, 0.5f};

// The top face (+z) of the unit cell at (x, y, z); the material records the position for checking order.
QuadFace top(float x, float y, float z, uint32_t tag)
{
    const float origin[3] = {x, y, z};
    const float size[3] = {1, 1, 1};
    return QuadFace::cellFace(origin, size, 1, grey, tag);
}

QuadFace side(float x, float y, float z, unsigned face, uint32_t tag)
{
    const float origin[3] = {x, y, z};
    const float size[3] = {1, 1, 1};
    return QuadFace::cellFace(origin, size, face, grey, tag);
}

std::vector<uint32_t> tagsInOrder(const BSPTree &tree, const Util::Vector4D &eye)
{
    std::vector<uint32_t> tags;
    for (uint32_t index : tree.backToFront(eye))
        tags.push_back(tree.faces()[index].material);
    return tags;
}
} // namespace

Q_DECLARE_METATYPE(std::vector<uint32_t>)

class tst_BSPTree : public QObject {
    Q_OBJECT
private slots:
    void emptyListGivesNoTree() { QVERIFY(!BSPTree::build({})); }

    void splitterPlaneComesFromFirstFace()
    {
        auto tree = BSPTree::build({top(2, 3, 4, 1)});
        QVERIFY(tree);
        // Top face of the cell at z = 4 lies in z = 5: plane 0x + 0y + 1z - 5 = 0.
        QCOMPARE(tree->root()->plane, Util::Vector4D(0, 0, 1, -5));
        QCOMPARE(tree->root()->faces.size(), size_t(1));
        QVERIFY(!tree->root()->front && !tree->root()->back);
    }

    void backToFrontFromEitherSide_data()
    {
        QTest::addColumn<double>("eyeZ");
        QTest::addColumn<std::vector<uint32_t>>("expected");
        // Tags are the z of each face's plane; the farthest from the eye comes first.
        QTest::newRow("eye above") << 100.0 << std::vector<uint32_t>{1, 3, 6, 9};
        QTest::newRow("eye below") << -100.0 << std::vector<uint32_t>{9, 6, 3, 1};
        // Between planes 3 and 6: the far side of the root (plane 3) first, then the rest from 9 down.
        QTest::newRow("eye between") << 4.0 << std::vector<uint32_t>{1, 3, 9, 6};
    }
    void backToFrontFromEitherSide()
    {
        QFETCH(double, eyeZ);
        QFETCH(std::vector<uint32_t>, expected);
        // Planes z = 3, 9, 1, 6 in a scrambled list order.
        auto tree = BSPTree::build({top(0, 0, 2, 3), top(0, 0, 8, 9), top(0, 0, 0, 1), top(0, 0, 5, 6)});
        QVERIFY(tree);
        const auto order = tagsInOrder(*tree, Util::Vector4D(0.5, 0.5, eyeZ, 1));
        QCOMPARE(order, expected);
    }

    void coplanarFacesShareTheirNode()
    {
        // The +z face of one cell and the -z face of the cell above lie in the same plane.
        auto tree = BSPTree::build({top(0, 0, 0, 1), top(1, 0, 0, 2), side(5, 5, 1, 0, 3)});
        QVERIFY(tree);
        QCOMPARE(tree->root()->faces.size(), size_t(3));
    }

    void mixedOrientationsAreAllDrawnOnce()
    {
        // The six faces of a cube: every face appears once in the order, from any eye.
        std::vector<QuadFace> faces;
        for (unsigned f = 0; f < 6; ++f)
            faces.push_back(side(0, 0, 0, f, f));
        auto tree = BSPTree::build(faces);
        QVERIFY(tree);
        auto order = tagsInOrder(*tree, Util::Vector4D(10, -7, 3, 1));
        std::sort(order.begin(), order.end());
        QCOMPARE(order, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5}));
        // From +x the face at x = 0 (face 4) lies behind the face at x = 1 (face 5).
        const auto fromX = tagsInOrder(*tree, Util::Vector4D(100, 0.5, 0.5, 1));
        QVERIFY(std::find(fromX.begin(), fromX.end(), 4u) < std::find(fromX.begin(), fromX.end(), 5u));
    }

    void spanningFaceIsRefused()
    {
        // A tilted face that crosses the plane z = 1 of the first face.
        const float corners[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 0, 2}, {0, 0, 2}};
        const QuadFace crossing(corners, 2, grey, grey, 7);
        try {
            BSPTree::build({top(0, 0, 0, 1), crossing});
            QFAIL("a face crossing the splitting plane must stop the construction");
        } catch (const BSPTreeError &error) {
            QCOMPARE(QString::fromLatin1(error.what()), QStringLiteral("Method not implemented!"));
        }
    }

    void deepTreesNeedNoRecursion()
    {
        // Three thousand parallel planes make a chain as deep as the list is long.
        std::vector<QuadFace> faces;
        const uint32_t n = 3000;
        for (uint32_t i = 0; i < n; ++i)
            faces.push_back(top(0, 0, float(i), i));
        auto tree = BSPTree::build(faces);
        QVERIFY(tree);
        const auto order = tagsInOrder(*tree, Util::Vector4D(0, 0, -1, 1));
        QCOMPARE(order.size(), size_t(n));
        QVERIFY(std::is_sorted(order.rbegin(), order.rend()));
    }
};

QTEST_GUILESS_MAIN(tst_BSPTree)
#include "tst_bsptree.moc"
