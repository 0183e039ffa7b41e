#pragma once

#include <cstdint>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

/// Where the occupied part of a top volume lands on the occupied part of a base volume when the
/// two are glued: the occupied layers of both, the sizes of the result and the sideways shift.
struct GlueLayout {
    /// 1 + the highest occupied z of the base; 1 when the base holds no cell.
    uint32_t baseTop = 1;
    /// The occupied layers [topLowest, topEnd) of the top; both 0 when the top holds no cell.
    uint32_t topLowest = 0;
    uint32_t topEnd = 0;
    /// baseTop + (topEnd - topLowest): the least height of the result.
    uint32_t stackedHeight = 1;
    uint32_t wideX = 0;
    uint32_t wideY = 0;
    /// The largest sideways shifts of the top.
    uint32_t roomX = 0;
    uint32_t roomY = 0;
    uint32_t finalX = 0;
    uint32_t finalY = 0;
    uint32_t finalZ = 0;
    uint32_t shiftX = 0;
    uint32_t shiftY = 0;
    /// Per axis the larger of the two volumes' cell sizes.
    float cellSizeX = 1.0f;
    float cellSizeY = 1.0f;
    float cellSizeZ = 1.0f;
    /// Turn the top half a turn about the y axis before stacking it.
    bool invert = false;
    /// False when the stacked height does not fit the 32-bit cell counts of a volume.
    bool heightFits = true;

    bool topIsEmpty() const { return topEnd == topLowest; }

    /// Scans both volumes (each locked while it is read) and sets the defaults: the final size is
    /// (wideX, wideY, stackedHeight + 1), no shift, no invert.
    static GlueLayout prepare(Model::Automaton::TotalVolume &base, Model::Automaton::TotalVolume &top);

    /// The result is never narrower than both volumes nor lower than the stacked height.
    void setFinalSize(uint32_t x, uint32_t y, uint32_t z);
    /// A shift never moves the top beyond the result's footprint.
    void setShift(uint32_t x, uint32_t y);
};

} // namespace Operations
} // namespace Core
