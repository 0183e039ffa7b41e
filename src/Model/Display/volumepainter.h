#pragma once

#include "Util/vector3d.h"

#include <QBitArray>

#include <cstdint>

namespace Model {
namespace Automaton {
class TotalVolume;
}
namespace Surfaces {
class VolumeSurface;
}

namespace Display {

/// Draws a cell volume with the surface shown for it: the surface of the view's algorithm within
/// the cut window (opaque faces from the merged mesh, edges when asked, transparent faces back to
/// front from the eye), the masks above and below, or, while a model extraction shows its boxes, the
/// outline of the volume's box only; and the box alone for picking. The window side pairs one with
/// each volume it shows. Needs a current GL context.
class VolumePainter {
public:
    VolumePainter(Automaton::TotalVolume &volume, Surfaces::VolumeSurface &surface);

    /// Translated by the volume's position (and its offset while it moves); nothing more when
    /// `showSurface` is false. `eye` is in scene coordinates. A draw that runs out of memory leaves
    /// the volume blank and the surface's failure to be told.
    void draw(bool showSurface, bool showEdges, const Util::Vector3D &eye);
    /// The volume's bounding box as six quads.
    void drawForPicking();

private:
    void drawCubicFaces(bool showEdges, const Util::Vector3D &localEye);
    void drawMask(const QBitArray &bits, uint32_t width, uint32_t height, float z) const;
    void drawBoundingOutline() const;

    Automaton::TotalVolume &m_volume;
    Surfaces::VolumeSurface &m_surface;
    float m_cellSize[3];
};

} // namespace Display
} // namespace Model
