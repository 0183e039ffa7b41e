#pragma once

#include "Model/Volume/cellwindow.h"
#include "Model/Volume/latticedisplayflags.h"
#include "Model/Volume/surfacealgorithm.h"
#include "Util/vector4d.h"

#include <array>
#include <cstdint>
#include <mutex>

namespace Model {
namespace Automaton {

/// How a cell volume is shown, apart from its cells: the surface algorithm, the window of cells
/// that is drawn (the cut limits, with their six clipping planes), the empty-cell outlines, the
/// lattice display, the field view's distribution and colour scale, and the extraction display.
/// The volume keeps it; cut and visualisation operations set it, surface generation and the
/// painters of the display read it. Every member is guarded: generation reads it outside the GUI
/// thread.
class VolumeView {
public:
    /// Defaults for a volume of nx x ny x nz cells: cubic faces, the whole volume drawn.
    VolumeView(uint32_t nx, uint32_t ny, uint32_t nz);
    VolumeView(const VolumeView &) = delete;
    VolumeView &operator=(const VolumeView &) = delete;

    /// Takes effect at the next generation, which builds the chosen surface alone.
    SurfaceAlgorithm surfaceAlgorithm() const;
    void setSurfaceAlgorithm(SurfaceAlgorithm algorithm);
    bool renderEmptyVoxelOutlines() const;
    void setRenderEmptyVoxelOutlines(bool on);
    LatticeDisplayFlags latticeFlags() const;
    void setLatticeFlags(const LatticeDisplayFlags &flags);
    /// The field view's counts: 0 N-type, 1 P-type, 2 the signed sum P - N.
    uint32_t particleDistribution() const;
    void setParticleDistribution(uint32_t distribution);
    /// The field view's colour scale: 0 "Gray Scale", 1 "Red to Blue", 2 "Yellow to Blue".
    uint32_t colorScaleType() const;
    void setColorScaleType(uint32_t type);
    /// Set while a model extraction shows its boxes in the volume's place: the volume is then drawn
    /// as the outline of its bounding box only, so that the boxes can be seen.
    bool extractionDisplay() const;
    void setExtractionDisplay(bool on);

    /// The window of cells that is drawn: lower inclusive, upper exclusive, clamped to the volume.
    void setCutLimits(const std::array<uint32_t, 3> &lower, const std::array<uint32_t, 3> &upper);
    void cutLimits(std::array<uint32_t, 3> &lower, std::array<uint32_t, 3> &upper) const;
    /// The same window as generation takes it.
    CellWindow window() const;
    /// The six planes (a, b, c, d) bounding the window, outward: -x, +x, -y, +y, -z, +z.
    std::array<Util::Vector4D, 6> clippingPlanes() const;

private:
    const uint32_t m_size[3];
    mutable std::mutex m_mutex;
    SurfaceAlgorithm m_surfaceAlgorithm = SurfaceAlgorithm::CubicFaces;
    bool m_renderEmptyVoxelOutlines = false;
    LatticeDisplayFlags m_latticeFlags;
    uint32_t m_particleDistribution = 0;
    uint32_t m_colorScaleType = 0;
    bool m_extractionDisplay = false;
    std::array<uint32_t, 3> m_lower{};
    std::array<uint32_t, 3> m_upper{};
    std::array<Util::Vector4D, 6> m_planes;
};

} // namespace Automaton
} // namespace Model
