#include "totalvolumepainter.h"

#include "Model/Materials/materialfactory.h"
#include "Model/gl.h"
#include "Util/paralleltasks.h"
#include "totalvolume.h"

#include <QBitArray>

#include <algorithm>
#include <functional>

namespace Model {
namespace Automaton {

using Geometry::QuadFace;
using Geometry::FaceTable::normals;

OpacityClass opacityClass(float alpha)
{
    if (alpha > 254.0f / 255.0f)
        return OpacityClass::Opaque;
    if (alpha >= 1.0f / 255.0f)
        return OpacityClass::Transparent;
    return OpacityClass::Invisible;
}

std::array<float, 4> highlighted(const std::array<float, 4> &color)
{
    std::array<float, 4> c = color;
    highlightColor(c.data());
    return c;
}

/// Client-side vertex arrays of one face list, built once per generation or colour refresh.
struct TotalVolumePainter::DrawArrays {
    std::vector<float> positions;
    std::vector<float> normals;
    std::vector<uint8_t> colors;
    std::vector<uint8_t> edgeColors;
    /// Material of each quad, for colour refreshes of the merged mesh.
    std::vector<uint32_t> materials;
    bool edgeColorsValid = false;
    size_t faceCount = 0;
};

namespace {

// Fixed-width view of the colour map for the slab tasks: dense for the usual identifiers,
// the ordered map for the rare large ones. Unknown identifiers are invisible.
class ColorLookup {
public:
    explicit ColorLookup(const TotalVolumePainter::ColorMap &map)
        : m_map(map)
    {
        uint32_t top = 0;
        for (const auto &entry : map) {
            if (entry.first < denseLimit)
                top = std::max(top, entry.first);
        }
        m_classes.assign(static_cast<size_t>(top) + 1, OpacityClass::Invisible);
        m_colors.assign(static_cast<size_t>(top) + 1, TotalVolumePainter::Color{0, 0, 0, 0});
        for (const auto &entry : map) {
            if (entry.first < denseLimit) {
                m_classes[entry.first] = opacityClass(entry.second[3]);
                m_colors[entry.first] = entry.second;
            }
        }
    }

    OpacityClass opacity(uint32_t state) const
    {
        if (state < m_classes.size())
            return m_classes[state];
        const auto it = m_map.find(state);
        return it == m_map.end() ? OpacityClass::Invisible : opacityClass(it->second[3]);
    }
    TotalVolumePainter::Color color(uint32_t state) const
    {
        if (state < m_colors.size())
            return m_colors[state];
        const auto it = m_map.find(state);
        return it == m_map.end() ? TotalVolumePainter::Color{0, 0, 0, 0} : it->second;
    }

private:
    static constexpr uint32_t denseLimit = 1u << 16;
    const TotalVolumePainter::ColorMap &m_map;
    std::vector<OpacityClass> m_classes;
    std::vector<TotalVolumePainter::Color> m_colors;
};

struct Window {
    uint32_t lower[3];
    uint32_t upper[3];
};

using MeshQuad = TotalVolumePainter::MeshQuad;

// Splits [lower x, upper x) into one slab per pool thread and runs `work(x0, x1, slab)` for each,
// the last slab taking the remainder; with fewer columns than threads one call runs here.
// Returns the number of pool tasks started.
unsigned runSlabs(uint32_t lowerX, uint32_t upperX, unsigned &slabCount,
                  const std::function<void(uint32_t, uint32_t, unsigned)> &work)
{
    const unsigned threads = Util::poolThreadCount();
    const uint32_t span = upperX > lowerX ? upperX - lowerX : 0;
    const uint32_t width = span / threads;
    if (width == 0) {
        slabCount = 1;
        work(lowerX, std::max(lowerX, upperX), 0);
        return 0;
    }
    slabCount = threads;
    Util::runParallelTasks(threads, [&](uint32_t i) {
        const uint32_t x0 = lowerX + i * width;
        work(x0, i + 1 == threads ? upperX : x0 + width, i);
    });
    return threads;
}

// Runs of equal exposed faces along one axis, merged into one quad for drawing: side faces
// along z within a column, top and bottom faces along y within an x plane. Merges never cross
// an x plane, so the mesh does not depend on how the x range is cut into slabs.
class MeshMerger {
public:
    MeshMerger(const Window &w, const float size[3], std::array<std::vector<MeshQuad>, 6> &out)
        : m_window(w)
        , m_size(size)
        , m_out(out)
        , m_zRuns(2 * size_t(w.upper[2] - w.lower[2]))
    {
    }

