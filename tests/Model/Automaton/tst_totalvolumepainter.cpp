#include "Model/Automaton/cubicfacegenerator.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Materials/materialfactory.h"
#include "catalogtesthome.h"

#include <QThreadPool>
#include <QtTest>

#include <atomic>
#include <cstring>
#include <random>

using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePainter;
using Model::Geometry::QuadFace;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;

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

std::array<float, 4> colorOf(uint32_t id) { return MaterialFactory::instance()->getMaterial(id).color(); }

void setCell(TotalVolume &volume, uint32_t x, uint32_t y, uint32_t z, uint32_t state)
{
    Model::Automaton::CellLock lock(volume);
    lock.cells()[volume.index(x, y, z)].setState(state);
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

class PoolSize {
public:
    explicit PoolSize(int threads)
        : m_old(QThreadPool::globalInstance()->maxThreadCount())
    {
        QThreadPool::globalInstance()->setMaxThreadCount(threads);
    }
    ~PoolSize() { QThreadPool::globalInstance()->setMaxThreadCount(m_old); }

private:
    int m_old;
};

} // namespace

Q_DECLARE_METATYPE(std::vector<int>)

class tst_TotalVolumePainter : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void initTestCase() { defineMaterials(); }

    void singleOpaqueCellGivesSixFaces()
    {
        TotalVolume volume(3, 3, 3, 1.0f, 2.0f, 3.0f, Util::Vector3D(), 0u);
        setCell(volume, 1, 1, 1, OpaqueA);
        auto &painter = volume.painter();
        painter.regenerateSurface();
        QCOMPARE(painter.opaqueFaces().size(), size_t(6));
        QVERIFY(painter.transparentFaces().empty());
        QVERIFY(!painter.transparentTree());
        QCOMPARE(facesPerNumber(painter.opaqueFaces()), (std::array<int, 6>{1, 1, 1, 1, 1, 1}));

        // The +z face of cell (1, 1, 1) with cell sizes 1, 2, 3, corners in face-table order.
        const QuadFace topFace = painter.opaqueFace(1);
        QCOMPARE(topFace.faceNumber(), 1u);
        const float expected[4][3] = {{1, 2, 6}, {2, 2, 6}, {2, 4, 6}, {1, 4, 6}};
        for (int k = 0; k < 4; ++k)
            for (int i = 0; i < 3; ++i)
                QCOMPARE(topFace.corners[k][i], expected[k][i]);
        QCOMPARE(topFace.normal[2], 1.0f);
        QCOMPARE(topFace.material, uint32_t(OpaqueA));
        QCOMPARE(topFace.fillColor, colorOf(OpaqueA));
        QCOMPARE(topFace.edgeColor, colorOf(OpaqueA));
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
        QTest::newRow("opaque shows its face to a transparent neighbour")
            << uint32_t(OpaqueA) << uint32_t(ClearA) << 6 << 5;
        QTest::newRow("invisible makes nothing, its neighbour shows")
            << uint32_t(OpaqueA) << uint32_t(Invisible) << 6 << 0;
        QTest::newRow("an unknown material is invisible") << uint32_t(OpaqueA) << uint32_t(9999) << 6 << 0;
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

    void cutNeighbourExposesFaces()
    {
        TotalVolume volume(3, 1, 1, 1, 1, 1, Util::Vector3D(), std::vector<uint32_t>{OpaqueA, OpaqueA, ClearA});
        {
            Model::Automaton::CellLock lock(volume);
            lock.cells()[1].addCut();
        }
        volume.painter().regenerateSurface();
        // Cell 0 stands alone and the clear cell keeps all six faces: the cut cell between them hides nothing.
        QCOMPARE(volume.painter().opaqueFaces().size(), size_t(6));
        QCOMPARE(volume.painter().transparentFaces().size(), size_t(6));
    }

    void transparentFilmShowsOnlyItsOuterBoundary()
    {
        // A 2 x 2 x 1 film of clear material on a 2 x 2 x 1 opaque base.
        TotalVolume volume(2, 2, 2, 1, 1, 1, Util::Vector3D(),
                           std::vector<uint32_t>{OpaqueA, ClearA, OpaqueA, ClearA, OpaqueA, ClearA, OpaqueA, ClearA});
        volume.painter().regenerateSurface();
        // Base: 4 bottom + 8 sides + 4 tops under the film = 16; film: 4 tops + 8 sides.
        QCOMPARE(volume.painter().opaqueFaces().size(), size_t(16));
        QCOMPARE(facesPerNumber(volume.painter().transparentFaces()), (std::array<int, 6>{0, 4, 2, 2, 2, 2}));
    }

    void cutWindowShowsBoundaryFaces()
    {
        TotalVolume volume(4, 4, 4, 1, 1, 1, Util::Vector3D(), OpaqueA);
        auto &painter = volume.painter();
        painter.regenerateSurface();
        QCOMPARE(painter.opaqueFaces().size(), size_t(6 * 16));

        painter.setCutLimits({1, 1, 1}, {3, 3, 3});
        painter.regenerateSurface();
        QCOMPARE(painter.opaqueFaces().size(), size_t(6 * 4));
        for (const auto &face : painter.opaqueFaces()) {
            for (const auto &corner : face.corners)
                for (float c : corner)
                    QVERIFY(c >= 1.0f && c <= 3.0f);
        }
    }

    void cutLimitsAndPlanes()
    {
        TotalVolume volume(5, 6, 7, 1, 1, 1, Util::Vector3D(), 0u);
        auto &painter = volume.painter();
        std::array<uint32_t, 3> lower{};
        std::array<uint32_t, 3> upper{};
        painter.cutLimits(lower, upper);
        QCOMPARE(lower, (std::array<uint32_t, 3>{0, 0, 0}));
        QCOMPARE(upper, (std::array<uint32_t, 3>{5, 6, 7}));

        painter.setCutLimits({1, 2, 3}, {4, 50, 6});
        painter.cutLimits(lower, upper);
        QCOMPARE(upper, (std::array<uint32_t, 3>{4, 6, 6}));
        const auto planes = painter.clippingPlanes();
        QCOMPARE(planes[0], Util::Vector4D(-1, 0, 0, 1));
        QCOMPARE(planes[1], Util::Vector4D(1, 0, 0, -4));
        QCOMPARE(planes[2], Util::Vector4D(0, -1, 0, 2));
        QCOMPARE(planes[3], Util::Vector4D(0, 1, 0, -6));
        QCOMPARE(planes[4], Util::Vector4D(0, 0, -1, 3));
        QCOMPARE(planes[5], Util::Vector4D(0, 0, 1, -6));
    }

    void oneColumnWindowRunsInTheCallingThread()
    {
        PoolSize pool(4);
        TotalVolume volume(6, 3, 3, 1, 1, 1, Util::Vector3D(), OpaqueA);
        auto &painter = volume.painter();
        painter.setCutLimits({2, 0, 0}, {3, 3, 3});
        painter.regenerateSurface();
        QCOMPARE(painter.lastTaskCount(), 0u);
        // A 1 x 3 x 3 slab: 9 + 9 on x, 3 + 3 on y, 3 + 3 on z.
        QCOMPARE(painter.opaqueFaces().size(), size_t(30));

        painter.setCutLimits({0, 0, 0}, {6, 3, 3});
        painter.regenerateSurface();
        QCOMPARE(painter.lastTaskCount(), 4u);
    }

    void faceListsDoNotDependOnThreadCount()
    {
        // A random mixture of every kind of material, with some cuts.
        const uint32_t nx = 23, ny = 9, nz = 11;
        std::mt19937 random(4711);
        const uint32_t kinds[] = {0, 0, OpaqueA, OpaqueB, ClearA, ClearB, Invisible};
        std::vector<uint32_t> states(nx * ny * nz);
        for (auto &s : states)
            s = kinds[random() % 7];
        TotalVolume volume(nx, ny, nz, 1, 1, 1, Util::Vector3D(), states);
        {
            Model::Automaton::CellLock lock(volume);
            for (size_t i = 0; i < volume.cellCount(); i += 13)
                lock.cells()[i].addCut();
        }
        volume.painter().setRenderEmptyVoxelOutlines(true);

        std::vector<QuadFace> opaque[3];
        std::vector<QuadFace> transparent[3];
        std::vector<QuadFace> outlines[3];
        std::array<size_t, 6> meshQuads[3];
        for (int threads = 1; threads <= 3; ++threads) {
            PoolSize pool(threads);
            volume.painter().regenerateSurface();
            opaque[threads - 1] = volume.painter().opaqueFaces();
            transparent[threads - 1] = volume.painter().transparentFaces();
            outlines[threads - 1] = volume.painter().emptyCellOutlines();
            for (unsigned f = 0; f < 6; ++f)
                meshQuads[threads - 1][f] = volume.painter().drawnQuadCount(f);
        }
        QVERIFY(!opaque[0].empty());
        QVERIFY(!transparent[0].empty());
        QVERIFY(!outlines[0].empty());
        for (int i = 1; i < 3; ++i) {
            QVERIFY(sameFaces(opaque[0], opaque[i]));
            QVERIFY(sameFaces(transparent[0], transparent[i]));
            QVERIFY(sameFaces(outlines[0], outlines[i]));
            QCOMPARE(meshQuads[0], meshQuads[i]);
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
            QCOMPARE(face.material, 0u);
            QCOMPARE(face.edgeColor, (std::array<float, 4>{0.8f, 0.8f, 0.8f, 1.0f}));
            QCOMPARE(face.corners[0][0] >= 1.0f, true);
        }
    }

    void colorMapFollowsTheCatalogue()
    {
        TotalVolume volume(1, 1, 1, 1, 1, 1, Util::Vector3D(), OpaqueA);
        volume.painter().regenerateSurface();
        const auto &map = volume.painter().colorMap();
        QCOMPARE(map.at(0), (std::array<float, 4>{0, 0, 0, 0}));
        QCOMPARE(map.at(OpaqueB), colorOf(OpaqueB));
        QCOMPARE(map.size(), size_t(MaterialFactory::instance()->getMaterials().size() + 1));
    }

    void highlightValues_data()
    {
        QTest::addColumn<float>("in");
        QTest::addColumn<float>("out");
        QTest::newRow("bright drops") << 0.8f << 0.1f;
        // Like Model::highlightColor: the float nearest 0.7 lies below the double 0.7, so it rises.
        QTest::newRow("just below the threshold") << 0.7f << 1.0f;
        QTest::newRow("above the threshold") << 0.75f << 0.05f;
        QTest::newRow("dark rises") << 0.2f << 0.5f;
        QTest::newRow("black") << 0.0f << 0.3f;
        QTest::newRow("white") << 1.0f << 0.3f;
    }
    void highlightValues()
    {
        QFETCH(float, in);
        QFETCH(float, out);
        const auto result = Model::Automaton::highlighted({in, in, in, 0.25f});
        for (int i = 0; i < 3; ++i)
            QVERIFY(qAbs(result[i] - out) < 1e-6f);
        QCOMPARE(result[3], 0.25f);
    }

    void colorRefreshWithAndWithoutSelection()
    {
        TotalVolume volume(2, 1, 1, 1, 1, 1, Util::Vector3D(), std::vector<uint32_t>{OpaqueA, ClearA});
        auto &painter = volume.painter();
        painter.regenerateSurface();

        volume.setSelected(true);
        painter.refreshColors();
        for (const auto &list : {painter.opaqueFaces(), painter.transparentFaces()}) {
            for (const auto &face : list) {
                QCOMPARE(face.fillColor, Model::Automaton::highlighted(colorOf(face.material)));
                QCOMPARE(face.edgeColor, face.fillColor);
            }
        }
        // A second refresh of a selected volume keeps the highlight instead of undoing it.
        painter.refreshColors();
        QCOMPARE(painter.opaqueFaces().front().fillColor, Model::Automaton::highlighted(colorOf(OpaqueA)));

        volume.setSelected(false);
        auto changed = MaterialFactory::instance()->getMaterial(OpaqueA);
        changed.setColor(0.1f, 0.2f, 0.3f, 1.0f);
        MaterialFactory::instance()->setMaterial(changed);
        painter.refreshColors();
        QCOMPARE(painter.opaqueFaces().front().fillColor, (std::array<float, 4>{0.1f, 0.2f, 0.3f, 1.0f}));
        QCOMPARE(painter.transparentFaces().front().fillColor, colorOf(ClearA));
        defineMaterials();
    }

    void theSelectedAlgorithmAloneIsBuilt()
    {
        TotalVolume volume(2, 1, 1, 1, 1, 1, Util::Vector3D(), OpaqueA);
        auto &painter = volume.painter();
        painter.regenerateSurface();
        QCOMPARE(painter.opaqueFaces().size(), size_t(10));
        setCell(volume, 1, 0, 0, 0);
        // The choice takes effect at the next generation.
        painter.setSurfaceAlgorithm(2);
        QCOMPARE(painter.surfaceAlgorithm(), 2u);
        QCOMPARE(painter.opaqueFaces().size(), size_t(10));
        QVERIFY(painter.regenerateSurface());
        QCOMPARE(painter.opaqueFaceCount(), size_t(0));
        QCOMPARE(painter.octreeSurface().opaqueFaceCount(), size_t(6));
        painter.setSurfaceAlgorithm(1);
        QVERIFY(painter.regenerateSurface());
        QCOMPARE(painter.octreeSurface().opaqueFaceCount(), size_t(0));
        // Cell (0, 0, 0) lies in the window's lower layers: marching cubes show nothing of it.
        QCOMPARE(painter.marchingCubeSurface().triangleCount(), size_t(0));
        painter.setSurfaceAlgorithm(0);
        QVERIFY(painter.regenerateSurface());
        QCOMPARE(painter.opaqueFaceCount(), size_t(6));
    }

    void drawnMeshMergesRunsOfEqualFaces_data()
    {
        QTest::addColumn<uint32_t>("nx");
        QTest::addColumn<uint32_t>("ny");
        QTest::addColumn<uint32_t>("nz");
        QTest::addColumn<std::vector<int>>("quads");
        QTest::newRow("one cell") << 1u << 1u << 1u << std::vector<int>{1, 1, 1, 1, 1, 1};
        // Side faces merge along z, top and bottom faces along y.
        QTest::newRow("column") << 1u << 1u << 3u << std::vector<int>{1, 1, 1, 1, 1, 1};
        QTest::newRow("row along y") << 1u << 3u << 1u << std::vector<int>{1, 1, 1, 1, 3, 3};
        QTest::newRow("row along x") << 3u << 1u << 1u << std::vector<int>{3, 3, 3, 3, 1, 1};
        QTest::newRow("block") << 2u << 3u << 4u << std::vector<int>{2, 2, 2, 2, 3, 3};
    }
    void drawnMeshMergesRunsOfEqualFaces()
    {
        QFETCH(uint32_t, nx);
        QFETCH(uint32_t, ny);
        QFETCH(uint32_t, nz);
        QFETCH(std::vector<int>, quads);
        TotalVolume volume(nx, ny, nz, 1, 1, 1, Util::Vector3D(), OpaqueA);
        volume.painter().regenerateSurface();
        for (unsigned f = 0; f < 6; ++f)
            QCOMPARE(int(volume.painter().drawnQuadCount(f)), quads[f]);
    }

    void meshBreaksRunsAtMaterialChanges()
    {
        // A column of A, A, B: each side shows one quad for A and one for B.
        TotalVolume volume(1, 1, 3, 1, 1, 1, Util::Vector3D(), std::vector<uint32_t>{OpaqueA, OpaqueA, OpaqueB});
        volume.painter().regenerateSurface();
        QCOMPARE(volume.painter().drawnQuadCount(2), size_t(2));
        QCOMPARE(volume.painter().drawnQuadCount(1), size_t(1));
    }

    void emptyVolumeGivesEmptyLists()
    {
        TotalVolume volume(3, 3, 3, 1, 1, 1, Util::Vector3D(), 0u);
        volume.painter().regenerateSurface();
        QVERIFY(volume.painter().opaqueFaces().empty());
        QVERIFY(volume.painter().transparentFaces().empty());
        QVERIFY(!volume.painter().transparentTree());
    }

    void handWorkedFacesThroughCompactStorage()
    {
        // An opaque cell at x = 0 beside a clear one at x = 1, cells 1 x 2 x 3. The opaque cell shows
        // all six faces (its +x neighbour is not opaque); the clear cell hides its -x face.
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
        // The +x face of the opaque cell lies in the plane x = 1.
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
        const float top[4][3] = {{1, 0, 3}, {2, 0, 3}, {2, 2, 3}, {1, 2, 3}};
        QCOMPARE(std::memcmp(clear[2].corners, top, sizeof top), 0);
    }

    void generatorWritesTransparentFacesInTreeOrder()
    {
        // The tree needs no sort when the generator hands its faces over in the tree's order.
        const uint32_t nx = 9, ny = 7, nz = 8;
        std::mt19937 random(17);
        const uint32_t kinds[] = {0, OpaqueA, ClearA, ClearB};
        std::vector<uint32_t> states(nx * ny * nz);
        for (auto &s : states)
            s = kinds[random() % 4];
        TotalVolume volume(nx, ny, nz, 1, 1, 1, Util::Vector3D(), states);
        volume.painter().regenerateSurface();
        const Model::Automaton::FacePalette palette(volume.painter().colorMap());
        Model::Automaton::CellWindow window;
        window.upper[0] = nx;
        window.upper[1] = ny;
        window.upper[2] = nz;
        const float size[3] = {1, 1, 1};
        for (int threads = 1; threads <= 3; ++threads) {
            PoolSize pool(threads);
            Model::Automaton::CellLock lock(volume);
            const auto faces = Model::Automaton::CubicFaceGenerator(lock.cells(), ny, nz, window, palette, size).run();
            QVERIFY(faces.transparent.size() > 100);
            QVERIFY(Model::Geometry::BSPTree::inTreeOrder(faces.transparent));
        }
    }

    void memoryFailureLeavesAnEmptySurface_data()
    {
        QTest::addColumn<QString>("point");
        QTest::newRow("while counting in a pool task") << QStringLiteral("count");
        QTest::newRow("allocating the lists") << QStringLiteral("allocate");
        QTest::newRow("while writing in a pool task") << QStringLiteral("write");
    }
    void memoryFailureLeavesAnEmptySurface()
    {
        QFETCH(QString, point);
        PoolSize pool(2);
        TotalVolume volume(6, 3, 3, 1, 1, 1, Util::Vector3D(), std::vector<uint32_t>(54, ClearA));
        auto &painter = volume.painter();
        painter.setRenderEmptyVoxelOutlines(true);
        QVERIFY(painter.regenerateSurface());
        QVERIFY(painter.transparentFaceCount() > 0);

        const QByteArray failAt = point.toLatin1();
        std::atomic<int> calls{0};
        TotalVolumePainter::setGenerationProbe([&](const char *where) {
            // Only the second slab task fails: the first must still finish before the failure passes on.
            if (failAt == where && (failAt == "allocate" || calls++ == 1))
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
        QCOMPARE(painter.opaqueFaceCount(), size_t(0));
        QCOMPARE(painter.transparentFaceCount(), size_t(0));
        QCOMPARE(painter.emptyCellOutlineCount(), size_t(0));
        QVERIFY(!painter.transparentTree());
        for (unsigned f = 0; f < 6; ++f)
            QCOMPARE(painter.drawnQuadCount(f), size_t(0));
        QCOMPARE(painter.takeSurfaceFailure(),
                 QStringLiteral("Not enough memory to draw the surface of this cell volume."));
        QVERIFY(painter.takeSurfaceFailure().isEmpty());
        // The cells are unlocked again and the next generation works.
        QVERIFY(painter.regenerateSurface());
        QVERIFY(painter.transparentFaceCount() > 0);
    }

    void otherSurfacesSurviveAMemoryFailure_data()
    {
        QTest::addColumn<uint32_t>("algorithm");
        QTest::addColumn<QString>("point");
        QTest::newRow("marching cubes, in the second slab task") << 1u << QStringLiteral("march");
        QTest::newRow("octree") << 2u << QStringLiteral("octree");
    }
    void otherSurfacesSurviveAMemoryFailure()
    {
        QFETCH(uint32_t, algorithm);
        QFETCH(QString, point);
        PoolSize pool(2);
        TotalVolume volume(6, 4, 4, 1, 1, 1, Util::Vector3D(), OpaqueA);
        auto &painter = volume.painter();
        painter.setSurfaceAlgorithm(algorithm);
        QVERIFY(painter.regenerateSurface());
        QVERIFY(painter.storedBytes() > 0);
        const QByteArray failAt = point.toLatin1();
        std::atomic<int> calls{0};
        TotalVolumePainter::setGenerationProbe([&](const char *where) {
            if (failAt == where && calls++ == (algorithm == 1 ? 1 : 0))
                throw std::bad_alloc();
        });
        const bool result = painter.regenerateSurface();
        TotalVolumePainter::setGenerationProbe({});
        QVERIFY(!result);
        QCOMPARE(painter.marchingCubeSurface().triangleCount(), size_t(0));
        QCOMPARE(painter.octreeSurface().opaqueFaceCount(), size_t(0));
        // Nothing left but the fixed size of an empty painter.
        QCOMPARE(painter.storedBytes(), TotalVolume(1, 1, 1, 1, 1, 1, Util::Vector3D(), 0u).painter().storedBytes());
        QCOMPARE(painter.takeSurfaceFailure(),
                 QStringLiteral("Not enough memory to draw the surface of this cell volume."));
        // The cells are unlocked again and the next generation works.
        QVERIFY(painter.regenerateSurface());
        QVERIFY(painter.storedBytes() > 0);
    }

    void catalogueRevisionMovesWithEveryChange_data()
    {
        QTest::addColumn<int>("change");
        QTest::newRow("setMaterial") << 0;
        QTest::newRow("createDefaultMaterials") << 1;
        QTest::newRow("loadMaterials") << 2;
    }
    void catalogueRevisionMovesWithEveryChange()
    {
        QFETCH(int, change);
        auto factory = MaterialFactory::instance();
        factory->saveMaterials();
        const uint64_t before = factory->revision();
        if (change == 0)
            factory->setMaterial(factory->getMaterial(OpaqueA));
        else if (change == 1)
            factory->createDefaultMaterials();
        else
            QVERIFY(factory->loadMaterials());
        QVERIFY(factory->revision() > before);
        defineMaterials();
    }

    void staleColoursAreRefreshedForUnselectedVolumes()
    {
        // Two volumes of the same material, neither selected; the catalogue changes the colour.
        TotalVolume first(1, 1, 1, 1, 1, 1, Util::Vector3D(), OpaqueB);
        TotalVolume second(1, 1, 1, 1, 1, 1, Util::Vector3D(), OpaqueB);
        first.painter().regenerateSurface();
        second.painter().regenerateSurface();
        auto changed = MaterialFactory::instance()->getMaterial(OpaqueB);
        changed.setColor(0.25f, 0.5f, 0.75f, 1.0f);
        MaterialFactory::instance()->setMaterial(changed);
        for (TotalVolume *volume : {&first, &second}) {
            volume->painter().refreshColorsIfStale();
            QCOMPARE(volume->painter().opaqueFace(0).fillColor, (std::array<float, 4>{0.25f, 0.5f, 0.75f, 1.0f}));
        }
        defineMaterials();
    }

    void releaseSurfaceForgetsEverything()
    {
        TotalVolume volume(3, 1, 1, 1, 1, 1, Util::Vector3D(), std::vector<uint32_t>{OpaqueA, ClearA, 0});
        auto &painter = volume.painter();
        painter.setRenderEmptyVoxelOutlines(true);
        painter.regenerateSurface();
        QVERIFY(painter.storedBytes() > 0);
        painter.releaseSurface();
        QCOMPARE(painter.opaqueFaceCount() + painter.transparentFaceCount() + painter.emptyCellOutlineCount(),
                 size_t(0));
        QVERIFY(!painter.transparentTree());
        QVERIFY(painter.takeSurfaceFailure().isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_TotalVolumePainter)
#include "tst_totalvolumepainter.moc"
