// The smooth surface algorithms (marching cubes, the octree of uniform blocks) and surfaces written as mesh files.
#include "Model/Materials/materialfactory.h"
#include "Model/Persistence/surfacemeshfile.h"
#include "Model/Surfaces/marchingcubesurface.h"
#include "Model/Surfaces/octree.h"
#include "Model/Surfaces/octreesurface.h"
#include "Model/Surfaces/surfacemesh.h"
#include "Model/Surfaces/volumesurface.h"
#include "Model/Volume/totalvolume.h"
#include "catalogtesthome.h"
#include "filecontents.h"
#include "fulldisk.h"
#include "meshchecks.h"
#include "meshreader.h"
#include "volumetesthelpers.h"

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <tuple>

using namespace Model::Automaton;
using Model::Geometry::QuadFace;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Model::Persistence::SurfaceMeshFile;

namespace {

enum : uint32_t { A = 1, B = 3 };

std::vector<Triangle> march(TotalVolume &volume, std::array<uint32_t, 3> lower = {0, 0, 0},
                            std::array<uint32_t, 3> upper = {~0u, ~0u, ~0u})
{
    MarchingCubeSurface surface(volume);
    surface.generate(lower, upper);
    return surface.triangles();
}

std::vector<MeshChecks::Tri> lattice(const std::vector<Triangle> &triangles, const float cellSize[3])
{
    std::vector<MeshChecks::Tri> out;
    for (const Triangle &t : triangles)
        out.push_back({MeshChecks::halfCells(t.vertices[0].position, cellSize),
                       MeshChecks::halfCells(t.vertices[1].position, cellSize),
                       MeshChecks::halfCells(t.vertices[2].position, cellSize)});
    return out;
}

size_t distinctVertices(const std::vector<Triangle> &triangles)
{
    std::set<std::array<float, 3>> positions;
    for (const Triangle &t : triangles)
        for (const auto &v : t.vertices)
            positions.insert({v.position[0], v.position[1], v.position[2]});
    return positions.size();
}

double volumeOf(const std::vector<Triangle> &triangles)
{
    std::vector<std::array<std::array<double, 3>, 3>> corners;
    for (const Triangle &t : triangles) {
        std::array<std::array<double, 3>, 3> c;
        for (int v = 0; v < 3; ++v)
            for (int i = 0; i < 3; ++i)
                c[v][i] = t.vertices[v].position[i];
        corners.push_back(c);
    }
    return MeshChecks::enclosedVolume(corners);
}

const float unit[3] = {1, 1, 1};

enum : uint32_t { OpaqueA = 111, OpaqueB = 112, ClearA = 113, ClearB = 114, Ghost = 115, Red = 121, Blue = 122 };

const FacePalette::ColorMap colors = {{0, {0, 0, 0, 0}},
                                      {OpaqueA, {0.8f, 0.2f, 0.1f, 1.0f}},
                                      {OpaqueB, {0.1f, 0.9f, 0.3f, 1.0f}},
                                      {ClearA, {0.2f, 0.2f, 1.0f, 0.5f}},
                                      {ClearB, {1.0f, 1.0f, 0.2f, 0.3f}},
                                      {Ghost, {1.0f, 1.0f, 1.0f, 0.001f}},
                                      {Red, {1.0f, 0.0f, 0.0f, 1.0f}},
                                      {Blue, {0.2f, 0.4f, 1.0f, 1.0f}}};

void defineMaterials()
{
    auto factory = MaterialFactory::instance();
    for (const auto &entry : colors) {
        if (entry.first != 0)
            factory->setMaterial(
                Material(entry.first, QStringLiteral("Octree test %1").arg(entry.first), 1, 1, 0.1f, entry.second));
    }
}

// A face cut into unit cell faces: (x, y, z of the cell it belongs to, face number, material).
using UnitFace = std::tuple<int, int, int, unsigned, uint32_t>;

std::map<UnitFace, int> unitFaces(const std::vector<QuadFace> &faces)
{
    std::map<UnitFace, int> out;
    for (const QuadFace &q : faces) {
        int low[3];
        int high[3];
        for (int i = 0; i < 3; ++i) {
            low[i] = int(std::lround(std::min({q.corners[0][i], q.corners[1][i], q.corners[2][i], q.corners[3][i]})));
            high[i] = int(std::lround(std::max({q.corners[0][i], q.corners[1][i], q.corners[2][i], q.corners[3][i]})));
        }
        const unsigned f = q.faceNumber();
        const int axis = 2 - int(f / 2);
        // The face's plane is the cell's upper side for faces 1, 3, 5.
        if (f & 1u)
            --low[axis];
        high[axis] = low[axis] + 1;
        for (int x = low[0]; x < high[0]; ++x)
            for (int y = low[1]; y < high[1]; ++y)
                for (int z = low[2]; z < high[2]; ++z)
                    ++out[UnitFace{x, y, z, f, q.material}];
    }
    return out;
}

// The shown (cubic) surface of a volume as a mesh.
SurfaceMesh meshOf(TotalVolume &volume)
{
    Model::Surfaces::VolumeSurface surface(volume);
    surface.regenerate();
    const float cellSize[3] = {volume.cellSizeX(), volume.cellSizeY(), volume.cellSizeZ()};
    SurfaceMesh mesh(cellSize, volume.position());
    surface.appendShownSurface(mesh);
    return mesh;
}

} // namespace

