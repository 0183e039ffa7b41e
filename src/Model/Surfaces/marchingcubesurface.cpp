#include "marchingcubesurface.h"

#include "Model/Materials/colorbytes.h"
#include "Model/Surfaces/marchingcubetables.h"
#include "Model/Surfaces/surfacemesh.h"
#include "Model/Volume/totalvolume.h"
#include "Util/paralleltasks.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace Model {
namespace Automaton {

namespace {

namespace mct = MarchingCubeTables;

// The cubes of a window. Cube origins run from the window's lower corner to its upper corner
// inclusive (while inside the volume); a corner reads its cell when the cell lies above the lower
// corner and at most at the upper one on every axis.
struct CubeGrid {
    uint32_t n[3];
    uint32_t lower[3];
    uint32_t upper[3];
    uint32_t last[3];
    bool empty = false;
    /// Corner rows (y) and columns (z) of a plane: one more than the cubes.
    uint32_t rows = 0;
    uint32_t depth = 0;
    float cellSize[3];

    bool inside(uint32_t i, int axis) const { return lower[axis] < i && i <= upper[axis] && i < n[axis]; }
    size_t planeSize() const { return size_t(rows) * depth; }
    /// Where a key (ky, kz) of a key plane lies in the plane's arrays.
    size_t keyIndex(uint32_t ky, uint32_t kz) const { return size_t(ky - lower[1]) * depth + (kz - lower[2]); }
};

struct NormalSum {
    float s[3];
    uint32_t count;
};
using SparseSums = std::vector<std::pair<uint32_t, NormalSum>>;

// The normal sums of one x plane of keys. A key plane x gathers the vertices of the cube planes
// x - 1 ("low" part) and x ("high" part); keeping the parts apart and adding them at the end makes
// the sums the same however the cube planes are cut into slabs.
struct KeyPlane {
    std::vector<NormalSum> low;
    std::vector<NormalSum> high;
    std::vector<uint32_t> touched;

    void reset(size_t size)
    {
        low.assign(size, NormalSum{});
        high.assign(size, NormalSum{});
        touched.clear();
    }
    void add(bool highPart, size_t at, const float n[3])
    {
        if (low[at].count == 0 && high[at].count == 0)
            touched.push_back(uint32_t(at));
        NormalSum &sum = highPart ? high[at] : low[at];
        sum.s[0] += n[0];
        sum.s[1] += n[1];
        sum.s[2] += n[2];
        ++sum.count;
    }
    SparseSums part(bool highPart) const
    {
        SparseSums out;
        for (uint32_t at : touched) {
            const NormalSum &sum = highPart ? high[at] : low[at];
            if (sum.count)
                out.emplace_back(at, sum);
        }
        return out;
    }
    void clear()
    {
        for (uint32_t at : touched)
            low[at] = high[at] = NormalSum{};
        touched.clear();
    }
};

// The mean of a key's normals scaled to unit length; false when there is none.
bool finalNormal(const NormalSum &low, const NormalSum &high, float out[3])
{
    const uint32_t count = low.count + high.count;
    if (count == 0)
        return false;
    float v[3];
    for (int c = 0; c < 3; ++c)
        v[c] = (low.s[c] + high.s[c]) / float(count);
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (!(length > 0.0f))
        return false;
    for (int c = 0; c < 3; ++c)
        out[c] = v[c] / length;
    return true;
}

// Final normals of a key plane, by key index; only the keys that occur are written and read.
struct FinalNormals {
    std::vector<std::array<float, 3>> normal;
    std::vector<uint8_t> valid;
    void resize(size_t size)
    {
        normal.resize(size);
        valid.resize(size);
    }
    void set(uint32_t at, const NormalSum &low, const NormalSum &high)
    {
        valid[at] = finalNormal(low, high, normal[at].data()) ? 1 : 0;
    }
};

// Triangles in blocks of fixed size: a growing list never moves what it holds, and the blocks go
// to the surface as they are, ready for drawing.
class TriangleStore {
public:
    static constexpr size_t blockSize = 32768;

