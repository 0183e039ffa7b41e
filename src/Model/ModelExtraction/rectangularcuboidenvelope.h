#pragma once

#include <array>
#include <cstdint>
#include <memory>

namespace Model {
namespace ModelExtraction {

/// One box of cells of one material, with links to the boxes that share a whole face with it.
/// Faces are numbered 0 at -x, 1 at +x, 2 at -y, 3 at +y, 4 at -z (below), 5 at +z (above).
/// The links do not own their targets: the list that holds the boxes keeps them alive.
class RectangularCuboidEnvelope {
public:
    RectangularCuboidEnvelope() = default;
    RectangularCuboidEnvelope(uint32_t x0, uint32_t y0, uint32_t z0, uint32_t sx, uint32_t sy, uint32_t sz,
                              uint32_t material)
        : x0(x0)
        , y0(y0)
        , z0(z0)
        , sx(sx)
        , sy(sy)
        , sz(sz)
        , material(material)
    {
    }
    RectangularCuboidEnvelope(const RectangularCuboidEnvelope &) = delete;
    RectangularCuboidEnvelope &operator=(const RectangularCuboidEnvelope &) = delete;

    /// The face across from `face` (0 with 1, 2 with 3, 4 with 5).
    static unsigned oppositeFace(unsigned face) { return face ^ 1u; }

    RectangularCuboidEnvelope *neighbour(unsigned face) const { return m_neighbours[face]; }
    /// Sets or clears (null) the link of one face and keeps the neighbour count.
    void setNeighbour(unsigned face, RectangularCuboidEnvelope *envelope);
    uint32_t neighbourCount() const { return m_neighbourCount; }

    uint32_t x0 = 0;
    uint32_t y0 = 0;
    uint32_t z0 = 0;
    uint32_t sx = 0;
    uint32_t sy = 0;
    uint32_t sz = 0;
    uint32_t material = 0;

private:
    std::array<RectangularCuboidEnvelope *, 6> m_neighbours{};
    uint32_t m_neighbourCount = 0;
};

using EnvelopePtr = std::shared_ptr<RectangularCuboidEnvelope>;

} // namespace ModelExtraction
} // namespace Model