class tst_SurfaceAlgorithms : public QObject {
    Q_OBJECT
private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;

private slots:
    void initTestCase() { defineMaterials(); }

    void singleCellGivesAClosedOctahedron()
    {
        // Cell (1, 1, 1) of sizes 1, 2, 3: vertices half a cell from its corner (1, 2, 3) along each axis.
        TotalVolume volume(3, 3, 3, 1.0f, 2.0f, 3.0f, Util::Vector3D(), 0u);
        setStateAt(volume, 1, 1, 1, A);
        const auto triangles = march(volume);
        QCOMPARE(triangles.size(), size_t(8));
        std::set<std::array<float, 3>> positions;
        for (const Triangle &t : triangles) {
            for (const auto &v : t.vertices) {
                positions.insert({v.position[0], v.position[1], v.position[2]});
                QCOMPARE(v.material, uint32_t(A));
            }
        }
        const std::set<std::array<float, 3>> expected = {{0.5f, 2, 3}, {1.5f, 2, 3}, {1, 1, 3},
                                                         {1, 3, 3},    {1, 2, 1.5f}, {1, 2, 4.5f}};
        QCOMPARE(positions, expected);
        const float cellSize[3] = {1, 2, 3};
        QVERIFY(MeshChecks::closedAndOriented(lattice(triangles, cellSize)));
        // Half-diagonals 0.5, 1, 1.5 hold 4/3 * 0.5 * 1 * 1.5 = 1, positive as the triangles face outwards.
        QCOMPARE(volumeOf(triangles), 1.0);
    }

    void smoothedNormalsOfAnOctahedron()
    {
        // Keys round half up: the vertices at -x, -y, -z of cell (1, 1, 1) share key (1, 1, 1) and the mean of
        // their twelve face normals, (-1, -1, -1) / sqrt(3); the one at +x alone has key (2, 1, 1), normal (1, 0, 0).
        auto volume = makeVolume(
            3, 3, 3, [](uint32_t x, uint32_t y, uint32_t z) { return x == 1 && y == 1 && z == 1 ? uint32_t(A) : 0u; });
        const float s = 1.0f / std::sqrt(3.0f);
        for (const Triangle &t : march(*volume)) {
            for (const auto &v : t.vertices) {
                for (int i = 0; i < 3; ++i) {
                    const bool alone = v.position[0] + v.position[1] + v.position[2] == 3.5f;
                    const float expected = alone ? (v.position[i] == 1.5f ? 1.0f : 0.0f) : -s;
                    QVERIFY(std::fabs(v.normal[i] - expected) < 1e-6f);
                }
            }
        }
    }