    void add(unsigned exposed, uint32_t x, uint32_t y, uint32_t z, uint32_t state)
    {
        for (unsigned f = 2; f < 6; ++f) {
            if (!(exposed & (1u << f)))
                continue;
            Run &run = m_side[f];
            if (run.open && run.end == z && run.state == state) {
                ++run.end;
            } else {
                flushSide(f, x, y);
                run = Run{true, z, z + 1, state};
            }
        }
        for (unsigned f = 0; f < 2; ++f) {
            if (!(exposed & (1u << f)))
                continue;
            Run &run = m_zRuns[f * (m_window.upper[2] - m_window.lower[2]) + (z - m_window.lower[2])];
            if (run.open && run.end == y && run.state == state) {
                ++run.end;
            } else {
                flushTop(run, f, x, z);
                run = Run{true, y, y + 1, state};
            }
        }
    }
    void endColumn(uint32_t x, uint32_t y)
    {
        for (unsigned f = 2; f < 6; ++f)
            flushSide(f, x, y);
    }
    void endPlane(uint32_t x)
    {
        const uint32_t depth = m_window.upper[2] - m_window.lower[2];
        for (unsigned f = 0; f < 2; ++f)
            for (uint32_t i = 0; i < depth; ++i)
                flushTop(m_zRuns[f * depth + i], f, x, m_window.lower[2] + i);
    }

private:
    struct Run {
        bool open = false;
        uint32_t begin = 0;
        uint32_t end = 0;
        uint32_t state = 0;
    };

    void flushSide(unsigned f, uint32_t x, uint32_t y)
    {
        Run &run = m_side[f];
        if (run.open)
            push(f, {x, y, run.begin}, 2, run.end - run.begin, run.state);
        run.open = false;
    }
    void flushTop(Run &run, unsigned f, uint32_t x, uint32_t z)
    {
        if (run.open)
            push(f, {x, run.begin, z}, 1, run.end - run.begin, run.state);
        run.open = false;
    }
    void push(unsigned f, std::array<uint32_t, 3> origin, int axis, uint32_t length, uint32_t state)
    {
        // Merged quads meet their neighbours in T-junctions, where the rasterizer can leave pixel
        // cracks; a sliver of overlap in the face's plane closes them.
        constexpr float overlap = 1.0f / 64.0f;
        const int normalAxis = 2 - int(f / 2);
        MeshQuad quad;
        quad.material = state;
        for (int k = 0; k < 4; ++k) {
            for (int i = 0; i < 3; ++i) {
                const float d = Geometry::FaceTable::corners[f][k][i];
                const float extent = i == axis ? float(length) : 1.0f;
                const float widen = i == normalAxis ? 0.0f : (d > 0.5f ? overlap : -overlap);
                quad.corners[k][i] = (float(origin[size_t(i)]) + d * extent + widen) * m_size[i];
            }
        }
        m_out[f].push_back(quad);
    }

