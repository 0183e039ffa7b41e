#include "octreesurface.h"

#include "Model/Surfaces/octree.h"
#include "Model/Surfaces/surfacemesh.h"
#include "Model/Volume/totalvolume.h"

#include <algorithm>

namespace Model {
namespace Automaton {

using Geometry::NodeFace;
using Geometry::QuadFace;

namespace {

uint32_t log2Of(int32_t size)
{
    uint32_t bits = 0;
    while ((int32_t(1) << bits) < size)
        ++bits;
    return bits;
}

// Walks a tree's leaves and emits what each shows towards its neighbours.
class FaceEmitter {
public:
    FaceEmitter(const Octree &tree, const FacePalette &palette, std::vector<NodeFace> &opaque,
                std::vector<NodeFace> &transparent)
        : m_tree(tree)
        , m_palette(palette)
        , m_opaque(opaque)
        , m_transparent(transparent)
    {
    }

    void run()
    {
        // Every face lies between a leaf that shows it and a leaf (or the space beyond the root)
        // that does not hide it. Faces are found from the hiding side's point of view: only a
        // leaf that is not opaque can see faces, so opaque leaves look for none.
        std::vector<uint32_t> stack{Octree::rootIndex};
        while (!stack.empty()) {
            const uint32_t at = stack.back();
            stack.pop_back();
            const OctreeNode &node = m_tree.node(at);
            if (!node.leaf) {
                for (unsigned i = 8; i-- > 0;)
                    stack.push_back(node.child(i));
                continue;
            }
            if (node.material != 0 && m_palette.opacity(node.material) == OpacityClass::Opaque)
                continue;
            for (unsigned f = 0; f < 6; ++f)
                lookAcross(at, f);
        }
        // The root's own sides face the space outside the window.
        for (unsigned f : {1u, 0u, 5u, 4u, 3u, 2u})
            collect(Octree::rootIndex, f, 0);
    }

private:
    // Whether a leaf of `material` shows its face to a leaf of `seen` (0 for empty space).
    bool shows(uint32_t material, uint32_t seen) const
    {
        if (material == 0)
            return false;
        const OpacityClass own = m_palette.opacity(material);
        if (own == OpacityClass::Invisible)
            return false;
        if (seen != 0 && m_palette.opacity(seen) == OpacityClass::Opaque)
            return false;
        return own == OpacityClass::Opaque || seen != material;
    }

    void emitFace(uint32_t material, const uint32_t origin[3], int32_t size, unsigned face)
    {
        const NodeFace nodeFace(origin, log2Of(size), face, m_palette.slot(material));
        if (m_palette.opacity(material) == OpacityClass::Opaque)
            m_opaque.push_back(nodeFace);
        else
            m_transparent.push_back(nodeFace);
    }

    // The faces that the leaf `at` sees across its side `face`.
    void lookAcross(uint32_t at, unsigned face)
    {
        const uint32_t across = m_tree.neighbour(at, face);
        if (across == OctreeNode::none)
            return; // beyond the root: its sides are collected at the end
        const OctreeNode &leaf = m_tree.node(at);
        const OctreeNode &other = m_tree.node(across);
        const unsigned facing = face ^ 1u;
        if (other.leaf && other.size > leaf.size) {
            // A larger leaf: only the part of its face that this leaf covers, so that the leaves
            // along it do not each give the whole face again.
            if (shows(other.material, leaf.material)) {
                const int *step = Geometry::FaceTable::neighbours[face];
                const uint32_t origin[3] = {leaf.origin[0] + uint32_t(step[0] * leaf.size),
                                            leaf.origin[1] + uint32_t(step[1] * leaf.size),
                                            leaf.origin[2] + uint32_t(step[2] * leaf.size)};
                emitFace(other.material, origin, leaf.size, facing);
            }
            return;
        }
        collect(across, facing, leaf.material);
    }