    void handCountedShapes()
    {
        // The window's lower layers count as empty. Two along x: four cubes hold both (a quad each), eight one (a
        // triangle each). Along an edge: two cubes cut two corners each, twelve one. A 2^3 block: 6 x 2 + 12 x 2 + 8.
        using CellList = std::vector<std::array<uint32_t, 3>>;
        const std::tuple<CellList, int, int> cases[] = {
            {{{0, 1, 1}, {1, 0, 1}, {1, 1, 0}}, 0, 0},
            {{{1, 1, 1}, {2, 1, 1}}, 16, 10},
            {{{1, 1, 1}, {2, 2, 1}}, 16, 12},
            {{{1, 1, 1}, {1, 1, 2}, {1, 2, 1}, {1, 2, 2}, {2, 1, 1}, {2, 1, 2}, {2, 2, 1}, {2, 2, 2}}, 44, 24}};
        for (const auto &[cells, triangles, vertices] : cases) {
            TotalVolume volume(4, 4, 4, 1, 1, 1, Util::Vector3D(), 0u);
            for (const auto &c : cells)
                setStateAt(volume, c[0], c[1], c[2], A);
            const auto result = march(volume);
            QCOMPARE(int(result.size()), triangles);
            QCOMPARE(int(distinctVertices(result)), vertices);
            QVERIFY(MeshChecks::closedAndOriented(lattice(result, unit)));
        }
    }

    void windowAndCutCells()
    {
        // A 6^3 block through the window [1, 4): corners 2 to 4 inside (lower layer empty, upper end inclusive).
        auto volume = makeVolume(6, 6, 6, [](uint32_t, uint32_t, uint32_t) { return uint32_t(A); });
        const auto windowed = march(*volume, {1, 1, 1}, {4, 4, 4});
        // k^3 inside corners: 6 (k-1)^2 face cubes (2 triangles), 12 (k-1) edge cubes (2), 8 corners: 104 for k = 3.
        QCOMPARE(windowed.size(), size_t(104));
        for (const Triangle &t : windowed) {
            for (const auto &v : t.vertices) {
                for (float c : v.position)
                    QVERIFY(c >= 1.5f && c <= 4.5f);
            }
        }
        // 5^3 filled: k = 4, 188 triangles; cutting the middle cell adds 8 facing into the hollow.
        auto block = makeVolume(5, 5, 5, [](uint32_t, uint32_t, uint32_t) { return uint32_t(A); });
        const auto solid = march(*block);
        QCOMPARE(solid.size(), size_t(188));
        {
            Model::Automaton::CellLock lock(*block);
            lock.cells().addCut(block->index(2, 2, 2));
        }
        const auto hollow = march(*block);
        QCOMPARE(hollow.size(), size_t(196));
        QVERIFY(MeshChecks::closedAndOriented(lattice(hollow, unit)));
        // The hollow is the single-cell octahedron (1/6 of a cell) turned inside out.
        QVERIFY(std::fabs(volumeOf(solid) - volumeOf(hollow) - 1.0 / 6.0) < 1e-9);
    }

    void verticesTakeTheMaterialOfTheirCell()
    {
        TotalVolume volume(4, 3, 3, 1, 1, 1, Util::Vector3D(), 0u);
        setStateAt(volume, 1, 1, 1, A);
        setStateAt(volume, 2, 1, 1, B);
        for (const Triangle &t : march(volume)) {
            for (const auto &v : t.vertices) {
                // Vertices lie half way from a cell to an empty corner: x 0.5 or 1 by the first, 2 or 2.5 by the
                // second.
                const uint32_t expected = v.position[0] < 1.5f ? uint32_t(A) : uint32_t(B);
                QCOMPARE(v.material, expected);
            }
        }
    }

