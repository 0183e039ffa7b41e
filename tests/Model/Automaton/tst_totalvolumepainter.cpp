// The cell volume, the cubic faces of its shown surface, colours and mesh, and the BSP tree ordering transparent faces.
#include "Model/Materials/materialfactory.h"
#include "Model/Surfaces/bsptree.h"
#include "Model/Surfaces/cubicfacegenerator.h"
#include "Model/Surfaces/facemesh.h"
#include "Model/Surfaces/volumesurface.h"
#include "Model/Volume/silattice.h"
#include "Model/Volume/totalvolume.h"
#include "catalogtesthome.h"
#include "volumetesthelpers.h"

#include <QtTest>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <numeric>
#include <random>
#include <tuple>

using Model::Automaton::FaceMesh;
using Model::Automaton::TotalVolume;
using Model::Automaton::VolumeAllocationError;
using Model::Geometry::BSPTree;
using Model::Geometry::CellFace;
using Model::Geometry::QuadFace;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Model::Surfaces::VolumeSurface;
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

// The faces of cells (0, 0, 0) and (0, 0, 1), each tagged 10 * z + face number in its slot, scrambled.
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

std::vector<uint32_t> sequence(size_t n)
{
    std::vector<uint32_t> states(n);
    std::iota(states.begin(), states.end(), 1u);
    return states;
}
} // namespace

class tst_TotalVolumePainter : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;