    const Window &m_window;
    const float *m_size;
    std::array<std::vector<MeshQuad>, 6> &m_out;
    Run m_side[6];
    std::vector<Run> m_zRuns;
};

// What a cell shows its neighbours: 0 empty or cut, 1 invisible, 2 transparent, 3 opaque material.
enum CellCode : uint8_t { Hidden = 0, ShownInvisible = 1, ShownTransparent = 2, ShownOpaque = 3 };

void cubicSlab(const Voxel *cells, uint32_t ny, uint32_t nz, const Window &w, uint32_t x0, uint32_t x1,
               const ColorLookup &colors, const float size[3], std::vector<QuadFace> &opaqueOut,
               std::vector<QuadFace> &transparentOut, std::array<std::vector<MeshQuad>, 6> &meshOut)
{
    const ptrdiff_t stride[3] = {static_cast<ptrdiff_t>(ny) * nz, static_cast<ptrdiff_t>(nz), 1};
    // Neighbour offsets in the cell array, in face order.
    const ptrdiff_t offset[6] = {-stride[2], stride[2], -stride[1], stride[1], -stride[0], stride[0]};
    const uint32_t depth = w.upper[2] - w.lower[2];
    const size_t planeSize = static_cast<size_t>(w.upper[1] - w.lower[1]) * depth;
    if (x0 >= x1 || planeSize == 0)
        return;

    // One byte per cell for the x planes x - 1, x and x + 1 of the window: the neighbour tests read
    // these small planes instead of the 24-byte cell records scattered over the whole volume.
    std::vector<uint8_t> planes[3];
    auto fillPlane = [&](uint32_t x, std::vector<uint8_t> &plane) {
        plane.resize(planeSize);
        uint8_t *out = plane.data();
        for (uint32_t y = w.lower[1]; y < w.upper[1]; ++y) {
            const Voxel *column = cells + (static_cast<size_t>(x) * ny + y) * nz;
            for (uint32_t z = w.lower[2]; z < w.upper[2]; ++z) {
                const Voxel &cell = column[z];
                const uint32_t state = cell.state();
                *out++ = state == 0 || cell.isCut() ? uint8_t(Hidden) : uint8_t(1 + uint8_t(colors.opacity(state)));
            }
        }
    };
    std::vector<uint8_t> *previous = &planes[0];
    std::vector<uint8_t> *current = &planes[1];
    std::vector<uint8_t> *following = &planes[2];
    if (x0 > w.lower[0])
        fillPlane(x0 - 1, *previous);
    fillPlane(x0, *current);

    MeshMerger mesh(w, size, meshOut);
    for (uint32_t x = x0; x < x1; ++x) {
        const bool hasFollowing = x + 1 < w.upper[0];
        if (hasFollowing)
            fillPlane(x + 1, *following);
        const uint8_t *here = current->data();
        const uint8_t *before = previous->data();
        const uint8_t *after = following->data();
        for (uint32_t y = w.lower[1]; y < w.upper[1]; ++y) {
            const size_t column = (static_cast<size_t>(x) * ny + y) * nz;
            const size_t row = static_cast<size_t>(y - w.lower[1]) * depth;
            for (uint32_t z = w.lower[2]; z < w.upper[2]; ++z) {
                const size_t at = row + (z - w.lower[2]);
                const uint8_t code = here[at];
                if (code < ShownTransparent)
                    continue;
                // The neighbour's code in face order; a window boundary shows the face.
                const int none = -1;
                const int next[6] = {
                    z > w.lower[2] ? here[at - 1] : none,     z + 1 < w.upper[2] ? here[at + 1] : none,
                    y > w.lower[1] ? here[at - depth] : none, y + 1 < w.upper[1] ? here[at + depth] : none,
                    x > w.lower[0] ? before[at] : none,       hasFollowing ? after[at] : none};
                const size_t index = column + z;
                unsigned exposed = 0;
                if (code == ShownOpaque) {
                    for (unsigned f = 0; f < 6; ++f) {
                        if (next[f] != ShownOpaque)
                            exposed |= 1u << f;
                    }
                } else {
                    // A transparent film hides the faces inside itself; a cut neighbour hides nothing.
                    const uint32_t state = cells[index].state();
                    for (unsigned f = 0; f < 6; ++f) {
                        const bool hidden = next[f] == ShownOpaque ||
                                            (next[f] >= ShownInvisible &&
                                             cells[static_cast<ptrdiff_t>(index) + offset[f]].state() == state);
                        if (!hidden)
                            exposed |= 1u << f;
                    }
                }
                if (!exposed)
                    continue;
                const uint32_t state = cells[index].state();
                const float origin[3] = {float(x), float(y), float(z)};
                const TotalVolumePainter::Color color = colors.color(state);
                auto &list = code == ShownOpaque ? opaqueOut : transparentOut;
                for (unsigned f = 0; f < 6; ++f) {
                    if (exposed & (1u << f))
                        list.push_back(QuadFace::cellFace(origin, size, f, color, state));
                }
                if (code == ShownOpaque)
                    mesh.add(exposed, x, y, z, state);
            }
            mesh.endColumn(x, y);
        }
        mesh.endPlane(x);
        std::swap(previous, current);
        std::swap(current, following);
    }
}

void outlineSlab(const Voxel *cells, uint32_t ny, uint32_t nz, const Window &w, uint32_t x0, uint32_t x1,
                 const float size[3], std::vector<QuadFace> &out)
{
    const TotalVolumePainter::Color grey{0.8f, 0.8f, 0.8f, 1.0f};
    for (uint32_t x = x0; x < x1; ++x) {
        for (uint32_t y = w.lower[1]; y < w.upper[1]; ++y) {
            const size_t column = (static_cast<size_t>(x) * ny + y) * nz;
            for (uint32_t z = w.lower[2]; z < w.upper[2]; ++z) {
                if (cells[column + z].state() != 0)
                    continue;
                const float origin[3] = {float(x), float(y), float(z)};
                for (unsigned f = 0; f < 6; ++f)
                    out.push_back(QuadFace::cellFace(origin, size, f, grey, 0));
            }
        }
    }
}

// Appends the slab lists in slab order; the first one is taken over without a copy.
void splice(std::vector<QuadFace> &target, std::vector<std::vector<QuadFace>> &parts)
{
    target.clear();
    if (parts.empty())
        return;
    size_t total = 0;
    for (const auto &part : parts)
        total += part.size();
    target = std::move(parts.front());
    target.reserve(total);
    for (size_t i = 1; i < parts.size(); ++i)
        target.insert(target.end(), parts[i].begin(), parts[i].end());
}

uint8_t toByte(float c) { return static_cast<uint8_t>(std::clamp(c, 0.0f, 1.0f) * 255.0f + 0.5f); }

void fillColors(std::vector<uint8_t> &target, const std::vector<QuadFace> &faces, bool edge)
{
    target.resize(faces.size() * 16);
    Util::runParallelRange(faces.size(), 2048, [&](size_t begin, size_t end) {
        for (size_t i = begin; i < end; ++i) {
            const auto &c = edge ? faces[i].edgeColor : faces[i].fillColor;
            uint8_t *out = &target[i * 16];
            for (int k = 0; k < 4; ++k)
                for (int j = 0; j < 4; ++j)
                    out[k * 4 + j] = toByte(c[j]);
        }
    });
}

} // namespace

TotalVolumePainter::TotalVolumePainter(TotalVolume &volume)
    : m_volume(volume)
    , m_cellSize{volume.cellSizeX(), volume.cellSizeY(), volume.cellSizeZ()}
    , m_ny(volume.sizeY())
    , m_nz(volume.sizeZ())
    , m_upper{volume.sizeX(), volume.sizeY(), volume.sizeZ()}
    ,
    // The opposite of the volume's state, so that the first draw refreshes the colours.
    m_lastSelected(!volume.isSelected())
{
    setCutLimits(m_lower, m_upper);
}

TotalVolumePainter::~TotalVolumePainter() = default;

void TotalVolumePainter::setSurfaceAlgorithm(uint32_t algorithm)
{
    if (algorithm == m_surfaceAlgorithm)
        return;
    m_surfaceAlgorithm = algorithm;
    regenerateCubicFaces();
}

void TotalVolumePainter::setCutLimits(const std::array<uint32_t, 3> &lower, const std::array<uint32_t, 3> &upper)
{
    const uint32_t size[3] = {m_volume.sizeX(), m_volume.sizeY(), m_volume.sizeZ()};
    std::lock_guard<std::mutex> lock(m_limitMutex);
    for (int i = 0; i < 3; ++i) {
        m_upper[i] = std::min(upper[i], size[i]);
        m_lower[i] = std::min(lower[i], m_upper[i]);
    }
    m_planes = {Util::Vector4D(-1, 0, 0, m_lower[0]), Util::Vector4D(1, 0, 0, -double(m_upper[0])),
                Util::Vector4D(0, -1, 0, m_lower[1]), Util::Vector4D(0, 1, 0, -double(m_upper[1])),
                Util::Vector4D(0, 0, -1, m_lower[2]), Util::Vector4D(0, 0, 1, -double(m_upper[2]))};
}

void TotalVolumePainter::cutLimits(std::array<uint32_t, 3> &lower, std::array<uint32_t, 3> &upper) const
{
    std::lock_guard<std::mutex> lock(m_limitMutex);
    lower = m_lower;
    upper = m_upper;
}

std::array<Util::Vector4D, 6> TotalVolumePainter::clippingPlanes() const
{
    std::lock_guard<std::mutex> lock(m_limitMutex);
    return m_planes;
}

TotalVolumePainter::ColorMap TotalVolumePainter::catalogueColors()
{
    ColorMap map;
    map[0] = Color{0, 0, 0, 0};
    for (const auto &material : Materials::MaterialFactory::instance()->getMaterials()) {
        if (material.id() != 0)
            map[material.id()] = material.color();
    }
    return map;
}

void TotalVolumePainter::regenerateSurface()
{
    regenerateCubicFaces();
    // Marching cubes, octree and field view come with their own generators; until then the
    // cubic faces stand in for them.
    if (m_renderEmptyVoxelOutlines) {
        regenerateOutlines();
    } else {
        std::lock_guard<std::mutex> lock(m_listMutex);
        m_outlines.clear();
        m_outlines.shrink_to_fit();
        m_outlineArrays.reset();
    }
}

void TotalVolumePainter::regenerateCubicFaces()
{
    // Built aside and swapped in under the list lock: a batch run generates outside the GUI
    // thread while the view may refresh colours.
    ColorMap map = catalogueColors();
    Window window;
    {
        std::lock_guard<std::mutex> lock(m_limitMutex);
        for (int i = 0; i < 3; ++i) {
            window.lower[i] = m_lower[i];
            window.upper[i] = m_upper[i];
        }
    }
    const ColorLookup colors(map);

    CellLock cellLock(m_volume);
    const Voxel *cells = cellLock.cells();
    // The slab lists keep their storage from one generation to the next: refilling memory that is
    // already mapped is much cheaper than faulting in fresh pages for a million faces.
    const size_t threads = static_cast<size_t>(Util::poolThreadCount());
    if (m_slabs.size() < threads)
        m_slabs.resize(threads);
    for (auto &slab : m_slabs) {
        slab.opaque.clear();
        slab.transparent.clear();
        for (auto &quads : slab.mesh)
            quads.clear();
    }
    unsigned slabCount = 0;
    m_lastTaskCount = runSlabs(window.lower[0], window.upper[0], slabCount, [&](uint32_t x0, uint32_t x1, unsigned i) {
        cubicSlab(cells, m_ny, m_nz, window, x0, x1, colors, m_cellSize, m_slabs[i].opaque, m_slabs[i].transparent,
                  m_slabs[i].mesh);
    });

    std::lock_guard<std::mutex> listLock(m_listMutex);
    m_colorMap = std::move(map);
    spliceSlabs(slabCount, &SlabFaces::opaque, m_opaque, nullptr);
    spliceSlabs(slabCount, &SlabFaces::transparent, m_transparent, &m_transparentArrays);
    spliceMesh(slabCount);
    m_opaqueArrays.reset();
    m_tree = Geometry::BSPTree::build(m_transparent);
    m_orderValid = false;
}

void TotalVolumePainter::spliceSlabs(unsigned slabCount, std::vector<QuadFace> SlabFaces::*part,
                                     std::vector<QuadFace> &target, std::unique_ptr<DrawArrays> *arrays)
{
    std::vector<size_t> offsets(slabCount + 1, 0);
    for (unsigned i = 0; i < slabCount; ++i)
        offsets[i + 1] = offsets[i] + (m_slabs[i].*part).size();
    const size_t total = offsets[slabCount];
    // Give memory back when a list shrank a lot, keep it otherwise.
    if (target.capacity() > 4 * total + 4096)
        std::vector<QuadFace>().swap(target);
    target.resize(total);
    DrawArrays *out = nullptr;
    if (arrays) {
        *arrays = std::make_unique<DrawArrays>();
        out = arrays->get();
        out->faceCount = total;
        out->positions.resize(total * 12);
        out->normals.resize(total * 12);
        out->colors.resize(total * 16);
    }
    // Each slab copies itself to its place (and fills its part of the arrays), so the order is
    // the slab order whatever the thread count.
    Util::runParallelTasks(slabCount, [&](unsigned i) {
        const auto &source = m_slabs[i].*part;
        size_t at = offsets[i];
        for (const QuadFace &face : source) {
            target[at] = face;
            if (out) {
                std::copy(&face.corners[0][0], &face.corners[0][0] + 12, &out->positions[at * 12]);
                for (int k = 0; k < 4; ++k)
                    std::copy(face.normal, face.normal + 3, &out->normals[at * 12 + k * 3]);
                uint8_t *color = &out->colors[at * 16];
                for (int k = 0; k < 4; ++k)
                    for (int j = 0; j < 4; ++j)
                        color[k * 4 + j] = toByte(face.fillColor[j]);
            }
            ++at;
        }
    });
}

void TotalVolumePainter::spliceMesh(unsigned slabCount)
{
    const bool selected = m_volume.isSelected();
    Util::runParallelTasks(6, [&](unsigned f) {
        size_t total = 0;
        for (unsigned i = 0; i < slabCount; ++i)
            total += m_slabs[i].mesh[f].size();
        auto arrays = std::make_unique<DrawArrays>();
        arrays->faceCount = total;
        arrays->positions.resize(total * 12);
        arrays->normals.resize(total * 12);
        arrays->materials.resize(total);
        size_t at = 0;
        for (unsigned i = 0; i < slabCount; ++i) {
            for (const MeshQuad &quad : m_slabs[i].mesh[f]) {
                std::copy(&quad.corners[0][0], &quad.corners[0][0] + 12, &arrays->positions[at * 12]);
                for (int k = 0; k < 4; ++k)
                    std::copy(normals[f], normals[f] + 3, &arrays->normals[at * 12 + k * 3]);
                arrays->materials[at] = quad.material;
                ++at;
            }
        }
        fillMeshColors(*arrays, selected);
        m_opaqueMesh[f] = std::move(arrays);
    });
}

void TotalVolumePainter::fillMeshColors(DrawArrays &arrays, bool selected) const
{
    const ColorLookup colors(m_colorMap);
    arrays.colors.resize(arrays.faceCount * 16);
    for (size_t i = 0; i < arrays.faceCount; ++i) {
        const Color base = colors.color(arrays.materials[i]);
        const Color c = selected ? highlighted(base) : base;
        uint8_t *out = &arrays.colors[i * 16];
        for (int k = 0; k < 4; ++k)
            for (int j = 0; j < 4; ++j)
                out[k * 4 + j] = toByte(c[j]);
    }
}

size_t TotalVolumePainter::drawnQuadCount(unsigned faceNumber) const
{
    std::lock_guard<std::mutex> lock(m_listMutex);
    return faceNumber < 6 && m_opaqueMesh[faceNumber] ? m_opaqueMesh[faceNumber]->faceCount : 0;
}

void TotalVolumePainter::regenerateOutlines()
{
    Window window;
    {
        std::lock_guard<std::mutex> lock(m_limitMutex);
        for (int i = 0; i < 3; ++i) {
            window.lower[i] = m_lower[i];
            window.upper[i] = m_upper[i];
        }
    }
    std::vector<std::vector<QuadFace>> parts(
        static_cast<size_t>(Util::poolThreadCount()));
    std::vector<QuadFace> outlines;
    {
        CellLock lock(m_volume);
        const Voxel *cells = lock.cells();
        unsigned slabCount = 0;
        runSlabs(window.lower[0], window.upper[0], slabCount, [&](uint32_t x0, uint32_t x1, unsigned slab) {
            outlineSlab(cells, m_ny, m_nz, window, x0, x1, m_cellSize, parts[slab]);
        });
        parts.resize(slabCount);
        splice(outlines, parts);
    }
    std::lock_guard<std::mutex> lock(m_listMutex);
    m_outlines = std::move(outlines);
    m_outlineArrays = std::make_unique<DrawArrays>();
    m_outlineArrays->faceCount = m_outlines.size();
    m_outlineArrays->positions.resize(m_outlines.size() * 12);
    for (size_t i = 0; i < m_outlines.size(); ++i)
        std::copy(&m_outlines[i].corners[0][0], &m_outlines[i].corners[0][0] + 12, &m_outlineArrays->positions[i * 12]);
    fillColors(m_outlineArrays->colors, m_outlines, true);
}

void TotalVolumePainter::refreshColors()
{
    ColorMap map = catalogueColors();
    const bool selected = m_volume.isSelected();
    std::lock_guard<std::mutex> lock(m_listMutex);
    m_colorMap = std::move(map);
    const ColorLookup colors(m_colorMap);
    // Always from the material's own colour: highlighting the current colours again would
    // undo the highlight when a selected volume is refreshed twice.
    for (auto *list : {&m_opaque, &m_transparent}) {
        for (auto &face : *list) {
            const Color base = colors.color(face.material);
            face.fillColor = selected ? highlighted(base) : base;
            face.edgeColor = face.fillColor;
        }
    }
    if (m_opaqueArrays)
        m_opaqueArrays->edgeColorsValid = false;
    for (auto &mesh : m_opaqueMesh) {
        if (mesh)
            fillMeshColors(*mesh, selected);
    }
    if (m_transparentArrays) {
        fillColors(m_transparentArrays->colors, m_transparent, false);
        m_transparentArrays->edgeColorsValid = false;
    }
}

void TotalVolumePainter::drawFaces(const DrawArrays &arrays, bool edges)
{
    if (arrays.faceCount == 0)
        return;
    glVertexPointer(3, GL_FLOAT, 0, arrays.positions.data());
    if (!arrays.normals.empty()) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, arrays.normals.data());
    } else {
        glDisableClientState(GL_NORMAL_ARRAY);
    }
    glColorPointer(4, GL_UNSIGNED_BYTE, 0,
                   edges && !arrays.edgeColors.empty() ? arrays.edgeColors.data() : arrays.colors.data());
    glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(arrays.faceCount * 4));
}