    void randomVolumesGiveClosedSurfaces()
    {
        std::set<int> cases; // corner patterns of the cubes met, to be sure every table row is used
        for (uint32_t seed = 1; seed <= 20; ++seed) {
            const auto filled = [seed](uint32_t x, uint32_t y, uint32_t z) {
                return patternState(x, y, z, seed, 3) % 2 ? uint32_t(A) : 0u;
            };
            const auto triangles = march(*makeVolume(9, 8, 10, filled));
            QVERIFY2(MeshChecks::closedAndOriented(lattice(triangles, unit)), qPrintable(QString::number(seed)));
            QVERIFY(volumeOf(triangles) > 0);
            // Cubes between cells 1 to 8, 1 to 7 and 1 to 9 (the window's lower layers count as empty).
            for (uint32_t i = 0; i < 7 * 6 * 8; ++i) {
                int index = 0;
                for (uint32_t c = 0; c < 8; ++c)
                    index |= int(filled(1 + i / 48 + (c & 1), 1 + i / 8 % 6 + (c >> 1 & 1), 1 + i % 8 + (c >> 2)) != 0)
                             << c;
                cases.insert(index);
            }
        }
        QCOMPARE(cases.size(), size_t(256));
    }

    void sameTrianglesForOneTwoAndThreeThreads()
    {
        auto volume = makeVolume(13, 9, 11, [](uint32_t x, uint32_t y, uint32_t z) {
            return std::array<uint32_t, 5>{0, A, B, A, 0}[patternState(x, y, z, 5, 4)]; // 0 to 4
        });
        {
            Model::Automaton::CellLock lock(*volume);
            lock.cells().addCut(volume->index(6, 4, 5));
            lock.cells().addCut(volume->index(4, 4, 4));
        }
        std::vector<Triangle> reference;
        for (int threads : {1, 2, 3}) {
            PoolThreads pool(threads);
            MarchingCubeSurface surface(*volume);
            surface.generate({1, 0, 2}, {12, 9, 10});
            QCOMPARE(surface.lastTaskCount(), threads == 1 ? 0u : unsigned(threads));
            const auto triangles = surface.triangles();
            QVERIFY(triangles.size() > 100);
            if (threads == 1)
                reference = triangles;
            QCOMPARE(triangles.size(), reference.size());
            QVERIFY(std::memcmp(triangles.data(), reference.data(), triangles.size() * sizeof(Triangle)) == 0);
        }
    }

