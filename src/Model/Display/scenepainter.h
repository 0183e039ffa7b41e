#pragma once

#include "Util/vector3d.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace Model {
class Document;
namespace Surfaces {
class ShownSurfaces;
}

namespace Display {

/// Draws the objects of a document, in layer and list order, each by the painter of its kind: a
/// cell volume by a VolumePainter paired with the volume's surface from `surfaces`, an extracted
/// model by an ExtractedModelPainter; other objects draw nothing. Needs a current GL context.
class ScenePainter {
public:
    ScenePainter(const Document &document, Surfaces::ShownSurfaces &surfaces)
        : m_document(document)
        , m_surfaces(surfaces)
    {
    }

    /// In render mode draws every object (`eye` orders transparent faces back to front); in
    /// selection mode each as drawForPicking does; in any other mode nothing.
    void draw(bool showSurface, bool showEdges, const Util::Vector3D &eye);
    /// Every object's picking shape under its identifier as selection name, whatever the render mode.
    void drawForPicking();
    /// Draws for picking in a 4-pixel square around the pointer (`x`, `y` in pixels of the
    /// viewport, `y` down) with the current matrices: the names of the first hit record, which
    /// belongs to the object drawn first (not the nearest one); none when nothing was hit.
    std::optional<std::vector<uint32_t>> pick(int x, int y);

private:
    const Document &m_document;
    Surfaces::ShownSurfaces &m_surfaces;
};

} // namespace Display
} // namespace Model
