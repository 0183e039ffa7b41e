#pragma once

#include "Model/Surfaces/cellface.h"
#include "Model/Surfaces/facemesh.h"
#include "Model/Surfaces/facepalette.h"
#include "Model/Volume/cells.h"
#include "Model/Volume/cellwindow.h"

#include <functional>
#include <vector>

namespace Model {
namespace Automaton {

/// Called at fixed points of a generation with the point's name: "count" and "write" at the start
/// of every slab task of the two passes, "allocate" before the lists are allocated. A probe that
/// throws stands in for a failure at that point (tests use it to run out of memory on purpose).
using GenerationProbe = std::function<void(const char *point)>;

/// The direct cubic faces of a window of cells.
struct CubicFaces {
    /// Exposed faces of opaque cells, in cell order (x, then y, then z, then face number).
    std::vector<Geometry::CellFace> opaque;
    /// Exposed faces of transparent cells, in the order of the depth-sorting tree (BSPTree).
    std::vector<Geometry::CellFace> transparent;
    /// The opaque faces merged for drawing.
    FaceMesh mesh;
    /// Pool tasks of each pass; 0 when the passes ran in the calling thread.
    unsigned taskCount = 0;
};

/// Finds the exposed faces of the visible cells of a window. The window is cut into one x slab
/// per pool thread, and each slab is walked twice: first to count what it emits, then to write it
/// at its final place. The lists are thus allocated once at their exact size, the transparent
/// faces come out in tree order without a sort, and nothing depends on the thread count.
/// The caller holds the volume's cell lock.
class CubicFaceGenerator {
public:
    /// `cells` are the volume's nx x ny x nz cells (z fastest).
    CubicFaceGenerator(const Cells &cells, uint32_t nx, uint32_t ny, uint32_t nz, const CellWindow &window,
                       const FacePalette &palette, const float cellSize[3]);

    void setProbe(const GenerationProbe &probe) { m_probe = probe; }
    /// Views that colour cells by data rather than by material (the particle count field view) give
    /// a palette slot per cell of the volume, in cell order; FacePalette::noSlot keeps the
    /// material's. A cell with a slot of its own counts as opaque.
    void setSlotOverride(const uint32_t *cellSlots) { m_slotOverride = cellSlots; }
    /// Whether faces that a cut laid open take their material's cut slot (on by default); views
    /// whose colours carry data keep them plain.
    void setShadeCutFaces(bool on) { m_shadeCuts = on; }

    /// The faces by the opacity rules: an opaque cell shows a face unless its neighbour there is
    /// opaque; a transparent cell hides a face towards an opaque neighbour or one of its own
    /// material. Window boundaries show every face; empty, cut and invisible cells show none. A face
    /// with a visible material behind it that is cut or outside the window is a cut face.
    CubicFaces run() const;
    /// All six faces of every empty cell of the window (cut or not), in cell order, slot 0.
    std::vector<Geometry::CellFace> emptyCellOutlines() const;

private:
    void probe(const char *point) const;

    Cells m_cells;
    uint32_t m_nx;
    uint32_t m_ny;
    uint32_t m_nz;
    CellWindow m_window;
    const FacePalette &m_palette;
    float m_cellSize[3];
    GenerationProbe m_probe;
    const uint32_t *m_slotOverride = nullptr;
    bool m_shadeCuts = true;
};

} // namespace Automaton
} // namespace Model