    void insertionSplitsMergesAndFindsNeighbours()
    {
        // The root is the smallest power of two covering the largest extent.
        for (const auto &[extent, size] : {std::pair(0, 1), std::pair(2, 2), std::pair(5, 8), std::pair(9, 16)})
            QCOMPARE(Octree::rootSize(extent), size);
        const uint32_t origin[3] = {0, 0, 0};
        Octree tree(origin, 4);
        tree.insert(1, 1, 1, OpaqueA);
        // 4 -> eight 2s -> eight 1s: the root, one inner 2 and 16 leaves.
        QCOMPARE(tree.nodeCount(), size_t(17));
        QCOMPARE(tree.leafCount(), size_t(15));
        QCOMPARE(tree.node(tree.leafAt(1, 1, 1)).material, uint32_t(OpaqueA));
        QCOMPARE(tree.node(tree.leafAt(0, 0, 0)).material, 0u);
        QCOMPARE(tree.node(tree.leafAt(3, 3, 3)).size, 2);
        // Neighbours are leaves of equal size or larger: +x of (1, 1, 1) the 2-leaf at (2, 0, 0), -x its sibling.
        const uint32_t small = tree.leafAt(1, 1, 1);
        QCOMPARE(tree.node(tree.neighbour(small, 5)).size, 2);
        QCOMPARE(tree.node(tree.neighbour(small, 5)).origin[0], 2u);
        QCOMPARE(tree.node(tree.neighbour(small, 4)).origin[0], 0u);
        QCOMPARE(tree.node(tree.neighbour(small, 4)).size, 1);
        QCOMPARE(tree.neighbour(tree.leafAt(0, 0, 0), 4), OctreeNode::none);
        QCOMPARE(tree.neighbour(Octree::rootIndex, 1), OctreeNode::none);
        for (uint32_t x = 0; x < 2; ++x)
            for (uint32_t y = 0; y < 2; ++y)
                for (uint32_t z = 0; z < 2; ++z)
                    tree.insert(x, y, z, OpaqueA);
        // The first 2-block is full: its leaves merge into one of size 2.
        const OctreeNode &merged = tree.node(tree.leafAt(0, 1, 1));
        QCOMPARE(merged.size, 2);
        QCOMPARE(merged.material, uint32_t(OpaqueA));
        QCOMPARE(tree.leafCount(), size_t(8));
        // Filling everything merges up to the root; cells outside the root are left alone.
        for (uint32_t x = 0; x < 4; ++x)
            for (uint32_t y = 0; y < 4; ++y)
                for (uint32_t z = 0; z < 4; ++z)
                    tree.insert(x, y, z, OpaqueA);
        tree.insert(4, 0, 0, OpaqueB);
        QVERIFY(tree.root().leaf);
        QCOMPARE(tree.root().material, uint32_t(OpaqueA));
        QCOMPARE(tree.leafCount(), size_t(1));
        // A block over a finer part of the tree replaces it.
        Octree blocks(origin, 8);
        blocks.insert(1, 2, 3, OpaqueA);
        blocks.insert(0, 0, 0, OpaqueB);
        blocks.insertBlock(0, 0, 0, 4, OpaqueB);
        QCOMPARE(blocks.node(blocks.leafAt(1, 2, 3)).size, 4);
        QCOMPARE(blocks.node(blocks.leafAt(1, 2, 3)).material, uint32_t(OpaqueB));
        QCOMPARE(blocks.leafCount(), size_t(8));
    }

    void uniformBlockGivesItsSixSides()
    {
        TotalVolume volume(4, 4, 4, 1.0f, 2.0f, 3.0f, Util::Vector3D(), OpaqueA);
        OctreeSurface surface(volume);
        surface.generate({0, 0, 0}, {4, 4, 4}, colors);
        QCOMPARE(surface.leafCount(), size_t(1));
        const auto faces = surface.opaqueFaces();
        QCOMPARE(faces.size(), size_t(6));
        QCOMPARE(surface.transparentFaceCount(), size_t(0));
        QCOMPARE(faces[0].faceNumber(), 1u); // the root's +z side first
        const float top[4][3] = {{0, 0, 12}, {4, 0, 12}, {4, 8, 12}, {0, 8, 12}};
        for (int k = 0; k < 4; ++k)
            for (int i = 0; i < 3; ++i)
                QCOMPARE(faces[0].corners[k][i], top[k][i]);
        QCOMPARE(faces[0].material, uint32_t(OpaqueA));
        QCOMPARE(faces[0].fillColor, colors.at(OpaqueA));
        surface.recolor(colors, true); // keeps the faces
        QCOMPARE(surface.opaqueFaces()[0].fillColor, Model::Automaton::highlighted(colors.at(OpaqueA)));
        QCOMPARE(surface.opaqueFaceCount(), size_t(6));
    }

