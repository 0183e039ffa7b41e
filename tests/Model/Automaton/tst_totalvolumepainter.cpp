// The painter's cubic faces, their colours and mesh, and the BSP tree that orders the transparent ones.
#include "Model/Automaton/cubicfacegenerator.h"
#include "Model/Automaton/facemesh.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Geometry/bsptree.h"
#include "Model/Materials/materialfactory.h"
#include "catalogtesthome.h"
#include "volumetesthelpers.h"

#include <QtTest>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <random>

using Model::Automaton::FaceMesh;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePainter;
using Model::Geometry::BSPTree;
using Model::Geometry::CellFace;
using Model::Geometry::QuadFace;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Color = std::array<float, 4>;

namespace {

// Materials of the tests, with colours chosen for their opacity class.
enum : uint32_t { OpaqueA = 101, OpaqueB = 102, ClearA = 103, ClearB = 104, Invisible = 105 };

void defineMaterials()
{
    auto factory = MaterialFactory::instance();
    factory->setMaterial(Material(OpaqueA, "Opaque A", 1, 1, 0.1f, {0.8f, 0.2f, 0.1f, 1.0f}));
    factory->setMaterial(Material(OpaqueB, "Opaque B", 1, 1, 0.1f, {0.1f, 0.9f, 0.3f, 1.0f}));
    factory->setMaterial(Material(ClearA, "Clear A", 1, 1, 0.1f, {0.2f, 0.2f, 1.0f, 0.5f}));
    factory->setMaterial(Material(ClearB, "Clear B", 1, 1, 0.1f, {1.0f, 1.0f, 0.2f, 0.3f}));
    factory->setMaterial(Material(Invisible, "Ghost", 1, 1, 0.1f, {1.0f, 1.0f, 1.0f, 0.001f}));
}

Color colorOf(uint32_t id) { return MaterialFactory::instance()->getMaterial(id).color(); }

void recolor(uint32_t id, const Color &c)
{
    auto changed = MaterialFactory::instance()->getMaterial(id);
    changed.setColor(c[0], c[1], c[2], c[3]);
    MaterialFactory::instance()->setMaterial(changed);
}

// Faces per face number, to compare against counts worked out by hand.
std::array<int, 6> facesPerNumber(const std::vector<QuadFace> &faces)
{
    std::array<int, 6> counts{};
    for (const auto &face : faces)
        ++counts[face.faceNumber()];
    return counts;
}

bool sameFaces(const std::vector<QuadFace> &a, const std::vector<QuadFace> &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::memcmp(a[i].corners, b[i].corners, sizeof a[i].corners) != 0 || a[i].fillColor != b[i].fillColor ||
            a[i].edgeColor != b[i].edgeColor || a[i].normal != b[i].normal || a[i].material != b[i].material)
            return false;
    }
    return true;
}

const QString memoryFailure = QStringLiteral("Not enough memory to draw the surface of this cell volume.");

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
Q_DECLARE_METATYPE(std::vector<int>)
Q_DECLARE_METATYPE(std::vector<uint32_t>)