private slots:
    void initTestCase() { defineMaterials(); }
    void init() { defineMaterials(); }

    void cellOrderAndBounds()
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
        QVERIFY(volume.contains(3, 2, 4) && volume.contains(0, 0, 0));
        const int outside[6][3] = {{4, 0, 0}, {-1, 0, 0}, {0, 3, 0}, {0, -1, 0}, {0, 0, 5}, {0, 0, -1}};
        for (const auto &d : outside)
            QVERIFY(!volume.contains(d[0], d[1], d[2]));
        // 4 x 2 x 3 cells of 0.5 x 2 x 0.25 from (1, -2, 3): 2 x 4 x 0.75 further on.
        TotalVolume sized(4, 2, 3, 0.5f, 2.0f, 0.25f, Util::Vector3D(1, -2, 3));
        QCOMPARE(Util::Vector4D(sized.extent()->low), Util::Vector4D(1, -2, 3, 0));
        QCOMPARE(Util::Vector4D(sized.extent()->high), Util::Vector4D(3, 2, 3.75, 0));
        sized.translate(Util::Vector3D(1, 1, 1));
        QCOMPARE(sized.position(), Util::Vector4D(2, -1, 4, 0));
        QCOMPARE(Util::Vector4D(sized.extent()->high), Util::Vector4D(4, 3, 4.75, 0));
    }

    void cutCountSaturatesAndCloneKeepsOnlyStates()
    {
        TotalVolume volume(2, 3, 4, 1, 1, 1, Util::Vector3D(7, 8, 9), sequence(24));
        {
            Model::Automaton::CellLock lock(volume);
            Model::Automaton::Cells cells = lock.cells();
            cells.removeCut(5);
            QCOMPARE(cells.cutCount(5), 0u);
            for (int i = 0; i < 300; ++i)
                cells.addCut(5);
            QCOMPARE(cells.cutCount(5), 255u);
            cells.removeCut(5);
            QCOMPARE(cells.cutCount(5), 254u);
            cells.clearCuts(5);
            QVERIFY(!cells.isCut(5));
            cells.setCutCount(4, 1000);
            QCOMPARE(cells.cutCount(4), 255u);
            QCOMPARE(cells.state(5), 6u);
            cells.addCut(3);
        }
        volume.setUpperMask(QBitArray(6, true), 2, 3);
        volume.createSiLattice()->setAtomCount(5, 12);
        QVERIFY(!volume.field(QStringLiteral("Counts")).isValid());
        QVERIFY(volume.fieldNames().isEmpty()); // a lookup does not insert
        volume.setField(QStringLiteral("Counts"), 42);
        auto copy = std::dynamic_pointer_cast<TotalVolume>(volume.clone());
        QVERIFY(copy && copy->id() != volume.id());
        QCOMPARE((QList<uint32_t>{copy->sizeX(), copy->sizeY(), copy->sizeZ()}), (QList<uint32_t>{2, 3, 4}));
        QCOMPARE(copy->position(), Util::Vector4D(7, 8, 9, 0));
        QCOMPARE(cellStates(*copy), sequence(24));
        QCOMPARE(cutCounts(*copy), std::vector<uint32_t>(24, 0));
        QVERIFY(copy->upperMask().isEmpty() && copy->fieldNames().isEmpty() && !copy->siLattice());
    }

    void impossibleSizesAreRefused()
    {
        // Zero, an overflowing product, beyond physical memory, too few states (-1: none given).
        const uint32_t max = std::numeric_limits<uint32_t>::max();
        const std::tuple<uint32_t, uint32_t, uint32_t, int> cases[] = {
            {0, 10, 10, -1}, {max, max, max, -1}, {100000, 100000, 100000, -1}, {2, 2, 2, 7}};
        for (const auto &[nx, ny, nz, states] : cases) {
            try {
                if (states < 0)
                    TotalVolume(nx, ny, nz, 1, 1, 1, Util::Vector3D());
                else
                    TotalVolume(nx, ny, nz, 1, 1, 1, Util::Vector3D(), std::vector<uint32_t>(size_t(states)));
                QFAIL("a volume was created");
            } catch (const VolumeAllocationError &error) {
                QVERIFY(QString::fromUtf8(error.what()).startsWith(QStringLiteral("Cannot create a cell volume of")));
                QCOMPARE(error.doesNotFit(), nx != 0 && states < 0);
            }
        }
        // A cell takes 2 bytes of state and 1 of cut count, and an engine's work 2 more while it runs:
        // 2048 x 1024 x 512 = 1073741824 cells need 5368709120 bytes. Under a control group's limit of
        // 5e9: what the cells need, what is there and what limits it.
        const double none = std::numeric_limits<double>::infinity();
        try {
            TotalVolume::checkedCellCount(2048, 1024, 512, Util::AvailableMemory::from({16e9, 5e9, none, 0, none, 0}));
            QFAIL("a volume was let through");
        } catch (const VolumeAllocationError &error) {
            QCOMPARE(QString::fromUtf8(error.what()),
                     QStringLiteral("Cannot create a cell volume of 2048 x 1024 x 512 cells: it is too large for the "
                                    "memory: it needs 5368709120 bytes (5.0 GiB), but only 5000000000 bytes (4.7 GiB) "
                                    "are available (the memory limit of the program's control group)."));
        }
        // The same cells fit into 23.5 GiB of physical memory (at 24 bytes a cell they needed 24 GiB).
        const double machine = 23.5 * 1024 * 1024 * 1024;
        QCOMPARE(TotalVolume::checkedCellCount(2048, 1024, 512,
                                               Util::AvailableMemory::from({machine, none, none, 0, none, 0})),
                 size_t(1073741824));
    }

    void handWorkedFaces()
    {
        // Cell (1, 1, 1) of cells 1 x 2 x 3: its +z face lies in the plane z = 6, corners in face-table order.
        TotalVolume single(3, 3, 3, 1.0f, 2.0f, 3.0f, Util::Vector3D(), 0u);
        setStateAt(single, 1, 1, 1, OpaqueA);
        VolumeSurface singleSurface(single);
        singleSurface.regenerate();
        QCOMPARE(facesPerNumber(singleSurface.opaqueFaces()), (std::array<int, 6>{1, 1, 1, 1, 1, 1}));
        const QuadFace top = singleSurface.opaqueFace(1);
        const float topCorners[4][3] = {{1, 2, 6}, {2, 2, 6}, {2, 4, 6}, {1, 4, 6}};
        QCOMPARE(std::memcmp(top.corners, topCorners, sizeof topCorners), 0);
        QCOMPARE(top.normal[2], 1.0f);

        // An opaque cell beside a clear one shows all six faces, the clear cell hides its -x face.
        TotalVolume volume(2, 1, 1, 1.0f, 2.0f, 3.0f, Util::Vector3D(), std::vector<uint32_t>{OpaqueA, ClearA});
        VolumeSurface painter(volume);
        painter.regenerate();
        const auto opaque = painter.opaqueFaces();
        QCOMPARE(opaque.size(), size_t(6));
        for (unsigned f = 0; f < 6; ++f) {
            QCOMPARE(opaque[f].faceNumber(), f);
            QCOMPARE(opaque[f].material, uint32_t(OpaqueA));
            QCOMPARE(opaque[f].fillColor, colorOf(OpaqueA));
            QCOMPARE(opaque[f].edgeColor, colorOf(OpaqueA));
        }
        // In the tree's order: in slab x = 1 plane y = 0, slab y = 0 (planes z = 0, 3), plane y = 2; last x = 2.
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
        // Colours follow the selection and the catalogue; a second refresh keeps the highlight (a fixed fault).
        volume.setSelected(true);
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
        auto changed = MaterialFactory::instance()->getMaterial(OpaqueA);
        changed.setColor(0.1f, 0.2f, 0.3f, 1.0f);
        MaterialFactory::instance()->setMaterial(changed);
        painter.refreshColors();
        QCOMPARE(painter.opaqueFaces().front().fillColor, (Color{0.1f, 0.2f, 0.3f, 1.0f}));
        QCOMPARE(painter.transparentFaces().front().fillColor, colorOf(ClearA));
    }

    void touchingCells()
    {
        // Left, right, opaque and transparent faces: two opaque materials hide the shared face, one transparent
        // material shows no inner face, two show both; invisible and unknown materials make nothing.
        const std::array<uint32_t, 4> cases[] = {{OpaqueA, OpaqueB, 10, 0}, {ClearA, ClearA, 0, 10},
                                                 {ClearA, ClearB, 0, 12},   {OpaqueA, Invisible, 6, 0},
                                                 {OpaqueA, 9999, 6, 0},     {0, 0, 0, 0}};
        for (const auto &[left, right, opaque, transparent] : cases) {
            TotalVolume volume(2, 1, 1, 1, 1, 1, Util::Vector3D(), std::vector<uint32_t>{left, right});
            VolumeSurface surface(volume);
            surface.regenerate();
            QCOMPARE(surface.opaqueFaces().size(), size_t(opaque));
            QCOMPARE(surface.transparentFaces().size(), size_t(transparent));
            QCOMPARE(bool(surface.transparentTree()), transparent > 0);
        }
    }

    void cutCellsAndFilms()
    {
        // Cell 0 stands alone and the clear cell keeps all six faces: the cut cell between them hides nothing.
        TotalVolume row(3, 1, 1, 1, 1, 1, Util::Vector3D(), std::vector<uint32_t>{OpaqueA, OpaqueA, ClearA});
        {
            Model::Automaton::CellLock lock(row);
            lock.cells().addCut(1);
        }
        VolumeSurface rowSurface(row);
        rowSurface.regenerate();
        QCOMPARE(rowSurface.opaqueFaces().size(), size_t(6));
        QCOMPARE(rowSurface.transparentFaces().size(), size_t(6));
        // A clear film on a 2 x 2 opaque base: 4 bottom + 8 sides + 4 tops under the film; film 4 tops + 8 sides.
        auto film = makeVolume(2, 2, 2, [](uint32_t, uint32_t, uint32_t z) { return z ? ClearA : OpaqueA; });
        VolumeSurface filmSurface(*film);
        filmSurface.regenerate();
        QCOMPARE(filmSurface.opaqueFaces().size(), size_t(16));
        QCOMPARE(facesPerNumber(filmSurface.transparentFaces()), (std::array<int, 6>{0, 4, 2, 2, 2, 2}));
    }

    void cutWindow()
    {
        PoolThreads pool(4);
        TotalVolume volume(5, 6, 7, 1, 1, 1, Util::Vector3D(), OpaqueA);
        VolumeSurface painter(volume);
        std::array<uint32_t, 3> lower{};
        std::array<uint32_t, 3> upper{};
        painter.regenerate();
        QCOMPARE(painter.lastTaskCount(), 4u);
        QCOMPARE(painter.opaqueFaces().size(), size_t(2 * (5 * 6 + 6 * 7 + 5 * 7)));

        volume.view().setCutLimits({1, 2, 3}, {4, 50, 6});
        volume.view().cutLimits(lower, upper);
        QCOMPARE(upper, (std::array<uint32_t, 3>{4, 6, 6}));
        const Util::Vector4D planes[6] = {{-1, 0, 0, 1}, {1, 0, 0, -4}, {0, -1, 0, 2},
                                          {0, 1, 0, -6}, {0, 0, -1, 3}, {0, 0, 1, -6}};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(volume.view().clippingPlanes()[i], planes[i]);
        // The window's 3 x 4 x 3 block shows its boundary faces only.
        painter.regenerate();
        QCOMPARE(painter.opaqueFaces().size(), size_t(2 * (3 * 4 + 4 * 3 + 3 * 3)));
        // A window one column wide is done in the calling thread.
        volume.view().setCutLimits({2, 0, 0}, {3, 6, 7});
        painter.regenerate();
        QCOMPARE(painter.lastTaskCount(), 0u);
        QCOMPARE(painter.opaqueFaces().size(), size_t(2 * (6 * 7 + 7 + 6)));
    }

    void cutFacesTakeADarkerShade_data()
    {
        QTest::addColumn<std::vector<uint32_t>>("states");
        QTest::addColumn<int>("cutCell");
        QTest::addColumn<uint32_t>("windowEnd");
        QTest::addColumn<QList<int>>("darkFaces"); // 10 * x + face number
        // A row of cells along x; face 5 looks to +x, face 4 to -x.
        using States = std::vector<uint32_t>;
        QTest::newRow("material cut away behind") << States{OpaqueA, OpaqueA, 0} << 1 << 3u << QList<int>{5};
        QTest::newRow("material beyond the window") << States{OpaqueA, OpaqueA, OpaqueA} << -1 << 2u << QList<int>{15};
        QTest::newRow("a clear film laid open") << States{ClearA, OpaqueA} << 1 << 2u << QList<int>{5};
        QTest::newRow("a cavity wall is a real surface") << States{OpaqueA, 0, OpaqueA} << -1 << 3u << QList<int>{};
        QTest::newRow("an invisible material beyond") << States{OpaqueA, Invisible} << -1 << 1u << QList<int>{};
        QTest::newRow("the volume's own sides") << States{OpaqueA, OpaqueB} << -1 << 2u << QList<int>{};
    }
    // Faces that a cut laid open are drawn darker than the material's real surfaces.
    void cutFacesTakeADarkerShade()
    {
        QFETCH(std::vector<uint32_t>, states);
        QFETCH(int, cutCell);
        QFETCH(uint32_t, windowEnd);
        QFETCH(QList<int>, darkFaces);
        TotalVolume row(uint32_t(states.size()), 1, 1, 1, 1, 1, Util::Vector3D(), states);
        if (cutCell >= 0) {
            Model::Automaton::CellLock lock(row);
            lock.cells().addCut(cutCell);
        }
        row.view().setCutLimits({0, 0, 0}, {windowEnd, 1, 1});
        VolumeSurface rowSurface(row);
        QVERIFY(rowSurface.regenerate());
        auto faces = rowSurface.opaqueFaces();
        for (const QuadFace &face : rowSurface.transparentFaces())
            faces.push_back(face);
        QList<int> dark;
        for (const QuadFace &face : faces) {
            const float x = std::min({face.corners[0][0], face.corners[1][0], face.corners[2][0], face.corners[3][0]});
            const unsigned number = face.faceNumber();
            const Color plain = colorOf(face.material);
            const int cell = int(x) - (number == 5 ? 1 : 0);
            if (face.fillColor == plain)
                continue;
            dark << 10 * cell + int(number);
            for (size_t i = 0; i < 3; ++i)
                QCOMPARE(face.fillColor[i], plain[i] * 0.55f);
            QCOMPARE(face.fillColor[3], plain[3]);
        }
        QCOMPARE(dark, darkFaces);
    }

    void faceListsDoNotDependOnThreadCount()
    {
        std::mt19937 random(4711);
        const uint32_t kinds[] = {0, 0, OpaqueA, OpaqueB, ClearA, ClearB, Invisible};
        auto volume = makeVolume(23, 9, 11, [&](uint32_t, uint32_t, uint32_t) { return kinds[random() % 7]; });
        {
            Model::Automaton::CellLock lock(*volume);
            for (size_t i = 0; i < volume->cellCount(); i += 13)
                lock.cells().addCut(i);
        }
        VolumeSurface painter(*volume);
        volume->view().setRenderEmptyVoxelOutlines(true);
        std::vector<QuadFace> opaque, transparent, outlines;
        std::array<size_t, 6> meshQuads{};
        for (int threads = 1; threads <= 3; ++threads) {
            PoolThreads pool(threads);
            painter.regenerate();
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
            const Model::Automaton::CellWindow window{{0, 0, 0}, {23, 9, 11}};
            const float size[3] = {1, 1, 1};
            Model::Automaton::CellLock lock(*volume);
            const auto faces =
                Model::Automaton::CubicFaceGenerator(lock.cells(), 23, 9, 11, window, palette, size).run();
            QVERIFY(faces.transparent.size() > 100);
            QVERIFY(Model::Geometry::BSPTree::inTreeOrder(faces.transparent));
        }
    }

    void drawnMeshMergesRunsOfEqualFaces()
    {
        // Side faces merge along z, top and bottom faces along y; a column of A, A, B shows a quad of each on a side.
        TotalVolume block(2, 3, 4, 1, 1, 1, Util::Vector3D(), OpaqueA);
        TotalVolume column(1, 1, 3, 1, 1, 1, Util::Vector3D(), std::vector<uint32_t>{OpaqueA, OpaqueA, OpaqueB});
        const std::pair<TotalVolume *, std::array<size_t, 6>> cases[] = {{&block, {2, 2, 2, 2, 3, 3}},
                                                                         {&column, {1, 1, 2, 2, 2, 2}}};
        for (const auto &[volume, quads] : cases) {
            VolumeSurface surface(*volume);
            surface.regenerate();
            for (unsigned f = 0; f < 6; ++f)
                QCOMPARE(surface.drawnQuadCount(f), quads[f]);
        }
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

    void memoryFailureLeavesNoSurface()
    {
        // Algorithm, point and call that fails: a failing pool task is the second, the first must still finish
        // before the failure passes on.
        using Model::Automaton::SurfaceAlgorithm;
        const std::tuple<SurfaceAlgorithm, const char *, int> cases[] = {{SurfaceAlgorithm::CubicFaces, "count", 1},
                                                                         {SurfaceAlgorithm::CubicFaces, "allocate", 0},
                                                                         {SurfaceAlgorithm::CubicFaces, "write", 1},
                                                                         {SurfaceAlgorithm::MarchingCubes, "march", 1},
                                                                         {SurfaceAlgorithm::Octree, "octree", 0}};
        PoolThreads pool(2);
        for (const auto &[algorithm, point, call] : cases) {
            const QByteArray failAt(point);
            const int failingCall = call;
            auto volume = makeVolume(6, 4, 4, [](uint32_t x, uint32_t, uint32_t) { return x < 3 ? OpaqueA : ClearA; });
            VolumeSurface painter(*volume);
            volume->view().setSurfaceAlgorithm(algorithm);
            QVERIFY(painter.regenerate());
            const size_t bytes = painter.storedBytes();
            std::atomic<int> calls{0};
            VolumeSurface::setGenerationProbe([&](const char *where) {
                if (failAt == where && calls++ == failingCall)
                    throw std::bad_alloc();
            });
            bool result = true;
            try {
                result = painter.regenerate();
            } catch (...) {
                VolumeSurface::setGenerationProbe({});
                QFAIL("a failure escaped from regenerate");
            }
            VolumeSurface::setGenerationProbe({});
            QVERIFY(!result);
            QCOMPARE(painter.opaqueFaceCount() + painter.transparentFaceCount() + painter.emptyCellOutlineCount(),
                     size_t(0));
            QVERIFY(!painter.transparentTree());
            // Nothing left (no mesh, triangles or octree either) but the fixed size of an empty surface.
            TotalVolume empty(1, 1, 1, 1, 1, 1, Util::Vector3D(), 0u);
            QCOMPARE(painter.storedBytes(), VolumeSurface(empty).storedBytes());
            QCOMPARE(painter.takeFailure(), memoryFailure);
            QVERIFY(painter.takeFailure().isEmpty());
            // The cells are unlocked again and the next generation works.
            QVERIFY(painter.regenerate());
            QCOMPARE(painter.storedBytes(), bytes);
        }
    }

    void columnFromSeveralEyes()
    {
        QVERIFY(!BSPTree::build({}, unit));
        QVERIFY(!BSPTree::inTreeOrder(twoCellColumn()));
        auto tree = BSPTree::build(twoCellColumn(), unit);
        QVERIFY(BSPTree::inTreeOrder(tree->faces()));
        // From above: along x the plane 0 lies before the eye, the plane 1 beyond it and the slab between them
        // around it: items before come first, items beyond from the far end, the item around the eye last; so on.
        QCOMPARE(runsFrom(*tree, Util::Vector3D(0.5, 0.5, 100)),
                 (Runs{{4, 14}, {5, 15}, {2, 12}, {3, 13}, {0}, {1, 10}, {11}}));
        // From +x at the lower cell's height: plane x = 1 last; along z plane 0 below the eye, 1 and 2 above.
        QCOMPARE(runsFrom(*tree, Util::Vector3D(100, 0.5, 0.5)),
                 (Runs{{4, 14}, {2, 12}, {3, 13}, {0}, {11}, {1, 10}, {5, 15}}));
        // From (+x, -y, +z): far sides x = 0 and y = 1 first, then bottom to top, then near sides y = 0, x = 1.
        QCOMPARE(runsFrom(*tree, Util::Vector3D(100, -100, 100)),
                 (Runs{{4, 14}, {3, 13}, {0}, {1, 10}, {11}, {2, 12}, {5, 15}}));
    }

    void eyeOnAPlaneDrawsThatPlaneLast()
    {
        // Side faces of cells on either side of the plane x = 1 and the two faces lying in it.
        std::vector<CellFace> faces{{0, 0, 0, 4, 1}, {0, 0, 0, 5, 2}, {1, 0, 0, 4, 3}, {1, 0, 0, 5, 4}};
        auto tree = BSPTree::build(faces, unit);
        QCOMPARE(runsFrom(*tree, Util::Vector3D(1, 0.5, 0.5)), (Runs{{1}, {4}, {2, 3}}));
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
