#pragma once

#include "Model/Surfaces/facepalette.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {

/// The opaque faces as they are drawn: runs of equal neighbouring faces merged into one quad, kept
/// per face direction as one vertex array ordered by material slot. A direction is drawn with one
/// normal and one colour per slot, so the arrays hold positions only: 16-bit integers in 1/64 of a
/// cell (24 bytes a quad) when the window is small enough for them, floats (48 bytes) otherwise.
class FaceMesh {
public:
    /// The quads [first, first + count) of a direction, all of one material slot.
    struct Run {
        uint32_t slot;
        size_t first;
        size_t count;
    };
    struct Direction {
        /// Four corners of three coordinates per quad, in face-table order: scene units in
        /// `positions`, or 1/64 of a cell in `compactPositions`; only one of them is used.
        std::vector<float> positions;
        std::vector<int16_t> compactPositions;
        std::vector<Run> runs;
    };

    static constexpr size_t coordinatesPerQuad = 12;
    /// Compact positions count in 1/compactUnits of a cell.
    static constexpr int compactUnits = 64;

    /// Whether a window whose upper corner is `upper` fits 16-bit compact positions.
    static bool fitsCompact(const uint32_t upper[3]);
    /// Chooses the kind of positions; call before the arrays are sized.
    void setCompact(bool compact) { m_compact = compact; }
    bool isCompact() const { return m_compact; }
    /// Makes room for `quads` quads in a direction.
    void resize(unsigned face, size_t quads);

    /// Writes the corners of a merged quad as the quad number `at` of its direction: `length`
    /// cells of face `face` from the cell `origin` along `axis`, widened by a sliver in its plane.
    void writeQuad(size_t at, unsigned face, const uint32_t origin[3], unsigned axis, uint32_t length,
                   const float cellSize[3]);

    Direction &direction(unsigned face) { return m_directions[face]; }
    const Direction &direction(unsigned face) const { return m_directions[face]; }
    size_t quadCount(unsigned face) const;

    size_t storedBytes() const;

private:
    std::array<Direction, 6> m_directions;
    bool m_compact = false;
};

} // namespace Automaton
} // namespace Model
