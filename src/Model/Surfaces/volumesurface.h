#pragma once

#include "Model/Surfaces/bsptree.h"
#include "Model/Surfaces/cellface.h"
#include "Model/Surfaces/cubicfacegenerator.h"
#include "Model/Surfaces/facemesh.h"
#include "Model/Surfaces/facepalette.h"
#include "Model/Surfaces/fieldpainter.h"
#include "Model/Surfaces/marchingcubesurface.h"
#include "Model/Surfaces/octreesurface.h"
#include "Model/Surfaces/quadface.h"
#include "Model/Surfaces/silatticedisplay.h"
#include "Model/Volume/surfacealgorithm.h"

#include <QString>

#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace Util {
class RunControl;
}

namespace Model {
namespace Automaton {
class SurfaceMesh;
class TotalVolume;
} // namespace Automaton

namespace Surfaces {

/// The surface shown for a cell volume: its cells turned into flat primitives once per change, for
/// the surface algorithm and the window of the volume's view. It dispatches to the generators (the
/// direct cubic faces: CubicFaceGenerator; MarchingCubeSurface; OctreeSurface; the field view),
/// building only the selected one, and keeps the cubic faces compactly: faces as 16-byte records
/// whose colours live in one palette, opaque faces also as a merged mesh, transparent faces in the
/// order of their depth-sorting tree. No GL: the painters of the display draw it, the exporters
/// write it. Generation runs on the thread that asks for it and spreads x-slabs over the global
/// thread pool; reads may come from the GUI thread meanwhile.
class VolumeSurface {
public:
    using Color = Automaton::FacePalette::Color;
    using ColorMap = Automaton::FacePalette::ColorMap;

    /// What a draw of the cubic faces reads, valid while withCubicFaces() runs.
    struct CubicFaceLists {
        const Automaton::FaceMesh &mesh;
        const Automaton::FacePalette &palette;
        const std::vector<Geometry::CellFace> &opaque;
        /// Null unless the last generation found transparent faces.
        const Geometry::BSPTree *tree;
        const std::vector<Geometry::CellFace> &outlines;
        const float *cellSize;
    };

    /// The colour of empty-cell outlines.
    static const Color outlineColor;

    explicit VolumeSurface(Automaton::TotalVolume &volume);
    ~VolumeSurface();
    VolumeSurface(const VolumeSurface &) = delete;
    VolumeSurface &operator=(const VolumeSurface &) = delete;

    Automaton::TotalVolume &volume() const { return m_volume; }

    /// Builds this algorithm instead of the view's (a surface made for an export).
    void setAlgorithm(Automaton::SurfaceAlgorithm algorithm) { m_algorithm = algorithm; }
    /// The algorithm generation builds: the one set, else the view's.
    Automaton::SurfaceAlgorithm algorithm() const;

    /// Rebuilds every surface from the cells (locks the volume's cells while it reads them).
    /// Never throws: when memory runs out (or anything else fails) the surface is left empty,
    /// nothing is drawn for the volume, the words for the user wait in takeFailure(), and the
    /// result is false. A run control, when given, sees the generators' steps as progress (a
    /// surface is never left half-built, so it is not stopped).
    bool regenerate(Util::RunControl *control = nullptr);
    /// Forgets the surfaces and gives their memory back; nothing is drawn until the next generation.
    void release();
    /// Gives the surface up after a failure outside generation (a draw that ran out of memory):
    /// the volume goes blank and the user is told as after a generation.
    void releaseAfter(const std::exception &error);
    /// Why the last generation left no surface ("Not enough memory to draw the surface of this
    /// cell volume."), once; empty when nothing is waiting to be told.
    QString takeFailure();

    /// Re-reads the colours of the current faces from the catalogue, highlighted when the volume is selected.
    void refreshColors();
    /// Refreshes the colours when the volume's selection or the material catalogue changed since
    /// they were last read; a draw does this first.
    void refreshColorsIfStale();

    /// Calls `use` with the cubic faces under the surface's lock.
    void withCubicFaces(const std::function<void(const CubicFaceLists &)> &use) const;

