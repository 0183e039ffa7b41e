#pragma once

#include "Model/Geometry/bsptree.h"
#include "Model/Geometry/cellface.h"
#include "Model/Geometry/quadface.h"
#include "Util/vector3d.h"
#include "Util/vector4d.h"
#include "cubicfacegenerator.h"
#include "facemesh.h"
#include "facepalette.h"
#include "fieldpainter.h"
#include "marchingcubesurface.h"
#include "octreesurface.h"
#include "silatticedisplay.h"

#include <QString>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace Util {
class RunControl;
}

namespace Model {
namespace Automaton {

class SurfaceMesh;
class TotalVolume;

/// Turns a volume's cells into surfaces once per change, and draws them. It dispatches to the
/// generators (the direct cubic faces: CubicFaceGenerator; MarchingCubeSurface; OctreeSurface),
/// building only the selected one, and keeps the cubic faces compactly: faces
/// as 16-byte records whose colours live in one palette, opaque faces also as a merged mesh,
/// transparent faces in the order of their depth-sorting tree.
/// Generation runs on the thread that asks for it and spreads x-slabs over the global thread pool;
/// drawing needs a current GL context and happens in the GUI thread.
class TotalVolumePainter {
public:
    using Color = FacePalette::Color;
    using ColorMap = FacePalette::ColorMap;

    explicit TotalVolumePainter(TotalVolume &volume);
    ~TotalVolumePainter();
    TotalVolumePainter(const TotalVolumePainter &) = delete;
    TotalVolumePainter &operator=(const TotalVolumePainter &) = delete;

    /// Rebuilds every surface from the cells (locks the volume's cells while it reads them).
    /// Never throws: when memory runs out (or anything else fails) the painter is left with no
    /// surface, nothing is drawn for the volume, the words for the user wait in
    /// takeSurfaceFailure(), and the result is false. A run control, when given, sees the
    /// generators' steps as progress (a surface is never left half-built, so it is not stopped).
    bool regenerateSurface(Util::RunControl *control = nullptr);
    /// Forgets the surfaces and gives their memory back; nothing is drawn until the next generation.
    void releaseSurface();
    /// Why the last generation left no surface ("Not enough memory to draw the surface of this
    /// cell volume."), once; empty when nothing is waiting to be told.
    QString takeSurfaceFailure();

    /// Re-reads the colours of the current faces from the catalogue, highlighted when the volume is selected.
    void refreshColors();
    /// Refreshes the colours when the volume's selection or the material catalogue changed since
    /// they were last read; draw() does this first.
    void refreshColorsIfStale();

    void draw(bool showSurface, bool showEdges, const Util::Vector3D &eye);
    /// The volume's bounding box as six quads.
    void drawForPicking();

    TotalVolume &volume() const { return m_volume; }

    /// 0 direct cubic faces, 1 marching cubes, 2 octree, 3 particle count field view
    /// (3 also keeps the cubic faces, which an export of the shown surface writes).
    uint32_t surfaceAlgorithm() const { return m_surfaceAlgorithm; }
    /// Takes effect at the next regenerateSurface(), which builds the chosen surface alone.
    void setSurfaceAlgorithm(uint32_t algorithm) { m_surfaceAlgorithm = algorithm; }
    bool renderEmptyVoxelOutlines() const { return m_renderEmptyVoxelOutlines; }
    void setRenderEmptyVoxelOutlines(bool on) { m_renderEmptyVoxelOutlines = on; }
    LatticeDisplayFlags latticeFlags() const { return m_latticeDisplay.flags(); }
    void setLatticeFlags(const LatticeDisplayFlags &flags) { m_latticeDisplay.setFlags(flags); }
    /// Atoms, links and unit cells of the volume's silicon lattice, rebuilt with the surface.
    const SiLatticeDisplay &latticeDisplay() const { return m_latticeDisplay; }
    /// Held by the field view: what it shows, and the type of its colour scale.
    uint32_t particleDistribution() const { return m_fieldPainter.particleDistribution(); }
    void setParticleDistribution(uint32_t distribution) { m_fieldPainter.setParticleDistribution(distribution); }
    uint32_t colorScaleType() const { return m_fieldPainter.colorScaleType(); }
    void setColorScaleType(uint32_t type) { m_fieldPainter.setColorScaleType(type); }
    /// The particle count field view, generated while surfaceAlgorithm is 3.
    FieldPainter &fieldPainter() { return m_fieldPainter; }
    const FieldPainter &fieldPainter() const { return m_fieldPainter; }
    /// Set while a model extraction shows its boxes in the volume's place: the volume is then drawn
    /// as the outline of its bounding box only, so that the boxes can be seen.
    bool extractionDisplay() const { return m_extractionDisplay; }
    void setExtractionDisplay(bool on) { m_extractionDisplay = on; }