    // The faces `face` of the leaves under `at` on that side, as seen by a leaf of `seen`.
    void collect(uint32_t at, unsigned face, uint32_t seen)
    {
        // Children on the side of face 0 have iz = 0, face 1 iz = 1, 2 iy = 0, 3 iy = 1, 4 ix = 0, 5 ix = 1.
        const unsigned bit = 1u << (face / 2);
        const unsigned side = (face & 1u) ? bit : 0u;
        m_stack.assign(1, at);
        while (!m_stack.empty()) {
            const OctreeNode &node = m_tree.node(m_stack.back());
            m_stack.pop_back();
            if (node.leaf) {
                if (shows(node.material, seen))
                    emitFace(node.material, node.origin, node.size, face);
                continue;
            }
            for (unsigned i = 8; i-- > 0;) {
                if ((i & bit) == side)
                    m_stack.push_back(node.child(i));
            }
        }
    }

    const Octree &m_tree;
    const FacePalette &m_palette;
    std::vector<NodeFace> &m_opaque;
    std::vector<NodeFace> &m_transparent;
    std::vector<uint32_t> m_stack;
};

// What a cell puts into the tree: its material, or nothing (0) when it is cut.
uint32_t materialOf(const Cells &cells, size_t i) { return cells.isCut(i) ? 0u : cells.state(i); }

// Every cell of the window [low, high) that holds material goes into the tree. The window is
// walked in aligned bricks; a brick of one material goes in as one block, which leaves the same
// tree as its cells one by one would, without splitting it to single cells and merging them back.
void insertCells(Octree &tree, const Cells &cells, const uint32_t n[3], const uint32_t low[3], const uint32_t high[3])
{
    const uint32_t brick = uint32_t(std::min<int32_t>(8, tree.root().size));
    auto at = [&](uint32_t x, uint32_t y, uint32_t z) { return materialOf(cells, (size_t(x) * n[1] + y) * n[2] + z); };
    for (uint32_t bx = low[0]; bx < high[0]; bx += brick) {
        for (uint32_t by = low[1]; by < high[1]; by += brick) {
            for (uint32_t bz = low[2]; bz < high[2]; bz += brick) {
                const uint32_t ex = std::min(bx + brick, high[0]);
                const uint32_t ey = std::min(by + brick, high[1]);
                const uint32_t ez = std::min(bz + brick, high[2]);
                const uint32_t first = at(bx, by, bz);
                bool uniform = true;
                for (uint32_t x = bx; x < ex && uniform; ++x)
                    for (uint32_t y = by; y < ey && uniform; ++y)
                        for (uint32_t z = bz; z < ez; ++z)
                            if (at(x, y, z) != first) {
                                uniform = false;
                                break;
                            }
                if (uniform && first == 0)
                    continue;
                // A brick cut by the window's upper end also holds cells that stay empty.
                const bool whole = ex - bx == brick && ey - by == brick && ez - bz == brick;
                if (uniform && whole) {
                    tree.insertBlock(bx, by, bz, int32_t(brick), first);
                    continue;
                }
                for (uint32_t x = bx; x < ex; ++x)
                    for (uint32_t y = by; y < ey; ++y)
                        for (uint32_t z = bz; z < ez; ++z)
                            if (const uint32_t material = at(x, y, z))
                                tree.insert(x, y, z, material);
            }
        }
    }
}

} // namespace

OctreeSurface::OctreeSurface(TotalVolume &volume)
    : m_volume(volume)
    , m_cellSize{volume.cellSizeX(), volume.cellSizeY(), volume.cellSizeZ()}
{
}

void OctreeSurface::emitFaces(const Octree &tree, const FacePalette &palette, std::vector<NodeFace> &opaque,
                              std::vector<NodeFace> &transparent)
{
    FaceEmitter(tree, palette, opaque, transparent).run();
}

void OctreeSurface::generate(const std::array<uint32_t, 3> &lower, const std::array<uint32_t, 3> &upper,
                             const FacePalette::ColorMap &colors, const GenerationProbe &probe)
{
    std::lock_guard<std::mutex> guard(m_mutex);
    std::vector<NodeFace>().swap(m_opaque);
    std::vector<NodeFace>().swap(m_transparent);
    m_palette = FacePalette(colors);

    const uint32_t n[3] = {m_volume.sizeX(), m_volume.sizeY(), m_volume.sizeZ()};
    uint32_t low[3];
    uint32_t high[3];
    uint32_t extent = 0;
    for (int a = 0; a < 3; ++a) {
        high[a] = std::min(upper[a], n[a]);
        low[a] = std::min(lower[a], high[a]);
        extent = std::max(extent, high[a] - low[a]);
    }
    if (probe)
        probe("octree");
    Octree tree(low, Octree::rootSize(extent));
    {
        CellLock lock(m_volume);
        insertCells(tree, lock.cells(), n, low, high);
    }
    emitFaces(tree, m_palette, m_opaque, m_transparent);
    m_opaque.shrink_to_fit();
    m_transparent.shrink_to_fit();
    m_rootSize = tree.root().size;
    m_leafCount = tree.leafCount();
    m_nodeCount = tree.nodeCount();
}

void OctreeSurface::release()
{
    std::lock_guard<std::mutex> guard(m_mutex);
    std::vector<NodeFace>().swap(m_opaque);
    std::vector<NodeFace>().swap(m_transparent);
    m_palette = FacePalette();
}

void OctreeSurface::recolor(const FacePalette::ColorMap &colors, bool selected)
{
    std::lock_guard<std::mutex> guard(m_mutex);
    m_palette.recolor(colors, selected);
}

QuadFace OctreeSurface::quadFace(const NodeFace &face) const
{
    const float origin[3] = {float(face.x), float(face.y), float(face.z)};
    const float edge = float(face.edge());
    float corners[4][3];
    for (int k = 0; k < 4; ++k) {
        for (int i = 0; i < 3; ++i)
            corners[k][i] = (origin[i] + edge * Geometry::FaceTable::corners[face.face()][k][i]) * m_cellSize[i];
    }
    const FacePalette::Color &color = m_palette.color(face.slot());
    return QuadFace(corners, face.face(), color, color, m_palette.material(face.slot()));
}

void OctreeSurface::appendTo(SurfaceMesh &mesh, const FacePalette::ColorMap &colors) const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    for (const auto *list : {&m_opaque, &m_transparent}) {
        for (const NodeFace &face : *list) {
            const auto it = colors.find(m_palette.material(face.slot()));
            mesh.addFace(face, SurfaceMesh::rgb(it != colors.end() ? it->second : FacePalette::Color{0, 0, 0, 1}));
        }
    }
}

size_t OctreeSurface::opaqueFaceCount() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_opaque.size();
}

size_t OctreeSurface::transparentFaceCount() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_transparent.size();
}

std::vector<QuadFace> OctreeSurface::opaqueFaces() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    std::vector<QuadFace> faces;
    faces.reserve(m_opaque.size());
    for (const NodeFace &face : m_opaque)
        faces.push_back(quadFace(face));
    return faces;
}

std::vector<QuadFace> OctreeSurface::transparentFaces() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    std::vector<QuadFace> faces;
    faces.reserve(m_transparent.size());
    for (const NodeFace &face : m_transparent)
        faces.push_back(quadFace(face));
    return faces;
}

int32_t OctreeSurface::rootSize() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_rootSize;
}

size_t OctreeSurface::leafCount() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_leafCount;
}

size_t OctreeSurface::nodeCount() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_nodeCount;
}

size_t OctreeSurface::storedBytes() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    return (m_opaque.capacity() + m_transparent.capacity()) * sizeof(NodeFace) + m_palette.storedBytes();
}

void OctreeSurface::withFaces(const std::function<void(const Faces &)> &use) const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    use(Faces{m_palette, m_opaque, m_transparent, m_cellSize});
}

} // namespace Automaton
} // namespace Model