class tst_TotalVolumePainter : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void initTestCase() { defineMaterials(); }
    void init() { defineMaterials(); }

    void handWorkedFaces()
    {
        // Cell (1, 1, 1) of cells 1 x 2 x 3: its +z face lies in the plane z = 6, corners in face-table order.
        TotalVolume single(3, 3, 3, 1.0f, 2.0f, 3.0f, Util::Vector3D(), 0u);
        setStateAt(single, 1, 1, 1, OpaqueA);
        single.painter().regenerateSurface();
        QCOMPARE(facesPerNumber(single.painter().opaqueFaces()), (std::array<int, 6>{1, 1, 1, 1, 1, 1}));
        const QuadFace top = single.painter().opaqueFace(1);
        const float topCorners[4][3] = {{1, 2, 6}, {2, 2, 6}, {2, 4, 6}, {1, 4, 6}};
        QCOMPARE(std::memcmp(top.corners, topCorners, sizeof topCorners), 0);
        QCOMPARE(top.normal[2], 1.0f);

        // An opaque cell at x = 0 beside a clear one: the opaque cell shows all six faces (its +x
        // neighbour is not opaque), the clear cell hides its -x face.
        TotalVolume volume(2, 1, 1, 1.0f, 2.0f, 3.0f, Util::Vector3D(), std::vector<uint32_t>{OpaqueA, ClearA});
        auto &painter = volume.painter();
        painter.regenerateSurface();
        const auto opaque = painter.opaqueFaces();
        QCOMPARE(opaque.size(), size_t(6));
        for (unsigned f = 0; f < 6; ++f) {
            QCOMPARE(opaque[f].faceNumber(), f);
            QCOMPARE(opaque[f].material, uint32_t(OpaqueA));
            QCOMPARE(opaque[f].fillColor, colorOf(OpaqueA));
            QCOMPARE(opaque[f].edgeColor, colorOf(OpaqueA));
        }
        const float plusX[4][3] = {{1, 0, 0}, {1, 2, 0}, {1, 2, 3}, {1, 0, 3}};
        QCOMPARE(std::memcmp(opaque[5].corners, plusX, sizeof plusX), 0);
        // Transparent faces in the tree's order: inside the slab x = 1 the plane y = 0, then the
        // slab y = 0 with its planes z = 0 and z = 3, then the plane y = 2; last the plane x = 2.
        const auto clear = painter.transparentFaces();
        std::vector<unsigned> numbers;
        for (const auto &face : clear) {
            numbers.push_back(face.faceNumber());
            QCOMPARE(face.material, uint32_t(ClearA));
            QCOMPARE(face.fillColor, colorOf(ClearA));
        }
        QCOMPARE(numbers, (std::vector<unsigned>{2, 0, 1, 3, 5}));
        const float clearTop[4][3] = {{1, 0, 3}, {2, 0, 3}, {2, 2, 3}, {1, 2, 3}};
        QCOMPARE(std::memcmp(clear[2].corners, clearTop, sizeof clearTop), 0);
        QVERIFY(painter.transparentTree());
        // Colours follow the selection and the catalogue.
        volume.setSelected(true);
        // A second refresh of a selected volume keeps the highlight instead of undoing it.
        for (int twice = 0; twice < 2; ++twice) {
            painter.refreshColors();
            for (const auto &list : {painter.opaqueFaces(), painter.transparentFaces()}) {
                for (const auto &face : list) {
                    QCOMPARE(face.fillColor, Model::Automaton::highlighted(colorOf(face.material)));
                    QCOMPARE(face.edgeColor, face.fillColor);
                }
            }
        }
        volume.setSelected(false);
        recolor(OpaqueA, {0.1f, 0.2f, 0.3f, 1.0f});
        painter.refreshColors();
        QCOMPARE(painter.opaqueFaces().front().fillColor, (Color{0.1f, 0.2f, 0.3f, 1.0f}));
        QCOMPARE(painter.transparentFaces().front().fillColor, colorOf(ClearA));
    }

    void touchingCells_data()
    {
        QTest::addColumn<uint32_t>("left");
        QTest::addColumn<uint32_t>("right");
        QTest::addColumn<int>("opaque");
        QTest::addColumn<int>("transparent");
        QTest::newRow("two opaque materials hide the shared face") << uint32_t(OpaqueA) << uint32_t(OpaqueB) << 10 << 0;
        QTest::newRow("same transparent material shows no inner face")
            << uint32_t(ClearA) << uint32_t(ClearA) << 0 << 10;
        QTest::newRow("different transparent materials both show") << uint32_t(ClearA) << uint32_t(ClearB) << 0 << 12;
        QTest::newRow("invisible makes nothing, its neighbour shows")
            << uint32_t(OpaqueA) << uint32_t(Invisible) << 6 << 0;
        QTest::newRow("an unknown material is invisible") << uint32_t(OpaqueA) << uint32_t(9999) << 6 << 0;
        QTest::newRow("empty") << 0u << 0u << 0 << 0;
    }
    void touchingCells()
    {
        QFETCH(uint32_t, left);
        QFETCH(uint32_t, right);
        QFETCH(int, opaque);
        QFETCH(int, transparent);
        TotalVolume volume(2, 1, 1, 1, 1, 1, Util::Vector3D(), std::vector<uint32_t>{left, right});
        volume.painter().regenerateSurface();
        QCOMPARE(int(volume.painter().opaqueFaces().size()), opaque);
        QCOMPARE(int(volume.painter().transparentFaces().size()), transparent);
        QCOMPARE(bool(volume.painter().transparentTree()), transparent > 0);
    }

    void cutCellsAndFilms()
    {
        // Cell 0 stands alone and the clear cell keeps all six faces: the cut cell between them hides nothing.
        TotalVolume row(3, 1, 1, 1, 1, 1, Util::Vector3D(), std::vector<uint32_t>{OpaqueA, OpaqueA, ClearA});
        {
            Model::Automaton::CellLock lock(row);
            lock.cells()[1].addCut();
        }
        row.painter().regenerateSurface();
        QCOMPARE(row.painter().opaqueFaces().size(), size_t(6));
        QCOMPARE(row.painter().transparentFaces().size(), size_t(6));
        // A 2 x 2 x 1 clear film on a 2 x 2 x 1 opaque base. Base: 4 bottom + 8 sides + 4 tops under the
        // film = 16; film: 4 tops + 8 sides.
        auto film = makeVolume(2, 2, 2, [](uint32_t, uint32_t, uint32_t z) { return z ? ClearA : OpaqueA; });
        film->painter().regenerateSurface();
        QCOMPARE(film->painter().opaqueFaces().size(), size_t(16));
        QCOMPARE(facesPerNumber(film->painter().transparentFaces()), (std::array<int, 6>{0, 4, 2, 2, 2, 2}));
    }

    void cutWindow()
    {
        PoolThreads pool(4);
        TotalVolume volume(5, 6, 7, 1, 1, 1, Util::Vector3D(), OpaqueA);
        auto &painter = volume.painter();
        std::array<uint32_t, 3> lower{};
        std::array<uint32_t, 3> upper{};
        painter.cutLimits(lower, upper);
        QCOMPARE(upper, (std::array<uint32_t, 3>{5, 6, 7}));
        painter.regenerateSurface();
        QCOMPARE(painter.lastTaskCount(), 4u);
        QCOMPARE(painter.opaqueFaces().size(), size_t(2 * (5 * 6 + 6 * 7 + 5 * 7)));

        painter.setCutLimits({1, 2, 3}, {4, 50, 6});
        painter.cutLimits(lower, upper);
        QCOMPARE(upper, (std::array<uint32_t, 3>{4, 6, 6}));
        const Util::Vector4D planes[6] = {{-1, 0, 0, 1}, {1, 0, 0, -4}, {0, -1, 0, 2},
                                          {0, 1, 0, -6}, {0, 0, -1, 3}, {0, 0, 1, -6}};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(painter.clippingPlanes()[i], planes[i]);
        // The window's 3 x 4 x 3 block shows its boundary faces only.
        painter.regenerateSurface();
        QCOMPARE(painter.opaqueFaces().size(), size_t(2 * (3 * 4 + 4 * 3 + 3 * 3)));
        // A window one column wide is done in the calling thread.
        painter.setCutLimits({2, 0, 0}, {3, 6, 7});
        painter.regenerateSurface();
        QCOMPARE(painter.lastTaskCount(), 0u);
        QCOMPARE(painter.opaqueFaces().size(), size_t(2 * (6 * 7 + 7 + 6)));
    }

    void faceListsDoNotDependOnThreadCount()
    {
        // A random mixture of every kind of material, with some cuts.
        std::mt19937 random(4711);
        const uint32_t kinds[] = {0, 0, OpaqueA, OpaqueB, ClearA, ClearB, Invisible};
        auto volume = makeVolume(23, 9, 11, [&](uint32_t, uint32_t, uint32_t) { return kinds[random() % 7]; });
        {
            Model::Automaton::CellLock lock(*volume);
            for (size_t i = 0; i < volume->cellCount(); i += 13)
                lock.cells()[i].addCut();
        }
        auto &painter = volume->painter();
        painter.setRenderEmptyVoxelOutlines(true);
        std::vector<QuadFace> opaque, transparent, outlines;
        std::array<size_t, 6> meshQuads{};
        for (int threads = 1; threads <= 3; ++threads) {
            PoolThreads pool(threads);
            painter.regenerateSurface();
            std::array<size_t, 6> quads{};
            for (unsigned f = 0; f < 6; ++f)
                quads[f] = painter.drawnQuadCount(f);
            if (threads == 1) {
                opaque = painter.opaqueFaces();
                transparent = painter.transparentFaces();
                outlines = painter.emptyCellOutlines();
                meshQuads = quads;
                QVERIFY(!opaque.empty() && !transparent.empty() && !outlines.empty());
            }
            QVERIFY(sameFaces(painter.opaqueFaces(), opaque));
            QVERIFY(sameFaces(painter.transparentFaces(), transparent));
            QVERIFY(sameFaces(painter.emptyCellOutlines(), outlines));
            QCOMPARE(quads, meshQuads);
            // The generator hands its transparent faces over in the tree's order, so the tree needs no sort.
            const Model::Automaton::FacePalette palette(painter.colorMap());
            Model::Automaton::CellWindow window;
            window.upper[0] = 23;
            window.upper[1] = 9;
            window.upper[2] = 11;
            const float size[3] = {1, 1, 1};
            Model::Automaton::CellLock lock(*volume);
            const auto faces = Model::Automaton::CubicFaceGenerator(lock.cells(), 9, 11, window, palette, size).run();
            QVERIFY(faces.transparent.size() > 100);
            QVERIFY(Model::Geometry::BSPTree::inTreeOrder(faces.transparent));
        }
    }

    void emptyCellOutlines()
    {
        TotalVolume volume(2, 1, 1, 1, 1, 1, Util::Vector3D(), std::vector<uint32_t>{OpaqueA, 0});
        auto &painter = volume.painter();
        painter.regenerateSurface();
        QVERIFY(painter.emptyCellOutlines().empty());
        painter.setRenderEmptyVoxelOutlines(true);
        painter.regenerateSurface();
        QCOMPARE(painter.emptyCellOutlines().size(), size_t(6));
        for (const auto &face : painter.emptyCellOutlines()) {
            QCOMPARE(face.edgeColor, (Color{0.8f, 0.8f, 0.8f, 1.0f}));
            QVERIFY(face.material == 0 && face.corners[0][0] >= 1.0f);
        }
    }

    void catalogueRevisionMovesWithEveryChange()
    {
        // Painters see stale colours by the catalogue's revision.
        auto factory = MaterialFactory::instance();
        factory->saveMaterials();
        uint64_t before = factory->revision();
        factory->setMaterial(factory->getMaterial(OpaqueA));
        QVERIFY(factory->revision() > before);
        before = factory->revision();
        factory->createDefaultMaterials();
        QVERIFY(factory->revision() > before);
        before = factory->revision();
        QVERIFY(factory->loadMaterials());
        QVERIFY(factory->revision() > before);
    }

    void drawnMeshMergesRunsOfEqualFaces_data()
    {
        QTest::addColumn<uint32_t>("nx");
        QTest::addColumn<uint32_t>("ny");
        QTest::addColumn<uint32_t>("nz");
        QTest::addColumn<std::vector<uint32_t>>("states");
        QTest::addColumn<std::vector<int>>("quads");
        const std::vector<uint32_t> a{OpaqueA};
        QTest::newRow("one cell") << 1u << 1u << 1u << a << std::vector<int>{1, 1, 1, 1, 1, 1};
        // Side faces merge along z, top and bottom faces along y.
        QTest::newRow("column") << 1u << 1u << 3u << a << std::vector<int>{1, 1, 1, 1, 1, 1};
        QTest::newRow("row along y") << 1u << 3u << 1u << a << std::vector<int>{1, 1, 1, 1, 3, 3};
        QTest::newRow("row along x") << 3u << 1u << 1u << a << std::vector<int>{3, 3, 3, 3, 1, 1};
        QTest::newRow("block") << 2u << 3u << 4u << a << std::vector<int>{2, 2, 2, 2, 3, 3};
        // A column of A, A, B: each side shows one quad for A and one for B.
        QTest::newRow("material change") << 1u << 1u << 3u << std::vector<uint32_t>{OpaqueA, OpaqueA, OpaqueB}
                                         << std::vector<int>{1, 1, 2, 2, 2, 2};
    }
    void drawnMeshMergesRunsOfEqualFaces()
    {
        QFETCH(uint32_t, nx);
        QFETCH(uint32_t, ny);
        QFETCH(uint32_t, nz);
        QFETCH(std::vector<uint32_t>, states);
        QFETCH(std::vector<int>, quads);
        states.resize(size_t(nx) * ny * nz, states.front());
        TotalVolume volume(nx, ny, nz, 1, 1, 1, Util::Vector3D(), states);
        volume.painter().regenerateSurface();
        for (unsigned f = 0; f < 6; ++f)
            QCOMPARE(int(volume.painter().drawnQuadCount(f)), quads[f]);
    }

    void meshPositionsAreCompactInSmallWindows()
    {
        // 511 * 64 + 1 = 32705 fits a 16-bit integer (positions in 1/64 of a cell); 512 * 64 + 1 does not.
        for (int axis = 0; axis < 3; ++axis) {
            uint32_t upper[3] = {1, 1, 1};
            upper[axis] = 511;
            QVERIFY(FaceMesh::fitsCompact(upper));
            upper[axis] = 512;
            QVERIFY(!FaceMesh::fitsCompact(upper));
        }
        // The +y face (3) of three cells along z from cell (2, 5, 7), cells 0.5 x 2 x 4: the quad
        // spans x 2..3, z 7..10 in cells, in the plane y = 6, widened by 1/64 of a cell in x and z.
        const float size[3] = {0.5f, 2.0f, 4.0f};
        const uint32_t origin[3] = {2, 5, 7};
        FaceMesh meshes[2];
        for (int compact = 0; compact < 2; ++compact) {
            meshes[compact].setCompact(compact == 1);
            meshes[compact].resize(3, 1);
            meshes[compact].writeQuad(0, 3, origin, 2, 3, size);
            QCOMPARE(meshes[compact].quadCount(3), size_t(1));
        }
        const float s = 1.0f / 64.0f;
        // Face-table corners of face 3: (0,1,0), (0,1,1), (1,1,1), (1,1,0).
        const float cells[4][3] = {{2 - s, 6, 7 - s}, {2 - s, 6, 10 + s}, {3 + s, 6, 10 + s}, {3 + s, 6, 7 - s}};
        for (size_t at = 0; at < 12; ++at) {
            const float expected = cells[at / 3][at % 3] * size[at % 3];
            QCOMPARE(meshes[0].direction(3).positions[at], expected);
            QCOMPARE(float(meshes[1].direction(3).compactPositions[at]) / 64.0f * size[at % 3], expected);
        }
    }

    void memoryFailureLeavesNoSurface_data()
    {
        QTest::addColumn<uint32_t>("algorithm");
        QTest::addColumn<QString>("point");
        QTest::addColumn<int>("failingCall");
        // Where a pool task fails, it is the second: the first must still finish before the failure passes on.
        QTest::newRow("cubic, counting in a pool task") << 0u << QStringLiteral("count") << 1;
        QTest::newRow("cubic, allocating the lists") << 0u << QStringLiteral("allocate") << 0;
        QTest::newRow("cubic, writing in a pool task") << 0u << QStringLiteral("write") << 1;
        QTest::newRow("marching cubes, in a pool task") << 1u << QStringLiteral("march") << 1;
        QTest::newRow("octree") << 2u << QStringLiteral("octree") << 0;
    }
    void memoryFailureLeavesNoSurface()
    {
        QFETCH(uint32_t, algorithm);
        QFETCH(QString, point);
        QFETCH(int, failingCall);
        PoolThreads pool(2);
        auto volume = makeVolume(6, 4, 4, [](uint32_t x, uint32_t, uint32_t) { return x < 3 ? OpaqueA : ClearA; });
        auto &painter = volume->painter();
        painter.setSurfaceAlgorithm(algorithm);
        QVERIFY(painter.regenerateSurface());
        const size_t bytes = painter.storedBytes();
        const QByteArray failAt = point.toLatin1();
        std::atomic<int> calls{0};
        TotalVolumePainter::setGenerationProbe([&](const char *where) {
            if (failAt == where && calls++ == failingCall)
                throw std::bad_alloc();
        });
        bool result = true;
        try {
            result = painter.regenerateSurface();
        } catch (...) {
            TotalVolumePainter::setGenerationProbe({});
            QFAIL("a failure escaped from regenerateSurface");
        }
        TotalVolumePainter::setGenerationProbe({});
        QVERIFY(!result);
        QCOMPARE(painter.opaqueFaceCount() + painter.transparentFaceCount() + painter.emptyCellOutlineCount(),
                 size_t(0));
        QVERIFY(!painter.transparentTree());
        for (unsigned f = 0; f < 6; ++f)
            QCOMPARE(painter.drawnQuadCount(f), size_t(0));
        QCOMPARE(painter.marchingCubeSurface().triangleCount(), size_t(0));
        QCOMPARE(painter.octreeSurface().opaqueFaceCount(), size_t(0));
        // Nothing left but the fixed size of an empty painter.
        QCOMPARE(painter.storedBytes(), TotalVolume(1, 1, 1, 1, 1, 1, Util::Vector3D(), 0u).painter().storedBytes());
        QCOMPARE(painter.takeSurfaceFailure(), memoryFailure);
        QVERIFY(painter.takeSurfaceFailure().isEmpty());
        // The cells are unlocked again and the next generation works.
        QVERIFY(painter.regenerateSurface());
        QCOMPARE(painter.storedBytes(), bytes);
    }

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

QTEST_GUILESS_MAIN(tst_TotalVolumePainter)
#include "tst_totalvolumepainter.moc"
