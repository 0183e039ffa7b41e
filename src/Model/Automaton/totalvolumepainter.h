#pragma once

#include "Util/vector3d.h"

namespace Model {
namespace Automaton {

class TotalVolume;

/// Turns a volume's cells into a drawable surface and draws it.
/// For now it only remembers its volume; surface generation and drawing follow.
class TotalVolumePainter {
public:
    explicit TotalVolumePainter(TotalVolume &volume) : m_volume(volume) {}

    void regenerateSurface() {}
    void draw(bool /*showSurface*/, bool /*showEdges*/, const Util::Vector3D & /*eye*/) {}
    void drawForPicking() {}

    TotalVolume &volume() const { return m_volume; }

private:
    TotalVolume &m_volume;
};

} // namespace Automaton
} // namespace Model
