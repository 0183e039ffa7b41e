#include "Core/Engines/Volume/gluelayout.h"

#include "Model/Volume/totalvolume.h"

#include <algorithm>
#include <limits>

namespace Core {
namespace Operations {

using Model::Automaton::CellLock;
using Model::Automaton::TotalVolume;

namespace {

/// The lowest occupied z and 1 + the highest, or (nz, 0) when no cell is occupied.
void occupiedLayers(TotalVolume &volume, uint32_t &lowest, uint32_t &end)
{
    const uint32_t nz = volume.sizeZ();
    lowest = nz;
    end = 0;
    CellLock lock(volume);
    const auto *states = lock.cells().states();
    const size_t columns = static_cast<size_t>(volume.sizeX()) * volume.sizeY();
    for (size_t column = 0; column < columns; ++column) {
        const auto *c = states + column * nz;
        for (uint32_t z = 0; z < nz; ++z) {
            if (c[z] != 0) {
                lowest = std::min(lowest, z);
                break;
            }
        }
        for (uint32_t z = nz; z > end; --z) {
            if (c[z - 1] != 0) {
                end = z;
                break;
            }
        }
    }
}

} // namespace

GlueLayout GlueLayout::prepare(TotalVolume &base, TotalVolume &top)
{
    GlueLayout layout;
    uint32_t baseLowest = 0;
    uint32_t baseEnd = 0;
    occupiedLayers(base, baseLowest, baseEnd);
    layout.baseTop = std::max(baseEnd, 1u);

    occupiedLayers(top, layout.topLowest, layout.topEnd);
    if (layout.topEnd <= layout.topLowest) {
        // No occupied cell: the occupied range is empty and nothing of the top is copied.
        layout.topLowest = 0;
        layout.topEnd = 0;
    }

    const uint64_t stacked = uint64_t(layout.baseTop) + (layout.topEnd - layout.topLowest);
    constexpr uint64_t largest = std::numeric_limits<uint32_t>::max() - 1;
    layout.heightFits = stacked <= largest;
    layout.stackedHeight = static_cast<uint32_t>(std::min(stacked, largest));

    layout.wideX = std::max(base.sizeX(), top.sizeX());
    layout.wideY = std::max(base.sizeY(), top.sizeY());
    layout.roomX = layout.wideX - top.sizeX();
    layout.roomY = layout.wideY - top.sizeY();
    layout.finalX = layout.wideX;
    layout.finalY = layout.wideY;
    layout.finalZ = layout.stackedHeight + 1;
    layout.cellSizeX = std::max(base.cellSizeX(), top.cellSizeX());
    layout.cellSizeY = std::max(base.cellSizeY(), top.cellSizeY());
    layout.cellSizeZ = std::max(base.cellSizeZ(), top.cellSizeZ());
    return layout;
}

void GlueLayout::setFinalSize(uint32_t x, uint32_t y, uint32_t z)
{
    finalX = std::max(x, wideX);
    finalY = std::max(y, wideY);
    finalZ = std::max(z, stackedHeight);
}

void GlueLayout::setShift(uint32_t x, uint32_t y)
{
    shiftX = std::min(x, roomX);
    shiftY = std::min(y, roomY);
}

} // namespace Operations
} // namespace Core