    void aHoleShowsFacesAroundItOnly()
    {
        auto volume = makeVolume(
            4, 4, 4, [](uint32_t x, uint32_t y, uint32_t z) { return x == 1 && y == 2 && z == 1 ? 0u : OpaqueA; });
        OctreeSurface surface(*volume);
        surface.generate({0, 0, 0}, {4, 4, 4}, colors);
        const auto faces = unitFaces(surface.opaqueFaces());
        // The six neighbours of the hole, each showing the face that looks into it.
        std::map<UnitFace, int> inner;
        for (const auto &entry : faces) {
            const auto [x, y, z, f, m] = entry.first;
            QCOMPARE(entry.second, 1);
            const int coordinate[3] = {x, y, z};
            const int axis = 2 - int(f / 2);
            const bool outer = (f & 1u) ? coordinate[axis] == 3 : coordinate[axis] == 0;
            if (!outer)
                inner[entry.first] = entry.second;
        }
        const std::map<UnitFace, int> expected = {{{1, 2, 0, 1, OpaqueA}, 1}, {{1, 2, 2, 0, OpaqueA}, 1},
                                                  {{1, 1, 1, 3, OpaqueA}, 1}, {{1, 3, 1, 2, OpaqueA}, 1},
                                                  {{0, 2, 1, 5, OpaqueA}, 1}, {{2, 2, 1, 4, OpaqueA}, 1}};
        QCOMPARE(inner, expected);
        // 96 unit faces outside, in 2 x 2 pieces but where the split block around the hole meets x = 0, y = 4, z = 0.
        QCOMPARE(int(faces.size()), 96 + 6);
        QCOMPARE(surface.opaqueFaceCount(), size_t(3 * 4 + 3 * (3 + 4) + 6));
    }

    void coversTheCubicFacesExactlyOnce()
    {
        // Uniform blocks beside single cells of every opacity, cuts and a narrowed window: every face the cubic
        // surface shows (worked by hand in the painter's test) the octree shows exactly once, in the same list.
        const uint32_t materials[] = {0, OpaqueA, OpaqueB, ClearA, ClearB, Ghost};
        const std::array<uint32_t, 3> lower{1, 0, 2}, upper{11, 8, 10};
        for (uint32_t seed = 1; seed <= 12; ++seed) {
            auto volume = makeVolume(11, 9, 10, [&](uint32_t x, uint32_t y, uint32_t z) {
                const uint32_t block = patternState(x / 4, y / 4, z / 4, seed, 5);
                const uint32_t single = patternState(x, y, z, seed + 100, 40);
                return single < 6 ? materials[single] : materials[block];
            });
            {
                Model::Automaton::CellLock lock(*volume);
                for (uint32_t i = 0; i < volume->cellCount(); i += 37)
                    lock.cells().addCut(i);
            }
            Model::Surfaces::VolumeSurface painter(*volume);
            volume->view().setCutLimits(lower, upper);
            volume->view().setSurfaceAlgorithm(SurfaceAlgorithm::CubicFaces);
            QVERIFY(painter.regenerate());
            const auto cubicOpaque = unitFaces(painter.opaqueFaces());
            const auto cubicTransparent = unitFaces(painter.transparentFaces());
            volume->view().setSurfaceAlgorithm(SurfaceAlgorithm::Octree);
            QVERIFY(painter.regenerate());
            QCOMPARE(painter.opaqueFaceCount(), size_t(0)); // only the selected surface is built
            const OctreeSurface &surface = painter.octreeSurface();
            QVERIFY(!cubicOpaque.empty() && !cubicTransparent.empty());
            QCOMPARE(unitFaces(surface.opaqueFaces()), cubicOpaque);
            QCOMPARE(unitFaces(surface.transparentFaces()), cubicTransparent);
        }
    }