void TotalVolumePainter::draw(bool showSurface, bool showEdges, const Util::Vector3D &eye)
{
    if (m_volume.isSelected() != m_lastSelected) {
        m_lastSelected = m_volume.isSelected();
        refreshColors();
    }

    Util::Vector3D position = m_volume.position();
    if (m_volume.isMoving()) {
        const Util::Vector3D offset = m_volume.moveOffset();
        position.x += offset.x;
        position.y += offset.y;
        position.z += offset.z;
    }

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glPushMatrix();
    glTranslated(position.x, position.y, position.z);
    if (!showSurface || m_extractionDisplay) {
        if (showSurface)
            drawBoundingOutline();
        glPopMatrix();
        glPopClientAttrib();
        glPopAttrib();
        return;
    }

    std::lock_guard<std::mutex> lock(m_listMutex);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);

    // Eye in the volume's own coordinates, like the faces.
    const Util::Vector4D localEye(eye.x - position.x, eye.y - position.y, eye.z - position.z, 1.0);
    const bool eyeKnown = eye.x != 0.0 || eye.y != 0.0 || eye.z != 0.0;

    // Opaque pass from the merged mesh. Colour material tracks ambient and diffuse, so the colour
    // array is the material. Faces turned away from a far eye would be culled anyway: skip them here.
    for (unsigned f = 0; f < 6; ++f) {
        const float *n = normals[f];
        if (eyeKnown && n[0] * localEye.x + n[1] * localEye.y + n[2] * localEye.z <= 0.0)
            continue;
        if (m_opaqueMesh[f])
            drawFaces(*m_opaqueMesh[f], false);
    }

    if (showEdges) {
        glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT | GL_LINE_BIT);
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
        glEnable(GL_POLYGON_OFFSET_LINE);
        glPolygonOffset(-1.0f, -1.0f);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        glLineWidth(1.0f);
        if (!m_opaqueArrays) {
            // Edges outline every cell face, so they need the unmerged faces.
            m_opaqueArrays = std::make_unique<DrawArrays>();
            m_opaqueArrays->faceCount = m_opaque.size();
            m_opaqueArrays->positions.resize(m_opaque.size() * 12);
            for (size_t i = 0; i < m_opaque.size(); ++i)
                std::copy(&m_opaque[i].corners[0][0], &m_opaque[i].corners[0][0] + 12,
                          &m_opaqueArrays->positions[i * 12]);
        }
        for (const auto &pair : {std::make_pair(m_opaqueArrays.get(), &m_opaque),
                                 std::make_pair(m_transparentArrays.get(), &m_transparent)}) {
            DrawArrays *arrays = pair.first;
            if (!arrays)
                continue;
            if (!arrays->edgeColorsValid) {
                fillColors(arrays->edgeColors, *pair.second, true);
                arrays->edgeColorsValid = true;
            }
            drawFaces(*arrays, true);
        }
        if (m_renderEmptyVoxelOutlines && m_outlineArrays)
            drawFaces(*m_outlineArrays, false);
        glPopAttrib();
    }

    // Transparent pass, back to front through the tree.
    if (m_tree && m_transparentArrays && m_transparentArrays->faceCount > 0) {
        if (!m_orderValid || !(localEye == m_orderEye)) {
            const std::vector<uint32_t> order = m_tree->backToFront(localEye);
            m_transparentOrder.resize(order.size() * 4);
            for (size_t i = 0; i < order.size(); ++i)
                for (uint32_t k = 0; k < 4; ++k)
                    m_transparentOrder[i * 4 + k] = order[i] * 4 + k;
            m_orderEye = localEye;
            m_orderValid = true;
        }
        glEnable(GL_BLEND);
        glDepthMask(GL_FALSE);
        const GLfloat specular[4] = {1, 1, 1, 1};
        glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
        const DrawArrays &arrays = *m_transparentArrays;
        glVertexPointer(3, GL_FLOAT, 0, arrays.positions.data());
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, arrays.normals.data());
        glColorPointer(4, GL_UNSIGNED_BYTE, 0, arrays.colors.data());
        glDrawElements(GL_QUADS, static_cast<GLsizei>(m_transparentOrder.size()), GL_UNSIGNED_INT,
                       m_transparentOrder.data());
        glDepthMask(GL_TRUE);
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);

    uint32_t width = 0;
    uint32_t height = 0;
    m_volume.upperMaskSize(width, height);
    drawMask(m_volume.upperMask(), width, height, (m_volume.sizeZ() + 5) * m_cellSize[2]);
    m_volume.lowerMaskSize(width, height);
    drawMask(m_volume.lowerMask(), width, height, -5.0f * m_cellSize[2]);

    glPopMatrix();
    glPopClientAttrib();
    glPopAttrib();
}