    size_t size() const { return m_size; }
    Triangle &operator[](size_t i) { return m_blocks[i / blockSize][i % blockSize]; }
    void append(const Triangle &triangle)
    {
        if (m_size % blockSize == 0) {
            m_blocks.emplace_back();
            m_blocks.back().reserve(blockSize);
        }
        ++m_size;
        m_blocks.back().push_back(triangle);
    }
    std::vector<std::vector<Triangle>> &blocks() { return m_blocks; }

private:
    std::vector<std::vector<Triangle>> m_blocks;
    size_t m_size = 0;
};

/// A vertex's key within its key plane, with the top bit set when that plane lies one above the
/// cube plane the vertex was made in.
constexpr uint32_t upperKeyPlane = 0x80000000u;

// The slab of cube planes [first, last] of one task and what the slabs' neighbours need from it.
struct SlabResult {
    TriangleStore triangles;
    /// Per triangle vertex, its key (see upperKeyPlane), until the normals are smoothed.
    std::vector<uint32_t> keys;
    /// Triangles of the first cube plane: [0, firstPlaneEnd); of the last: [lastPlaneBegin, size).
    size_t firstPlaneEnd = 0;
    size_t lastPlaneBegin = 0;
    /// Key plane `first`: the high part; key plane `last + 1`: the low part.
    SparseSums head;
    SparseSums tail;
};

// Gives the vertices of triangles [begin, end) whose keys lie in the key plane of `finals` their
// key's normal: those of the plane above their cube plane when `upper`, else those of their own.
void applyNormals(const FinalNormals &finals, SlabResult &slab, size_t begin, size_t end, bool upper)
{
    const uint32_t wanted = upper ? upperKeyPlane : 0u;
    for (size_t t = begin; t < end; ++t) {
        Triangle &triangle = slab.triangles[t];
        for (int v = 0; v < 3; ++v) {
            const uint32_t key = slab.keys[3 * t + v];
            if ((key & upperKeyPlane) != wanted)
                continue;
            const uint32_t at = key & ~upperKeyPlane;
            if (finals.valid[at])
                std::memcpy(triangle.vertices[v].normal, finals.normal[at].data(), sizeof(float) * 3);
        }
    }
}

class SlabMarcher {
public:
    SlabMarcher(const Cells &cells, const CubeGrid &grid)
        : m_states(cells.states())
        , m_cuts(cells.cutCounts())
        , m_g(grid)
    {
    }

    void run(uint32_t first, uint32_t last, SlabResult &out)
    {
        const size_t size = m_g.planeSize();
        // Corners that never read a cell stay 0 from here on: fillPlane() writes only the others.
        std::vector<uint32_t> a(m_g.planeSize(), 0u);
        std::vector<uint32_t> b(m_g.planeSize(), 0u);
        m_codes.resize(m_g.depth + 8);
        fillPlane(first, a);
        KeyPlane here;
        KeyPlane next;
        here.reset(size);
        next.reset(size);
        FinalNormals finals;
        finals.resize(size);
        size_t previousBegin = 0;
        for (uint32_t x = first; x <= last; ++x) {
            fillPlane(x + 1, b);
            const size_t begin = out.triangles.size();
            marchPlane(x, a, b, here, next, out);
            if (x == first) {
                out.firstPlaneEnd = out.triangles.size();
                out.head = here.part(true);
            } else {
                for (uint32_t at : here.touched)
                    finals.set(at, here.low[at], here.high[at]);
                applyNormals(finals, out, previousBegin, begin, true);
                applyNormals(finals, out, begin, out.triangles.size(), false);
            }
            here.clear();
            std::swap(here, next);
            std::swap(a, b);
            previousBegin = begin;
        }
        out.lastPlaneBegin = previousBegin;
        out.tail = here.part(false);
    }

private:
    // The values of the corners of x plane i: a cell's material, or 0 outside the window or cut.
    void fillPlane(uint32_t i, std::vector<uint32_t> &plane) const
    {
        if (!m_g.inside(i, 0)) {
            std::fill(plane.begin(), plane.end(), 0u);
            return;
        }
        // Corner columns that read cells: lower < k <= upper, k < n.
        const uint32_t kFirst = m_g.lower[2] + 1;
        const uint32_t kLast = std::min(m_g.upper[2], m_g.n[2] - 1);
        for (uint32_t row = 0; row < m_g.rows; ++row) {
            const uint32_t j = m_g.lower[1] + row;
            if (!m_g.inside(j, 1))
                continue;
            const size_t column = (size_t(i) * m_g.n[1] + j) * m_g.n[2];
            const Cells::State *states = m_states + column;
            const uint8_t *cuts = m_cuts + column;
            uint32_t *out = plane.data() + size_t(row) * m_g.depth - m_g.lower[2];
            for (uint32_t k = kFirst; k <= kLast; ++k)
                out[k] = cuts[k] != 0 ? 0u : states[k];
        }
    }

