#pragma once

#include <cstdint>

namespace Model {
namespace Geometry {

/// One face of a cube of cells as the octree surface stores it: the cube's lowest cell, its edge
/// (a power of two, in cells), the face number (face table) and the slot of its material in the
/// surface's palette. Corners follow from the face table, the edge and the cell size.
struct NodeFace {
    uint32_t x = 0;
    uint32_t y = 0;
    uint32_t z = 0;
    /// slot << 8 | log2(edge) << 3 | face number
    uint32_t packed = 0;

    NodeFace() = default;
    NodeFace(const uint32_t origin[3], uint32_t edgeLog2, unsigned face, uint32_t slot)
        : x(origin[0])
        , y(origin[1])
        , z(origin[2])
        , packed(slot << 8 | (edgeLog2 & 31u) << 3 | (face & 7u))
    {
    }

    unsigned face() const { return packed & 7u; }
    uint32_t edge() const { return uint32_t(1) << ((packed >> 3) & 31u); }
    uint32_t slot() const { return packed >> 8; }
};

static_assert(sizeof(NodeFace) == 16, "keep node faces as small as cell faces");

} // namespace Geometry
} // namespace Model