    void meshFileNamesAndRefusals()
    {
        QCOMPARE(int(SurfaceMeshFile::formatOf(QStringLiteral("PART.STL"))), int(SurfaceMeshFile::Format::Stl));
        QCOMPARE(int(SurfaceMeshFile::formatOf(QStringLiteral("dir.v2/part.ply"))), int(SurfaceMeshFile::Format::Ply));
        QCOMPARE(int(SurfaceMeshFile::formatOf(QStringLiteral("a.obj"))), int(SurfaceMeshFile::Format::Unknown));
        QDir(m_dir.path()).mkpath(QStringLiteral("folder.stl"));
        TotalVolume volume(1, 1, 1, 1, 1, 1, Util::Vector3D(), Red);
        const SurfaceMesh mesh = meshOf(volume);
        const std::pair<const char *, const char *> refusals[] = {{"part.obj", "must end in .stl (binary STL) or .ply"},
                                                                  {"folder.stl", "is a folder, not a file"}};
        for (const auto &refusal : refusals) {
            const QString file = m_dir.filePath(QLatin1String(refusal.first));
            QString error;
            QVERIFY(!SurfaceMeshFile::write({&mesh}, file, &error));
            QVERIFY2(error.startsWith(QStringLiteral("The surface could not be exported to \"%1\": ").arg(file)),
                     qPrintable(error));
            QVERIFY2(error.contains(QLatin1String(refusal.second)), qPrintable(error));
        }
        QVERIFY(QFileInfo(m_dir.filePath(QStringLiteral("folder.stl"))).isDir());
    }

