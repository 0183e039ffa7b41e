#pragma once

#include "Core/Formats/gdslayout.h"
#include "Core/Formats/maskimage.h"

namespace Core {
namespace Operations {

/// Where a layout layer lies over the volume: `micronsPerCell` micrometres of the layout per cell
/// column, and the layout point (in micrometres) that falls on the corner of column (0, 0).
struct LayoutPlacement {
    LayoutLayer layer;
    double micronsPerCell = 1.0;
    double offsetX = 0.0;
    double offsetY = 0.0;
};

/// The placement of `layer` whose bounding box just fits nx by ny columns, centred over them.
LayoutPlacement fittedPlacement(const GdsLayout &layout, const LayoutLayer &layer, uint32_t nx, uint32_t ny);

/// The mask of nx by ny columns that a layout layer makes: a column whose centre lies inside a
/// shape is exposed (bit 0, as a clear pixel), every other column is covered (bit 1, as a black
/// pixel). Shapes are filled by Qt's own rasterizer. False with `error` (and `mask` untouched) when
/// the layer is absent, the size is refused or no column is exposed.
bool layoutMask(const GdsLayout &layout, const LayoutPlacement &placement, uint32_t nx, uint32_t ny, MaskBits &mask,
                QString *error = nullptr);

} // namespace Operations
} // namespace Core
