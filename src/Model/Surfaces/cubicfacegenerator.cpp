#include "cubicfacegenerator.h"

#include "Util/paralleltasks.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace Model {
namespace Automaton {

using Geometry::CellFace;

namespace {

// The x slabs of a window: one per pool thread, the last taking the remainder; with fewer columns
// than threads a single slab that runs in the calling thread.
struct Slabs {
    uint32_t lowerX = 0;
    uint32_t upperX = 0;
    uint32_t width = 0;
    unsigned count = 1;
    bool pooled = false;

    Slabs(uint32_t lower, uint32_t upper)
        : lowerX(lower)
        , upperX(std::max(lower, upper))
    {
        const unsigned threads = Util::poolThreadCount();
        width = (upperX - lowerX) / threads;
        if (width > 0) {
            count = threads;
            pooled = true;
        }
    }
    uint32_t begin(unsigned i) const { return lowerX + i * width; }
    uint32_t end(unsigned i) const { return i + 1 == count ? upperX : begin(i) + width; }
    void run(const std::function<void(unsigned)> &task) const
    {
        if (pooled)
            Util::runParallelTasks(count, task);
        else
            task(0);
    }
};

// What a cell shows its neighbours: 0 empty or cut, 1 invisible, 2 transparent, 3 opaque material.
enum CellCode : uint8_t { Hidden = 0, ShownInvisible = 1, ShownTransparent = 2, ShownOpaque = 3 };

// Runs of equal exposed opaque faces along one axis, merged into one quad for drawing: side faces
// along z within a column, top and bottom faces along y within an x plane. Merges never cross an
// x plane, so the mesh does not depend on how the x range is cut into slabs.
template <class Sink> class MeshMerger {
public:
    MeshMerger(const CellWindow &w, Sink &sink)
        : m_lowerZ(w.lower[2])
        , m_depth(w.upper[2] - w.lower[2])
        , m_sink(sink)
        , m_zRuns(2 * size_t(m_depth))
    {
    }

    /// Faces in `cut` take `cutSlot` instead of `slot`.
    void add(unsigned exposed, unsigned cut, uint32_t x, uint32_t y, uint32_t z, uint32_t plainSlot, uint32_t cutSlot)
    {
        for (unsigned f = 2; f < 6; ++f) {
            if (!(exposed & (1u << f)))
                continue;
            const uint32_t slot = cut & (1u << f) ? cutSlot : plainSlot;
            Run &run = m_side[f];
            if (run.open && run.end == z && run.slot == slot) {
                ++run.end;
            } else {
                flushSide(f, x, y);
                run = Run{true, z, z + 1, slot};
            }
        }
        for (unsigned f = 0; f < 2; ++f) {
            if (!(exposed & (1u << f)))
                continue;
            const uint32_t slot = cut & (1u << f) ? cutSlot : plainSlot;
            Run &run = m_zRuns[f * m_depth + (z - m_lowerZ)];
            if (run.open && run.end == y && run.slot == slot) {
                ++run.end;
            } else {
                flushTop(run, f, x, z);
                run = Run{true, y, y + 1, slot};
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
        for (unsigned f = 0; f < 2; ++f)
            for (uint32_t i = 0; i < m_depth; ++i)
                flushTop(m_zRuns[f * m_depth + i], f, x, m_lowerZ + i);
    }

private:
    struct Run {
        bool open = false;
        uint32_t begin = 0;
        uint32_t end = 0;
        uint32_t slot = 0;
    };

    void flushSide(unsigned f, uint32_t x, uint32_t y)
    {
        Run &run = m_side[f];
        if (run.open) {
            const uint32_t origin[3] = {x, y, run.begin};
            m_sink.quad(f, origin, 2, run.end - run.begin, run.slot);
        }
        run.open = false;
    }
    void flushTop(Run &run, unsigned f, uint32_t x, uint32_t z)
    {
        if (run.open) {
            const uint32_t origin[3] = {x, run.begin, z};
            m_sink.quad(f, origin, 1, run.end - run.begin, run.slot);
        }
        run.open = false;
    }

    uint32_t m_lowerZ;
    uint32_t m_depth;
    Sink &m_sink;
    Run m_side[6];
    std::vector<Run> m_zRuns;
};

struct Context {
    const Cells &cells;
    uint32_t nx;
    uint32_t ny;
    uint32_t nz;
    const CellWindow &window;
    const FacePalette &palette;
    const uint32_t *slotOverride;
    bool shadeCuts;

    bool overridden(size_t index) const { return slotOverride && slotOverride[index] != FacePalette::noSlot; }
    uint32_t slot(size_t index) const
    {
        return overridden(index) ? slotOverride[index] : palette.slot(cells.state(index));
    }

    // The exposed faces of cell (x, y, z) that a cut laid open: behind them lies a visible material
    // that is cut or outside the window. Faces towards empty space or the volume's sides are real.
    unsigned cutFaces(uint32_t x, uint32_t y, uint32_t z, size_t index, unsigned exposed) const
    {
        if (!shadeCuts)
            return 0;
        const uint32_t at[3] = {x, y, z};
        const uint32_t size[3] = {nx, ny, nz};
        const ptrdiff_t stride[3] = {static_cast<ptrdiff_t>(ny) * nz, static_cast<ptrdiff_t>(nz), 1};
        unsigned cut = 0;
        for (unsigned f = 0; f < 6; ++f) {
            if (!(exposed & (1u << f)))
                continue;
            const unsigned axis = 2 - f / 2;
            const bool up = f & 1u;
            if (up ? at[axis] + 1 >= size[axis] : at[axis] == 0)
                continue;
            const size_t next = size_t(static_cast<ptrdiff_t>(index) + (up ? stride[axis] : -stride[axis]));
            const uint32_t beyond = up ? at[axis] + 1 : at[axis] - 1;
            const bool hidden = cells.isCut(next) || beyond < window.lower[axis] || beyond >= window.upper[axis];
            const uint32_t state = cells.state(next);
            if (hidden && state != 0 && palette.opacity(state) != OpacityClass::Invisible)
                cut |= 1u << f;
        }
        return cut;
    }
};

// The first place in [at, end) whose byte has one of `bits` set, or `end`; eight bytes a step
// through the long empty stretches of a volume.
size_t firstWithBits(const uint8_t *bytes, size_t at, size_t end, uint8_t bits)
{
    const uint64_t wide = 0x0101010101010101ull * bits;
    while (at + 8 <= end) {
        uint64_t word;
        std::memcpy(&word, bytes + at, 8);
        if (word & wide)
            break;
        at += 8;
    }
    while (at < end && !(bytes[at] & bits))
        ++at;
    return at;
}

// A cell's exposed faces as one byte: a bit per face number, and opaqueBit for an opaque cell.
constexpr uint8_t opaqueBit = 1u << 6;

// Works out the exposed faces of the cells of a slab from the cells, one x plane at a time, and
// keeps them (one byte a cell) so that the second pass need not work them out again.
class Classifier {
public:
    Classifier(const Context &c, uint32_t x0, uint32_t x1, std::vector<uint8_t> &masks)
        : m_c(c)
        , m_w(c.window)
        , m_depth(m_w.upper[2] - m_w.lower[2])
        , m_planeSize(size_t(m_w.upper[1] - m_w.lower[1]) * m_depth)
        , m_x0(x0)
        , m_masks(masks)
    {
        const ptrdiff_t stride[3] = {static_cast<ptrdiff_t>(c.ny) * c.nz, static_cast<ptrdiff_t>(c.nz), 1};
        const ptrdiff_t offset[6] = {-stride[2], stride[2], -stride[1], stride[1], -stride[0], stride[0]};
        std::copy(offset, offset + 6, m_offset);
        m_previous = &m_planes[0];
        m_current = &m_planes[1];
        m_following = &m_planes[2];
        if (x0 >= x1 || m_planeSize == 0)
            return; // nothing to walk
        if (x0 > m_w.lower[0])
            fillPlane(x0 - 1, *m_previous);
        fillPlane(x0, *m_current);
    }

    void beginPlane(uint32_t x)
    {
        if (x > m_x0) {
            std::swap(m_previous, m_current);
            std::swap(m_current, m_following);
        }
        m_hasFollowing = x + 1 < m_w.upper[0];
        if (m_hasFollowing)
            fillPlane(x + 1, *m_following);
        m_out = m_masks.data() + size_t(x - m_x0) * m_planeSize;
    }

    // The first place in [at, end) of the plane that may show faces: a transparent or opaque cell.
    size_t next(size_t at, size_t end) const { return firstWithBits(m_current->data(), at, end, 0xfe); }

    // The exposed faces of cell (x, y, z), whose place in the plane arrays is `at`.
    uint8_t mask(uint32_t x, uint32_t y, uint32_t z, size_t at, size_t index)
    {
        const uint8_t code = (*m_current)[at];
        uint8_t exposed = 0;
        if (code >= ShownTransparent) {
            const uint8_t *here = m_current->data();
            // The neighbour's code in face order; a window boundary shows the face.
            const int none = -1;
            const int next[6] = {
                z > m_w.lower[2] ? here[at - 1] : none,       z + 1 < m_w.upper[2] ? here[at + 1] : none,
                y > m_w.lower[1] ? here[at - m_depth] : none, y + 1 < m_w.upper[1] ? here[at + m_depth] : none,
                x > m_w.lower[0] ? (*m_previous)[at] : none,  m_hasFollowing ? (*m_following)[at] : none};
            if (code == ShownOpaque) {
                for (unsigned f = 0; f < 6; ++f) {
                    if (next[f] != ShownOpaque)
                        exposed |= uint8_t(1u << f);
                }
                if (exposed)
                    exposed |= opaqueBit;
            } else {
                // A transparent film hides the faces inside itself; a cut neighbour hides nothing.
                const uint32_t state = m_c.cells.state(index);
                for (unsigned f = 0; f < 6; ++f) {
                    const bool hidden = next[f] == ShownOpaque ||
                                        (next[f] >= ShownInvisible &&
                                         m_c.cells.state(size_t(static_cast<ptrdiff_t>(index) + m_offset[f])) == state);
                    if (!hidden)
                        exposed |= uint8_t(1u << f);
                }
            }
        }
        m_out[at] = exposed;
        return exposed;
    }

private:
    // One byte per cell for the x planes x - 1, x and x + 1 of the window: the neighbour tests
    // read these small planes instead of the cells scattered over the volume.
    void fillPlane(uint32_t x, std::vector<uint8_t> &plane)
    {
        plane.resize(m_planeSize);
        uint8_t *out = plane.data();
        const Cells::State *states = m_c.cells.states();
        const uint8_t *cuts = m_c.cells.cutCounts();
        for (uint32_t y = m_w.lower[1]; y < m_w.upper[1]; ++y) {
            const size_t first = (static_cast<size_t>(x) * m_c.ny + y) * m_c.nz;
            for (uint32_t z = m_w.lower[2]; z < m_w.upper[2]; ++z) {
                const uint32_t state = states[first + z];
                if (state == 0 || cuts[first + z] != 0)
                    *out++ = uint8_t(Hidden);
                else if (m_c.overridden(first + z))
                    *out++ = uint8_t(ShownOpaque);
                else
                    *out++ = uint8_t(1 + uint8_t(m_c.palette.opacity(state)));
            }
        }
    }

    const Context &m_c;
    const CellWindow &m_w;
    uint32_t m_depth;
    size_t m_planeSize;
    uint32_t m_x0;
    std::vector<uint8_t> &m_masks;
    ptrdiff_t m_offset[6];
    std::vector<uint8_t> m_planes[3];
    std::vector<uint8_t> *m_previous;
    std::vector<uint8_t> *m_current;
    std::vector<uint8_t> *m_following;
    bool m_hasFollowing = false;
    uint8_t *m_out = nullptr;
};

// Reads back the exposed faces the classifier kept.
class Replayer {
public:
    Replayer(const CellWindow &w, uint32_t x0, const std::vector<uint8_t> &masks)
        : m_planeSize(size_t(w.upper[1] - w.lower[1]) * (w.upper[2] - w.lower[2]))
        , m_x0(x0)
        , m_masks(masks)
    {
    }
    void beginPlane(uint32_t x) { m_plane = m_masks.data() + size_t(x - m_x0) * m_planeSize; }
    size_t next(size_t at, size_t end) const { return firstWithBits(m_plane, at, end, 0xff); }
    uint8_t mask(uint32_t, uint32_t, uint32_t, size_t at, size_t) const { return m_plane[at]; }

private:
    size_t m_planeSize;
    uint32_t m_x0;
    const std::vector<uint8_t> &m_masks;
    const uint8_t *m_plane = nullptr;
};

// Walks the cells of [x0, x1) of the window and tells the sink every cell with exposed faces
// (a bit per face number), every merged opaque quad and the ends of rows and x planes.
template <class Source, class Sink>
void walkSlab(const Context &c, uint32_t x0, uint32_t x1, Source &source, Sink &sink)
{
    const CellWindow &w = c.window;
    const uint32_t depth = w.upper[2] - w.lower[2];
    if (x0 >= x1 || w.upper[1] <= w.lower[1] || depth == 0)
        return;
    MeshMerger<Sink> mesh(w, sink);
    for (uint32_t x = x0; x < x1; ++x) {
        source.beginPlane(x);
        sink.beginPlane(x);
        for (uint32_t y = w.lower[1]; y < w.upper[1]; ++y) {
            const size_t column = (static_cast<size_t>(x) * c.ny + y) * c.nz;
            const size_t row = static_cast<size_t>(y - w.lower[1]) * depth;
            const size_t rowEnd = row + depth;
            for (size_t at = source.next(row, rowEnd); at < rowEnd; at = source.next(at + 1, rowEnd)) {
                const uint32_t z = w.lower[2] + uint32_t(at - row);
                const uint8_t exposed = source.mask(x, y, z, at, column + z);
                if (!exposed)
                    continue;
                const uint32_t slot = c.slot(column + z);
                const uint32_t cutSlot = c.palette.cutSlot(slot);
                const bool opaque = exposed & opaqueBit;
                const unsigned cut = c.cutFaces(x, y, z, column + z, exposed & 63u);
                sink.cell(x, y, z, exposed & 63u, cut, slot, cutSlot, opaque);
                if (opaque)
                    mesh.add(exposed & 63u, cut, x, y, z, slot, cutSlot);
            }
            mesh.endColumn(x, y);
            sink.endRow();
        }
        mesh.endPlane(x);
    }
}

// What one slab emits, from the counting pass.
struct SlabCounts {
    size_t opaque = 0;
    size_t transparent = 0;
    /// Merged quads by face direction and slot: [face * slots + slot].
    std::vector<size_t> quads;
    /// Per x plane of the slab: its transparent faces, and of those the faces 4 and 5.
    std::vector<size_t> planeFaces;
    std::vector<size_t> planeFace4;
    std::vector<size_t> planeFace5;
};

class CountingSink {
public:
    CountingSink(SlabCounts &counts, uint32_t x0, uint32_t x1, size_t slots)
        : m_counts(counts)
        , m_x0(x0)
        , m_slots(slots)
    {
        counts.quads.assign(6 * slots, 0);
        counts.planeFaces.assign(x1 - x0, 0);
        counts.planeFace4.assign(x1 - x0, 0);
        counts.planeFace5.assign(x1 - x0, 0);
    }
    void beginPlane(uint32_t) {}
    void endRow() {}
    void cell(uint32_t x, uint32_t, uint32_t, unsigned exposed, unsigned, uint32_t, uint32_t, bool opaque)
    {
        const size_t faces = size_t(__builtin_popcount(exposed));
        if (opaque) {
            m_counts.opaque += faces;
            return;
        }
        m_counts.transparent += faces;
        m_counts.planeFaces[x - m_x0] += faces;
        m_counts.planeFace4[x - m_x0] += (exposed >> 4) & 1u;
        m_counts.planeFace5[x - m_x0] += (exposed >> 5) & 1u;
    }
    void quad(unsigned f, const uint32_t *, unsigned, uint32_t, uint32_t slot) { ++m_counts.quads[f * m_slots + slot]; }

private:
    SlabCounts &m_counts;
    uint32_t m_x0;
    size_t m_slots;
};

// Writes a slab's faces at the places the counts gave it. Transparent faces of an x plane are laid
// out as [faces 4][rows][faces 5] and those of a row as [faces 2][faces 0 and 1][faces 3]: one
// plane's faces 5 then meet the next plane's faces 4, which is the depth-sorting tree's order.
class WritingSink {
public:
    WritingSink(const SlabCounts &counts, uint32_t x0, size_t slots, CellFace *opaque, CellFace *transparent,
                std::vector<size_t> quadCursor, FaceMesh &mesh, const float cellSize[3])
        : m_counts(counts)
        , m_x0(x0)
        , m_slots(slots)
        , m_opaque(opaque)
        , m_transparent(transparent)
        , m_quadCursor(std::move(quadCursor))
        , m_mesh(mesh)
        , m_cellSize(cellSize)
    {
    }
    void beginPlane(uint32_t x)
    {
        const size_t i = x - m_x0;
        m_face4 = m_planeStart;
        m_rows = m_planeStart + m_counts.planeFace4[i];
        m_face5 = m_planeStart + m_counts.planeFaces[i] - m_counts.planeFace5[i];
        m_planeStart += m_counts.planeFaces[i];
    }
    void cell(uint32_t x, uint32_t y, uint32_t z, unsigned exposed, unsigned cut, uint32_t slot, uint32_t cutSlot,
              bool opaque)
    {
        for (unsigned f = 0; f < 6; ++f) {
            if (!(exposed & (1u << f)))
                continue;
            const CellFace face(x, y, z, f, cut & (1u << f) ? cutSlot : slot);
            if (opaque)
                *m_opaque++ = face;
            else if (f < 2)
                m_zFaces.push_back(face);
            else if (f == 2)
                m_face2.push_back(face);
            else if (f == 3)
                m_face3.push_back(face);
            else
                m_transparent[f == 4 ? m_face4++ : m_face5++] = face;
        }
    }
    void endRow()
    {
        for (auto *part : {&m_face2, &m_zFaces, &m_face3}) {
            std::copy(part->begin(), part->end(), m_transparent + m_rows);
            m_rows += part->size();
            part->clear();
        }
    }
    void quad(unsigned f, const uint32_t *origin, unsigned axis, uint32_t length, uint32_t slot)
    {
        m_mesh.writeQuad(m_quadCursor[f * m_slots + slot]++, f, origin, axis, length, m_cellSize);
    }
    void setTransparentStart(size_t start) { m_planeStart = start; }

private:
    const SlabCounts &m_counts;
    uint32_t m_x0;
    size_t m_slots;
    CellFace *m_opaque;
    CellFace *m_transparent;
    std::vector<size_t> m_quadCursor;
    FaceMesh &m_mesh;
    const float *m_cellSize;
    size_t m_planeStart = 0;
    size_t m_face4 = 0;
    size_t m_rows = 0;
    size_t m_face5 = 0;
    std::vector<CellFace> m_face2;
    std::vector<CellFace> m_zFaces;
    std::vector<CellFace> m_face3;
};

} // namespace

CubicFaceGenerator::CubicFaceGenerator(const Cells &cells, uint32_t nx, uint32_t ny, uint32_t nz,
                                       const CellWindow &window, const FacePalette &palette, const float cellSize[3])
    : m_cells(cells)
    , m_nx(nx)
    , m_ny(ny)
    , m_nz(nz)
    , m_window(window)
    , m_palette(palette)
    , m_cellSize{cellSize[0], cellSize[1], cellSize[2]}
{
}

void CubicFaceGenerator::probe(const char *point) const
{
    if (m_probe)
        m_probe(point);
}

CubicFaces CubicFaceGenerator::run() const
{
    const Slabs slabs(m_window.lower[0], m_window.upper[0]);
    const Context context{m_cells, m_nx, m_ny, m_nz, m_window, m_palette, m_slotOverride, m_shadeCuts};
    const size_t slots = m_palette.size();

    // The first pass keeps each cell's exposed faces (a byte a cell of the window) for the second.
    std::vector<SlabCounts> counts(slabs.count);
    std::vector<std::vector<uint8_t>> masks(slabs.count);
    const size_t planeSize = size_t(m_window.upper[1] - m_window.lower[1]) * (m_window.upper[2] - m_window.lower[2]);
    slabs.run([&](unsigned i) {
        probe("count");
        masks[i].resize(size_t(slabs.end(i) - slabs.begin(i)) * planeSize);
        CountingSink sink(counts[i], slabs.begin(i), slabs.end(i), slots);
        Classifier classifier(context, slabs.begin(i), slabs.end(i), masks[i]);
        walkSlab(context, slabs.begin(i), slabs.end(i), classifier, sink);
    });

    // Where each slab writes: its share of the face lists, and per direction and slot its share of
    // the mesh, whose quads are grouped by slot (slabs in order within a slot).
    probe("allocate");
    CubicFaces out;
    std::vector<size_t> opaqueStart(slabs.count);
    std::vector<size_t> transparentStart(slabs.count);
    size_t opaqueTotal = 0;
    size_t transparentTotal = 0;
    for (unsigned i = 0; i < slabs.count; ++i) {
        opaqueStart[i] = opaqueTotal;
        transparentStart[i] = transparentTotal;
        opaqueTotal += counts[i].opaque;
        transparentTotal += counts[i].transparent;
    }
    std::vector<std::vector<size_t>> quadStart(slabs.count, std::vector<size_t>(6 * slots, 0));
    out.mesh.setCompact(FaceMesh::fitsCompact(m_window.upper));
    for (unsigned f = 0; f < 6; ++f) {
        FaceMesh::Direction &direction = out.mesh.direction(f);
        size_t quads = 0;
        for (size_t slot = 0; slot < slots; ++slot) {
            const size_t first = quads;
            for (unsigned i = 0; i < slabs.count; ++i) {
                quadStart[i][f * slots + slot] = quads;
                quads += counts[i].quads[f * slots + slot];
            }
            if (quads > first)
                direction.runs.push_back({uint32_t(slot), first, quads - first});
        }
        out.mesh.resize(f, quads);
    }
    out.opaque.resize(opaqueTotal);
    out.transparent.resize(transparentTotal);

    slabs.run([&](unsigned i) {
        probe("write");
        WritingSink sink(counts[i], slabs.begin(i), slots, out.opaque.data() + opaqueStart[i], out.transparent.data(),
                         quadStart[i], out.mesh, m_cellSize);
        sink.setTransparentStart(transparentStart[i]);
        Replayer replayer(m_window, slabs.begin(i), masks[i]);
        walkSlab(context, slabs.begin(i), slabs.end(i), replayer, sink);
    });
    out.taskCount = slabs.pooled ? slabs.count : 0;
    return out;
}

std::vector<CellFace> CubicFaceGenerator::emptyCellOutlines() const
{
    const Slabs slabs(m_window.lower[0], m_window.upper[0]);
    const CellWindow &w = m_window;
    auto forEachEmptyCell = [&](unsigned slab, const std::function<void(uint32_t, uint32_t, uint32_t)> &visit) {
        for (uint32_t x = slabs.begin(slab); x < slabs.end(slab); ++x) {
            for (uint32_t y = w.lower[1]; y < w.upper[1]; ++y) {
                const size_t column = (static_cast<size_t>(x) * m_ny + y) * m_nz;
                for (uint32_t z = w.lower[2]; z < w.upper[2]; ++z) {
                    if (m_cells.state(column + z) == 0)
                        visit(x, y, z);
                }
            }
        }
    };
    std::vector<size_t> start(slabs.count + 1, 0);
    slabs.run([&](unsigned i) {
        size_t cells = 0;
        forEachEmptyCell(i, [&cells](uint32_t, uint32_t, uint32_t) { ++cells; });
        start[i + 1] = 6 * cells;
    });
    for (unsigned i = 0; i < slabs.count; ++i)
        start[i + 1] += start[i];
    std::vector<CellFace> faces(start[slabs.count]);
    slabs.run([&](unsigned i) {
        CellFace *out = faces.data() + start[i];
        forEachEmptyCell(i, [&out](uint32_t x, uint32_t y, uint32_t z) {
            for (unsigned f = 0; f < 6; ++f)
                *out++ = CellFace(x, y, z, f, 0);
        });
    });
    return faces;
}

} // namespace Automaton
} // namespace Model
