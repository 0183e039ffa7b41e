#pragma once

#include "Model/Surfaces/cellface.h"
#include "Model/Surfaces/colorscale.h"
#include "Model/Surfaces/facemesh.h"
#include "Model/Surfaces/facepalette.h"
#include "Model/Surfaces/quadface.h"
#include "Model/Volume/cellwindow.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace Model {
namespace Automaton {

class TotalVolume;

/// The particle count field view: the direct cubic faces of a volume, with every cell that holds
/// random-walk dopant particles coloured by its count through a ColorScale instead of by its
/// material. The distribution chooses the counts: 0 the N-type field, 1 the P-type field, 2 the
/// signed sum P - N. The scale spans the values of every cell of the volume that took part in the
/// last walk (TotalVolume::tookPartInWalk), whatever the cut window shows. Distribution 3 shows
/// the last line-of-sight step's flux per surface cell (SurfaceFlux), over the range of its cells.
class FieldPainter {
public:
    using ColorMap = FacePalette::ColorMap;
    /// Palette entries of the scale colours: scaleMaterialBase + table index.
    static constexpr uint32_t scaleMaterialBase = 0xffffff00u;

    /// What a draw of the view reads, valid while withFaces() runs.
    struct Faces {
        const FacePalette &palette;
        const std::vector<Geometry::CellFace> &opaque;
        const std::vector<Geometry::CellFace> &transparent;
        const FaceMesh &mesh;
        const float *cellSize;
    };

    explicit FieldPainter(TotalVolume &volume);

    /// What a distribution shows, for the legend: the particle-count field's name, or for the
    /// signed sum "Random Walk Particle Count P - N".
    static QString quantityName(uint32_t distribution);
    /// The unit of what a distribution shows.
    static QString unit(uint32_t distribution = 0);
    /// The distribution of the line-of-sight flux.
    static constexpr uint32_t fluxDistribution = 3;

    /// A copy of the scale of the last generation (range and colours).
    ColorScale colorScale() const;

    /// Rebuilds the faces of the window from the cells and the volume's particle fields (locks the
    /// cells while it reads them), for the distribution and scale type of the volume's view.
    /// `materials` are the catalogue colours, highlighted when `selected`.
    void generate(const CellWindow &window, const ColorMap &materials, bool selected);
    /// Forgets the faces.
    void release();
    /// New material colours (or selection highlight) for the current faces.
    void recolor(const ColorMap &materials, bool selected);
    /// Calls `use` with the faces under the view's lock, so that it never sees half a generation.
    void withFaces(const std::function<void(const Faces &)> &use) const;

    size_t opaqueFaceCount() const;
    size_t transparentFaceCount() const;
    std::vector<Geometry::QuadFace> opaqueFaces() const;
    std::vector<Geometry::QuadFace> transparentFaces() const;
    size_t storedBytes() const;

private:
    /// The catalogue colours with the scale's colours added under their palette entries.
    ColorMap withScale(const ColorMap &materials) const;
    Geometry::QuadFace quadFace(const Geometry::CellFace &face) const;

    TotalVolume &m_volume;
    float m_cellSize[3];

    mutable std::mutex m_mutex;
    ColorScale m_scale;
    FacePalette m_palette;
    std::vector<Geometry::CellFace> m_opaque;
    std::vector<Geometry::CellFace> m_transparent;
    FaceMesh m_mesh;
};

} // namespace Automaton
} // namespace Model
