#pragma once

#include "Model/Geometry/bsptree.h"
#include "Model/Geometry/quadface.h"
#include "Util/vector3d.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace Model {
namespace Automaton {

class TotalVolume;

/// How a colour is drawn, by its alpha.
enum class OpacityClass : uint8_t { Invisible = 0, Transparent = 1, Opaque = 2 };
/// Opaque above 254/255, invisible below 1/255, transparent in between.
OpacityClass opacityClass(float alpha);

/// Red, green and blue each become c - 0.7 when c >= 0.7, else c + 0.3; alpha stays.
std::array<float, 4> highlighted(const std::array<float, 4> &color);

/// What the atomistic lattice display shows; stored here until that display exists.
struct LatticeDisplayFlags {
    bool renderSiAtoms = false;
    bool renderSurfaceAtomsOnly = false;
    bool renderSiAtomLinks = false;
    bool renderSiUnitCells = false;
    bool renderSiUnitCellOutlines = false;

    bool operator==(const LatticeDisplayFlags &o) const
    {
        return renderSiAtoms == o.renderSiAtoms && renderSurfaceAtomsOnly == o.renderSurfaceAtomsOnly &&
               renderSiAtomLinks == o.renderSiAtomLinks && renderSiUnitCells == o.renderSiUnitCells &&
               renderSiUnitCellOutlines == o.renderSiUnitCellOutlines;
    }
};

/// Turns a volume's cells into lists of faces once per change, and draws those lists.
/// Generation runs on the thread that asks for it and spreads x-slabs over the global thread pool;
/// drawing needs a current GL context and happens in the GUI thread.
class TotalVolumePainter {
public:
    using Color = std::array<float, 4>;
    using ColorMap = std::map<uint32_t, Color>;

    explicit TotalVolumePainter(TotalVolume &volume);
    ~TotalVolumePainter();
    TotalVolumePainter(const TotalVolumePainter &) = delete;
    TotalVolumePainter &operator=(const TotalVolumePainter &) = delete;

    /// Rebuilds every list from the cells (locks the volume's cells while it reads them).
    void regenerateSurface();
    /// Re-reads the colours of the current faces from the catalogue, highlighted when the volume is selected.
    void refreshColors();

    void draw(bool showSurface, bool showEdges, const Util::Vector3D &eye);
    /// The volume's bounding box as six quads.
    void drawForPicking();

    TotalVolume &volume() const { return m_volume; }

    /// 0 direct cubic faces, 1 marching cubes, 2 octree, 3 particle count field view
    /// (1 to 3 show the cubic faces until their generators exist).
    uint32_t surfaceAlgorithm() const { return m_surfaceAlgorithm; }
    /// A different value regenerates the cubic faces at once.
    void setSurfaceAlgorithm(uint32_t algorithm);
    bool renderEmptyVoxelOutlines() const { return m_renderEmptyVoxelOutlines; }
    void setRenderEmptyVoxelOutlines(bool on) { m_renderEmptyVoxelOutlines = on; }
    LatticeDisplayFlags latticeFlags() const { return m_latticeFlags; }
    void setLatticeFlags(const LatticeDisplayFlags &flags) { m_latticeFlags = flags; }
    uint32_t particleDistribution() const { return m_particleDistribution; }
    void setParticleDistribution(uint32_t distribution) { m_particleDistribution = distribution; }
    uint32_t colorScaleType() const { return m_colorScaleType; }
    void setColorScaleType(uint32_t type) { m_colorScaleType = type; }
    /// Set while a model extraction shows its boxes in the volume's place: the volume is then drawn
    /// as the outline of its bounding box only, so that the boxes can be seen.
    bool extractionDisplay() const { return m_extractionDisplay; }
    void setExtractionDisplay(bool on) { m_extractionDisplay = on; }