    /// The window of cells that is drawn: lower inclusive, upper exclusive, clamped to the volume.
    void setCutLimits(const std::array<uint32_t, 3> &lower, const std::array<uint32_t, 3> &upper);
    void cutLimits(std::array<uint32_t, 3> &lower, std::array<uint32_t, 3> &upper) const;
    /// The six planes (a, b, c, d) bounding the window, outward: -x, +x, -y, +y, -z, +z.
    std::array<Util::Vector4D, 6> clippingPlanes() const;

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
    /// Every byte the painter keeps for its surfaces: face records, mesh, tree, palette, and the
    /// marching-cubes and octree surfaces.
    size_t storedBytes() const;

    const MarchingCubeSurface &marchingCubeSurface() const { return m_marchingCubes; }
    const OctreeSurface &octreeSurface() const { return m_octree; }
    /// Adds the surface now generated for the selected algorithm (what draw() shows, within the cut
    /// window) to a mesh, in the materials' own colours.
    void appendShownSurface(SurfaceMesh &mesh) const;

    /// Surface generations started by all painters of the program (headless runs check it stays put).
    static uint64_t generationCount();
    /// Test seam: a probe called at fixed points of every generation (see GenerationProbe).
    static void setGenerationProbe(const GenerationProbe &probe);

private:
    /// One entry per catalogue material, plus 0 for empty cells (transparent black).
    static ColorMap catalogueColors();
    CellWindow window() const;
    void regenerateCubicFaces();
    void regenerateMarchingCubes();
    void regenerateOctree();
    void releaseCubicFaces();
    /// Takes the catalogue's colours as the painter's, for a generation.
    ColorMap adoptCatalogueColors();
    void regenerateOutlines();
    void drawSurfaces(bool showEdges, const Util::Vector3D &localEye);
    void drawEdges();
    void drawTransparent(const Util::Vector3D &localEye);
    void drawMask(const class QBitArray &bits, uint32_t width, uint32_t height, float z) const;
    void drawBoundingOutline() const;
    Geometry::QuadFace quadFace(const Geometry::CellFace &face, bool outline) const;
    void recordFailure(const std::exception &error);

    TotalVolume &m_volume;
    MarchingCubeSurface m_marchingCubes;
    OctreeSurface m_octree;
    float m_cellSize[3];
    uint32_t m_ny;
    uint32_t m_nz;

    uint32_t m_surfaceAlgorithm = 0;
    bool m_renderEmptyVoxelOutlines = false;
    FieldPainter m_fieldPainter;
    SiLatticeDisplay m_latticeDisplay;
    bool m_extractionDisplay = false;

    mutable std::mutex m_limitMutex;
    std::array<uint32_t, 3> m_lower{};
    std::array<uint32_t, 3> m_upper{};
    std::array<Util::Vector4D, 6> m_planes;

    // Guards everything below: generation may run outside the GUI thread (batch runs).
    mutable std::mutex m_listMutex;
    bool m_lastSelected;
    uint64_t m_catalogueRevision = 0;
    ColorMap m_colorMap;
    FacePalette m_palette;
    std::vector<Geometry::CellFace> m_opaque;
    Geometry::BSPTreePtr m_tree;
    FaceMesh m_mesh;
    std::vector<Geometry::CellFace> m_outlines;
    QString m_failure;
    unsigned m_lastTaskCount = 0;
};

} // namespace Automaton
} // namespace Model