    void marchPlane(uint32_t x, const std::vector<uint32_t> &a, const std::vector<uint32_t> &b, KeyPlane &here,
                    KeyPlane &next, SlabResult &out)
    {
        const uint32_t depth = m_g.depth;
        uint8_t *codes = m_codes.data();
        for (uint32_t row = 0; row + 1 < m_g.rows; ++row) {
            const uint32_t *a0 = a.data() + size_t(row) * depth;
            const uint32_t *a1 = a0 + depth;
            const uint32_t *b0 = b.data() + size_t(row) * depth;
            const uint32_t *b1 = b0 + depth;
            // Four corners of a cube face per z: bit 0 (x, y+1), 1 (x+1, y+1), 2 (x+1, y), 3 (x, y);
            // a cube's index is the codes of its two z ends.
            for (uint32_t k = 0; k < depth; ++k)
                codes[k] = uint8_t((a1[k] != 0) | (b1[k] != 0) << 1 | (b0[k] != 0) << 2 | (a0[k] != 0) << 3);
            uint32_t k = 0;
            while (k + 1 < depth) {
                if (k + 9 <= depth) {
                    // Eight cubes at once through the stretches wholly outside or inside.
                    uint64_t lo;
                    uint64_t hi;
                    std::memcpy(&lo, codes + k, 8);
                    std::memcpy(&hi, codes + k + 1, 8);
                    if (lo == hi && (lo == 0 || lo == 0x0f0f0f0f0f0f0f0full)) {
                        k += 8;
                        continue;
                    }
                }
                const unsigned index = codes[k] | unsigned(codes[k + 1]) << 4;
                if (index != 0 && index != 255) {
                    const uint32_t value[8] = {a1[k], b1[k], b0[k], a0[k], a1[k + 1], b1[k + 1], b0[k + 1], a0[k + 1]};
                    emitCube(x, m_g.lower[1] + row, m_g.lower[2] + k, index, value, here, next, out);
                }
                ++k;
            }
        }
    }

    void emitCube(uint32_t x, uint32_t y, uint32_t z, unsigned index, const uint32_t value[8], KeyPlane &here,
                  KeyPlane &next, SlabResult &out) const
    {
        const uint32_t origin[3] = {x, y, z};
        float position[12][3];
        uint32_t material[12];
        size_t key[12];
        bool highPart[12];
        const unsigned edges = mct::edgeTable[index];
        for (unsigned e = 0; e < 12; ++e) {
            if (!(edges & (1u << e)))
                continue;
            const unsigned ca = mct::edgeCorners[e][0];
            const unsigned cb = mct::edgeCorners[e][1];
            uint32_t keyOf[3];
            for (int c = 0; c < 3; ++c) {
                const uint32_t ia = origin[c] + mct::corners[ca][c];
                const uint32_t ib = origin[c] + mct::corners[cb][c];
                position[e][c] = 0.5f * (float(ia) * m_g.cellSize[c] + float(ib) * m_g.cellSize[c]);
                keyOf[c] = (ia + ib + 1) >> 1;
            }
            material[e] = value[ca] != 0 ? value[ca] : value[cb];
            key[e] = m_g.keyIndex(keyOf[1], keyOf[2]);
            highPart[e] = keyOf[0] == x;
        }
        const int8_t *row = mct::triangleTable[index];
        for (int i = 0; row[i] >= 0; i += 3) {
            Triangle t;
            const float *p[3];
            for (int v = 0; v < 3; ++v) {
                const int e = row[i + v];
                p[v] = position[e];
                std::memcpy(t.vertices[v].position, position[e], sizeof t.vertices[v].position);
                t.vertices[v].material = material[e];
            }
            const float u[3] = {p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2]};
            const float w[3] = {p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2]};
            float n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
            const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            if (length > 0.0f) {
                for (float &c : n)
                    c /= length;
            }
            for (int v = 0; v < 3; ++v) {
                std::memcpy(t.vertices[v].normal, n, sizeof n);
                const int e = row[i + v];
                (highPart[e] ? here : next).add(highPart[e], key[e], n);
                out.keys.push_back(uint32_t(key[e]) | (highPart[e] ? 0u : upperKeyPlane));
            }
            out.triangles.append(t);
        }
    }