    /// The window of cells that is drawn: lower inclusive, upper exclusive, clamped to the volume.
    void setCutLimits(const std::array<uint32_t, 3> &lower, const std::array<uint32_t, 3> &upper);
    void cutLimits(std::array<uint32_t, 3> &lower, std::array<uint32_t, 3> &upper) const;
    /// The six planes (a, b, c, d) bounding the window, outward: -x, +x, -y, +y, -z, +z.
    std::array<Util::Vector4D, 6> clippingPlanes() const;

    const std::vector<Geometry::QuadFace> &opaqueFaces() const { return m_opaque; }
    const std::vector<Geometry::QuadFace> &transparentFaces() const { return m_transparent; }
    const std::vector<Geometry::QuadFace> &emptyCellOutlines() const { return m_outlines; }
    /// Null until a generation found transparent faces.
    Geometry::BSPTreePtr transparentTree() const { return m_tree; }
    const ColorMap &colorMap() const { return m_colorMap; }
    /// Pool tasks the last slab pass started; 0 when it ran in the calling thread.
    unsigned lastTaskCount() const { return m_lastTaskCount; }
    /// Quads the opaque faces are drawn with, per face number: runs of equal faces merged into one.
    size_t drawnQuadCount(unsigned faceNumber) const;

    /// A drawn quad of the opaque mesh.
    struct MeshQuad {
        float corners[4][3];
        uint32_t material;
    };

private:
    struct DrawArrays;
    struct SlabFaces {
        std::vector<Geometry::QuadFace> opaque;
        std::vector<Geometry::QuadFace> transparent;
        std::array<std::vector<MeshQuad>, 6> mesh;
    };

    /// One entry per catalogue material, plus 0 for empty cells (transparent black).
    static ColorMap catalogueColors();
    void regenerateCubicFaces();
    void regenerateOutlines();
    void spliceSlabs(unsigned slabCount, std::vector<Geometry::QuadFace> SlabFaces::*part,
                     std::vector<Geometry::QuadFace> &target, std::unique_ptr<DrawArrays> *arrays);
    void spliceMesh(unsigned slabCount);
    void fillMeshColors(DrawArrays &arrays, bool selected) const;
    void drawFaces(const DrawArrays &arrays, bool edges);
    void drawMask(const class QBitArray &bits, uint32_t width, uint32_t height, float z) const;
    void drawBoundingOutline() const;

    TotalVolume &m_volume;
    float m_cellSize[3];
    uint32_t m_ny;
    uint32_t m_nz;

    uint32_t m_surfaceAlgorithm = 0;
    bool m_renderEmptyVoxelOutlines = false;
    LatticeDisplayFlags m_latticeFlags;
    uint32_t m_particleDistribution = 0;
    uint32_t m_colorScaleType = 0;
    bool m_extractionDisplay = false;

    mutable std::mutex m_limitMutex;
    std::array<uint32_t, 3> m_lower{};
    std::array<uint32_t, 3> m_upper{};
    std::array<Util::Vector4D, 6> m_planes;

    bool m_lastSelected;
    ColorMap m_colorMap;
    // Guards the lists and their draw arrays: generation may run outside the GUI thread (batch runs).
    mutable std::mutex m_listMutex;
    std::vector<SlabFaces> m_slabs;
    std::vector<Geometry::QuadFace> m_opaque;
    std::vector<Geometry::QuadFace> m_transparent;
    std::vector<Geometry::QuadFace> m_outlines;
    Geometry::BSPTreePtr m_tree;
    /// Per-face arrays of the opaque list, built when edges are first drawn.
    std::unique_ptr<DrawArrays> m_opaqueArrays;
    std::array<std::unique_ptr<DrawArrays>, 6> m_opaqueMesh;
    std::unique_ptr<DrawArrays> m_transparentArrays;
    std::unique_ptr<DrawArrays> m_outlineArrays;
    std::vector<uint32_t> m_transparentOrder;
    Util::Vector4D m_orderEye;
    bool m_orderValid = false;
    unsigned m_lastTaskCount = 0;
};

} // namespace Automaton
} // namespace Model
