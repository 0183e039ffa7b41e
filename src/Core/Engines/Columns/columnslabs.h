#pragma once

#include "Core/Engines/slicetasks.h"

#include "Model/Volume/voxel.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
class Voxel;
} // namespace Automaton
} // namespace Model

namespace Util {
class RunControl;
}

namespace Core {
namespace Operations {

/// The x-slabs that the column engines give their tasks: one per pool thread, the last taking the
/// rest; a single slab when a thread would get fewer than two columns. Columns never interact in
/// these engines, so the cut changes the speed only, never a cell.
std::vector<ColumnSlice> columnSlabs(uint32_t nx);

/// Calls `column(x, y, cells)` for every (x, y) column of the slab, with `cells` at its cell z = 0
/// of a volume of ny by nz cells per x.
template <class Column>
void forEachColumn(Model::Automaton::Voxel *cells, uint32_t ny, uint32_t nz, ColumnSlice slab, Column &&column)
{
    for (uint32_t x = slab.begin; x < slab.end; ++x)
        for (uint32_t y = 0; y < ny; ++y)
            column(x, y, cells + (static_cast<size_t>(x) * ny + y) * nz);
}

/// One pass that calls `change` with every column of the volume (its cell z = 0), one task per
/// slab. With a run control it counts columns and stops only before the pass.
void sweepColumns(Model::Automaton::TotalVolume &volume, Util::RunControl *control,
                  const std::function<void(Model::Automaton::Voxel *column)> &change);

} // namespace Operations
} // namespace Core