    const Cells::State *m_states;
    const uint8_t *m_cuts;
    const CubeGrid &m_g;
    std::vector<uint8_t> m_codes;
};

} // namespace

MarchingCubeSurface::MarchingCubeSurface(TotalVolume &volume)
    : m_volume(volume)
    , m_cellSize{volume.cellSizeX(), volume.cellSizeY(), volume.cellSizeZ()}
{
}

void MarchingCubeSurface::generate(const std::array<uint32_t, 3> &lower, const std::array<uint32_t, 3> &upper,
                                   const GenerationProbe &probe)
{
    std::lock_guard<std::mutex> guard(m_mutex);
    CellLock lock(m_volume);
    std::vector<std::vector<Triangle>>().swap(m_chunks);
    std::vector<std::vector<uint8_t>>().swap(m_colorBytes);
    m_lastTaskCount = 0;

    CubeGrid g;
    g.n[0] = m_volume.sizeX();
    g.n[1] = m_volume.sizeY();
    g.n[2] = m_volume.sizeZ();
    for (int a = 0; a < 3; ++a) {
        g.upper[a] = std::min(upper[a], g.n[a]);
        g.lower[a] = std::min(lower[a], g.upper[a]);
        g.last[a] = std::min(g.upper[a], g.n[a] - 1);
        g.empty = g.empty || g.lower[a] > g.last[a];
        g.cellSize[a] = m_cellSize[a];
    }
    if (g.empty)
        return;
    g.rows = g.last[1] + 2 - g.lower[1];
    g.depth = g.last[2] + 2 - g.lower[2];

    // One slab per pool thread, the last taking the rest; a window narrower than the pool is one
    // slab in this thread.
    const uint32_t threads = Util::poolThreadCount();
    const uint32_t width = (g.upper[0] - g.lower[0]) / threads;
    const uint32_t slabs = width == 0 ? 1 : threads;
    std::vector<SlabResult> results(slabs);
    const Cells cells = lock.cells();
    auto march = [&](uint32_t i) {
        if (probe)
            probe("march");
        const uint32_t first = g.lower[0] + i * width;
        const uint32_t last = i + 1 == slabs ? g.last[0] : first + width - 1;
        SlabMarcher(cells, g).run(first, last, results[i]);
    };
    if (slabs == 1)
        march(0);
    else
        Util::runParallelTasks(slabs, march);

    // The key planes between slabs gather vertices of two slabs: finish them here.
    FinalNormals finals;
    finals.resize(g.planeSize());
    const NormalSum none{};
    auto finish = [&](const SparseSums *low, const SparseSums *high) {
        std::vector<NormalSum> lows(low ? g.planeSize() : 0);
        if (low) {
            for (const auto &entry : *low)
                lows[entry.first] = entry.second;
        }
        std::vector<uint8_t> seen(g.planeSize(), 0);
        if (high) {
            for (const auto &entry : *high) {
                finals.set(entry.first, low ? lows[entry.first] : none, entry.second);
                seen[entry.first] = 1;
            }
        }
        if (low) {
            for (const auto &entry : *low) {
                if (!seen[entry.first])
                    finals.set(entry.first, entry.second, none);
            }
        }
    };
    for (uint32_t i = 0; i <= slabs; ++i) {
        const SparseSums *low = i > 0 ? &results[i - 1].tail : nullptr;
        const SparseSums *high = i < slabs ? &results[i].head : nullptr;
        finish(low, high);
        if (i > 0) {
            SlabResult &before = results[i - 1];
            applyNormals(finals, before, before.lastPlaneBegin, before.triangles.size(), true);
        }
        if (i < slabs)
            applyNormals(finals, results[i], 0, results[i].firstPlaneEnd, false);
    }

    for (SlabResult &result : results) {
        std::vector<uint32_t>().swap(result.keys);
        auto &blocks = result.triangles.blocks();
        if (!blocks.empty())
            blocks.back().shrink_to_fit();
        for (std::vector<Triangle> &block : blocks)
            m_chunks.push_back(std::move(block));
    }
    m_lastTaskCount = slabs == 1 ? 0 : slabs;
}

