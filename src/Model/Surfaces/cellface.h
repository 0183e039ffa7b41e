#pragma once

#include <cstdint>

namespace Model {
namespace Geometry {

/// One exposed face of a cell as surfaces store it: the cell's coordinates, the face number (face
/// table) and the slot of the cell's material in the surface's palette. Corners follow from the face
/// table and the cell size, colours from the palette, so a face takes 16 bytes.
struct CellFace {
    uint32_t x = 0;
    uint32_t y = 0;
    uint32_t z = 0;
    /// slot << 3 | face number
    uint32_t slotAndFace = 0;

    CellFace() = default;
    CellFace(uint32_t cx, uint32_t cy, uint32_t cz, unsigned face, uint32_t slot)
        : x(cx)
        , y(cy)
        , z(cz)
        , slotAndFace(slot << 3 | (face & 7u))
    {
    }

    unsigned face() const { return slotAndFace & 7u; }
    uint32_t slot() const { return slotAndFace >> 3; }
    /// The axis the face is perpendicular to: 0 x (faces 4, 5), 1 y (2, 3), 2 z (0, 1).
    unsigned axis() const { return 2 - face() / 2; }
    /// The cell coordinate along an axis.
    uint32_t coordinate(unsigned a) const { return a == 0 ? x : (a == 1 ? y : z); }
    /// The integer plane the face lies in along its axis: the cell's lower side for faces 0, 2, 4.
    uint32_t plane() const { return coordinate(axis()) + (face() & 1u); }

    bool operator==(const CellFace &o) const
    {
        return x == o.x && y == o.y && z == o.z && slotAndFace == o.slotAndFace;
    }
};

static_assert(sizeof(CellFace) == 16, "faces are stored by the million: keep them compact");

/// The largest palette slot a CellFace can hold.
constexpr uint32_t maxCellFaceSlot = (uint32_t(1) << 29) - 1;

} // namespace Geometry
} // namespace Model