    void stlHoldsTheCellInWorldUnits()
    {
        // Cell (1, 0, 0) of 2 x 0.5 x 1 in a volume at (10, 20, 30) spans x 12..14, y 20..20.5, z 30..31.
        std::vector<uint32_t> states(12, 0u);
        states[4] = Red; // (1 * 2 + 0) * 2 + 0
        TotalVolume volume(3, 2, 2, 2.0f, 0.5f, 1.0f, Util::Vector3D(10, 20, 30), states);
        const SurfaceMesh mesh = meshOf(volume);
        // A longer file of that name is replaced whole.
        const QString file = m_dir.filePath(QStringLiteral("cell.stl"));
        QVERIFY(writeFileContents(file, QByteArray(10000, 'x')));
        QString error;
        QVERIFY2(SurfaceMeshFile::write({&mesh}, file, &error), qPrintable(error));
        QCOMPARE(QFileInfo(file).size(), qint64(84 + 12 * 50));
        const auto stl = MeshReader::readStl(file);
        QVERIFY(stl.ok);
        QVERIFY(!stl.header.startsWith("solid"));
        QCOMPARE(stl.triangles.size(), size_t(12));
        const std::set<float> xs{12, 14}, ys{20, 20.5f}, zs{30, 31};
        std::array<int, 6> perNormal{};
        for (const auto &t : stl.triangles) {
            for (const auto &c : t.corners)
                QVERIFY(xs.count(c[0]) && ys.count(c[1]) && zs.count(c[2]));
            // A unit normal along an axis (outward: it agrees with the corners' order, see below).
            int axis = -1;
            for (int i = 0; i < 3; ++i) {
                if (std::fabs(t.normal[i]) == 1.0f)
                    axis = i;
            }
            QVERIFY(axis >= 0);
            ++perNormal[2 * axis + (t.normal[axis] > 0)];
            // The stored normal agrees with the corners' order.
            const auto &a = t.corners[0];
            const auto &b = t.corners[1];
            const auto &c = t.corners[2];
            const float n[3] = {(b[1] - a[1]) * (c[2] - a[2]) - (b[2] - a[2]) * (c[1] - a[1]),
                                (b[2] - a[2]) * (c[0] - a[0]) - (b[0] - a[0]) * (c[2] - a[2]),
                                (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])};
            QVERIFY(n[0] * t.normal[0] + n[1] * t.normal[1] + n[2] * t.normal[2] > 0);
        }
        QCOMPARE(perNormal, (std::array<int, 6>{2, 2, 2, 2, 2, 2}));
    }

    void plySharesVerticesAndColoursFaces()
    {
        // Two cells of two materials: ten faces, twenty triangles sharing twelve corners; then a volume at x = 5.
        TotalVolume volume(2, 1, 1, 1, 1, 1, Util::Vector3D(), std::vector<uint32_t>{Red, Blue});
        TotalVolume second(1, 1, 1, 1, 1, 1, Util::Vector3D(5, 0, 0), Blue);
        const SurfaceMesh mesh = meshOf(volume);
        const SurfaceMesh secondMesh = meshOf(second);
        QCOMPARE(mesh.vertexCount(), size_t(12));
        const QString file = m_dir.filePath(QStringLiteral("pair.ply"));
        QString error;
        QVERIFY2(SurfaceMeshFile::write({&mesh, &secondMesh}, file, &error), qPrintable(error));
        const auto ply = MeshReader::readPly(file);
        QVERIFY(ply.ok);
        QVERIFY(ply.headerLines.contains("format binary_little_endian 1.0"));
        QVERIFY(ply.headerLines.contains("property uchar red"));
        QCOMPARE(ply.vertices.size(), size_t(12 + 8));
        QCOMPARE(ply.faces.size(), size_t(20 + 12));
        int red = 0;
        for (size_t f = 0; f < ply.faces.size(); ++f) {
            float x = 0;
            for (int v : ply.faces[f]) {
                QVERIFY(f < 20 ? v >= 0 && v < 12 : v >= 12 && v < 20);
                x += ply.vertices[size_t(v)][0];
            }
            // Faces of the first cell lie at x <= 1, of the second at x >= 1, of the other volume at x >= 5.
            const bool isRed = ply.colors[f] == std::array<uint8_t, 3>{255, 0, 0};
            red += isRed ? 1 : 0;
            QVERIFY(isRed || ply.colors[f] == (std::array<uint8_t, 3>{51, 102, 255}));
            QVERIFY(isRed ? x <= 3 : x >= (f < 20 ? 3 : 15));
        }
        QCOMPARE(red, 10);
    }

    // A disk that fills up while a mesh is written: the system's reason and the earlier file whole.
    void meshOnAFullDiskKeepsTheEarlierFile()
    {
        for (const QString &name : {QStringLiteral("part.stl"), QStringLiteral("part.ply")}) {
            FullDisk disk;
            const QString file = disk.filePath(name);
            QVERIFY(writeFileContents(file, "earlier contents"));
            // Every other cell of 12^3: some 10,000 triangles, half a megabyte of STL.
            std::vector<uint32_t> states(12 * 12 * 12, 0u);
            for (size_t i = 0; i < states.size(); i += 2)
                states[i] = Red;
            TotalVolume volume(12, 12, 12, 1, 1, 1, Util::Vector3D(), states);
            const SurfaceMesh mesh = meshOf(volume);
            QString error;
            {
                const auto limit = disk.whileWriting();
                QVERIFY(!SurfaceMeshFile::write({&mesh}, file, &error));
            }
            QCOMPARE(error, SurfaceMeshFile::exportError(file, disk.reason()));
            QCOMPARE(fileContents(file), QByteArray("earlier contents"));
            QCOMPARE(disk.entries(), QStringList{name});
        }
    }

    void coordinatesBeyondTheLatticeAreRefused()
    {
        // 21 bits of half cells an axis: a face a million and a half cells out does not fit.
        const float cellSize[3] = {1, 1, 1};
        SurfaceMesh mesh(cellSize, Util::Vector3D());
        mesh.addFace(Model::Geometry::CellFace(1000000, 0, 0, 1, 0), SurfaceMesh::Rgb{0, 0, 0});
        QCOMPARE(mesh.triangleCount(), size_t(2));
        QVERIFY_EXCEPTION_THROWN(
            mesh.addFace(Model::Geometry::CellFace(1500000, 0, 0, 1, 0), SurfaceMesh::Rgb{0, 0, 0}), std::length_error);
    }
};

QTEST_GUILESS_MAIN(tst_SurfaceAlgorithms)
#include "tst_surfacealgorithms.moc"