void TotalVolumePainter::drawMask(const QBitArray &bits, uint32_t width, uint32_t height, float z) const
{
    const uint32_t columns = std::min(width, m_volume.sizeX());
    const uint32_t rows = std::min(height, m_volume.sizeY());
    if (columns == 0 || rows == 0 || bits.isEmpty())
        return;
    glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glDepthMask(GL_FALSE);
    glColor4f(0.2f, 0.8f, 0.2f, 0.3f);
    glBegin(GL_QUADS);
    for (uint32_t i = 0; i < columns; ++i) {
        for (uint32_t j = 0; j < rows; ++j) {
            const int bit = static_cast<int>(static_cast<size_t>(i) * height + j);
            if (bit >= bits.size() || !bits.testBit(bit))
                continue;
            const float x0 = i * m_cellSize[0];
            const float y0 = j * m_cellSize[1];
            const float x1 = x0 + m_cellSize[0];
            const float y1 = y0 + m_cellSize[1];
            glVertex3f(x0, y0, z);
            glVertex3f(x1, y0, z);
            glVertex3f(x1, y1, z);
            glVertex3f(x0, y1, z);
        }
    }
    glEnd();
    glPopAttrib();
}

void TotalVolumePainter::drawForPicking()
{
    const Util::Vector3D p = m_volume.position();
    const float size[3] = {m_volume.sizeX() * m_cellSize[0], m_volume.sizeY() * m_cellSize[1],
                           m_volume.sizeZ() * m_cellSize[2]};
    glPushMatrix();
    glTranslated(p.x, p.y, p.z);
    glBegin(GL_QUADS);
    for (unsigned f = 0; f < 6; ++f) {
        for (int k = 0; k < 4; ++k) {
            const float *c = Geometry::FaceTable::corners[f][k];
            glVertex3f(c[0] * size[0], c[1] * size[1], c[2] * size[2]);
        }
    }
    glEnd();
    glPopMatrix();
}

void TotalVolumePainter::drawBoundingOutline() const
{
    const float size[3] = {m_volume.sizeX() * m_cellSize[0], m_volume.sizeY() * m_cellSize[1],
                           m_volume.sizeZ() * m_cellSize[2]};
    const Util::Vector3D outline = m_volume.outlineColor();
    glDisable(GL_LIGHTING);
    glColor4d(outline.x, outline.y, outline.z, 1.0);
    glBegin(GL_LINES);
    // The twelve edges: along each axis, one from each of the four corners of the face across it.
    for (unsigned axis = 0; axis < 3; ++axis) {
        for (unsigned corner = 0; corner < 4; ++corner) {
            float from[3];
            float to[3];
            for (unsigned a = 0, bit = 0; a < 3; ++a) {
                from[a] = a == axis ? 0.0f : ((corner >> bit++) & 1u) * size[a];
                to[a] = a == axis ? size[a] : from[a];
            }
            glVertex3fv(from);
            glVertex3fv(to);
        }
    }
    glEnd();
}

} // namespace Automaton
} // namespace Model