void MarchingCubeSurface::release()
{
    std::lock_guard<std::mutex> guard(m_mutex);
    std::vector<std::vector<Triangle>>().swap(m_chunks);
    std::vector<std::vector<uint8_t>>().swap(m_colorBytes);
}

void MarchingCubeSurface::appendTo(SurfaceMesh &mesh, const FacePalette::ColorMap &colors) const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    for (const auto &chunk : m_chunks) {
        for (const Triangle &t : chunk) {
            const uint32_t a = t.vertices[0].material;
            const uint32_t b = t.vertices[1].material;
            const uint32_t c = t.vertices[2].material;
            const uint32_t material = (b == c && a != b) ? b : a;
            const auto it = colors.find(material);
            mesh.addTriangle(t, SurfaceMesh::rgb(it != colors.end() ? it->second : FacePalette::Color{0, 0, 0, 1}));
        }
    }
}

size_t MarchingCubeSurface::triangleCount() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    size_t count = 0;
    for (const auto &chunk : m_chunks)
        count += chunk.size();
    return count;
}

std::vector<Triangle> MarchingCubeSurface::triangles() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    std::vector<Triangle> all;
    for (const auto &chunk : m_chunks)
        all.insert(all.end(), chunk.begin(), chunk.end());
    return all;
}

unsigned MarchingCubeSurface::lastTaskCount() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_lastTaskCount;
}

size_t MarchingCubeSurface::storedBytes() const
{
    std::lock_guard<std::mutex> guard(m_mutex);
    size_t bytes = 0;
    for (const auto &chunk : m_chunks)
        bytes += chunk.capacity() * sizeof(Triangle);
    for (const auto &colors : m_colorBytes)
        bytes += colors.capacity();
    return bytes;
}

void MarchingCubeSurface::withColoredTriangles(
    const FacePalette::ColorMap &colors, bool selected,
    const std::function<void(const std::vector<std::vector<Triangle>> &, const std::vector<std::vector<uint8_t>> &)>
        &use)
{
    std::lock_guard<std::mutex> guard(m_mutex);
    if (m_colorBytes.size() != m_chunks.size() || colors != m_drawnColors || selected != m_drawnSelected) {
        // Colours change rarely (a selection, a catalogue edit): keep them between frames.
        m_colorBytes.assign(m_chunks.size(), std::vector<uint8_t>());
        for (size_t c = 0; c < m_chunks.size(); ++c) {
            std::vector<uint8_t> &bytes = m_colorBytes[c];
            bytes.resize(m_chunks[c].size() * 12);
            uint8_t *out = bytes.data();
            for (const Triangle &t : m_chunks[c]) {
                for (const Triangle::Vertex &v : t.vertices) {
                    const auto it = colors.find(v.material);
                    FacePalette::Color color = it != colors.end() ? it->second : FacePalette::Color{0, 0, 0, 1};
                    if (selected)
                        color = highlighted(color);
                    for (int i = 0; i < 3; ++i)
                        *out++ = Materials::colorByte(color[i]);
                    *out++ = 255;
                }
            }
        }
        m_drawnColors = colors;
        m_drawnSelected = selected;
    }
    use(m_chunks, m_colorBytes);
}

} // namespace Automaton
} // namespace Model