    size_t opaqueFaceCount() const;
    size_t transparentFaceCount() const;
    size_t emptyCellOutlineCount() const;
    /// Faces with corners and colours, made on demand from the stored records (for tests and
    /// callers that look at a few faces; each takes six times the memory of a stored face).
    Geometry::QuadFace opaqueFace(size_t i) const;
    Geometry::QuadFace transparentFace(size_t i) const;
    std::vector<Geometry::QuadFace> opaqueFaces() const;
    /// In the depth-sorting tree's order.
    std::vector<Geometry::QuadFace> transparentFaces() const;
    std::vector<Geometry::QuadFace> emptyCellOutlines() const;
    /// Null unless the last generation found transparent faces.
    Geometry::BSPTreePtr transparentTree() const;
    ColorMap colorMap() const;
    /// Pool tasks the last slab pass started; 0 when it ran in the calling thread.
    unsigned lastTaskCount() const { return m_lastTaskCount; }
    /// Quads the opaque faces are drawn with, per face number: runs of equal faces merged into one.
    size_t drawnQuadCount(unsigned faceNumber) const;
    /// Every byte kept for the surfaces: face records, mesh, tree, palette, and the marching-cubes,
    /// octree and field surfaces.
    size_t storedBytes() const;

    Automaton::MarchingCubeSurface &marchingCubeSurface() { return m_marchingCubes; }
    const Automaton::MarchingCubeSurface &marchingCubeSurface() const { return m_marchingCubes; }
    const Automaton::OctreeSurface &octreeSurface() const { return m_octree; }
    /// The particle count field view, generated for SurfaceAlgorithm::ParticleCountField.
    Automaton::FieldPainter &fieldPainter() { return m_fieldPainter; }
    const Automaton::FieldPainter &fieldPainter() const { return m_fieldPainter; }
    /// Atoms, links and unit cells of the volume's silicon lattice, rebuilt with the surface.
    const Automaton::SiLatticeDisplay &latticeDisplay() const { return m_latticeDisplay; }
    /// Adds the surface now generated for the algorithm (what is drawn, within the cut window) to
    /// a mesh, in the materials' own colours.
    void appendShownSurface(Automaton::SurfaceMesh &mesh) const;

    /// Surface generations started by all surfaces of the program (headless runs check it stays put).
    static uint64_t generationCount();
    /// Test seam: a probe called at fixed points of every generation (see GenerationProbe).
    static void setGenerationProbe(const Automaton::GenerationProbe &probe);

private:
    /// One entry per catalogue material, plus 0 for empty cells (transparent black).
    static ColorMap catalogueColors();
    void regenerateCubicFaces();
    void regenerateMarchingCubes();
    void regenerateOctree();
    void releaseCubicFaces();
    /// Takes the catalogue's colours as the surface's, for a generation.
    ColorMap adoptCatalogueColors();
    void regenerateOutlines();
    Geometry::QuadFace quadFace(const Geometry::CellFace &face, bool outline) const;
    void recordFailure(const std::exception &error);

    Automaton::TotalVolume &m_volume;
    std::optional<Automaton::SurfaceAlgorithm> m_algorithm;
    Automaton::MarchingCubeSurface m_marchingCubes;
    Automaton::OctreeSurface m_octree;
    float m_cellSize[3];
    uint32_t m_ny;
    uint32_t m_nz;
    Automaton::FieldPainter m_fieldPainter;
    Automaton::SiLatticeDisplay m_latticeDisplay;

    // Guards everything below: generation may run outside the GUI thread.
    mutable std::mutex m_listMutex;
    bool m_lastSelected;
    uint64_t m_catalogueRevision = 0;
    ColorMap m_colorMap;
    Automaton::FacePalette m_palette;
    std::vector<Geometry::CellFace> m_opaque;
    Geometry::BSPTreePtr m_tree;
    Automaton::FaceMesh m_mesh;
    std::vector<Geometry::CellFace> m_outlines;
    QString m_failure;
    unsigned m_lastTaskCount = 0;
};

} // namespace Surfaces
} // namespace Model
