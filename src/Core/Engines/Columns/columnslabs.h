#pragma once

#include "Core/Engines/slicetasks.h"

#include "Model/Volume/cells.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
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

/// Calls `column(x, y, first)` for every (x, y) column of the slab, with `first` the index of its
/// cell z = 0 in a volume of ny by nz cells per x.
template <class Column> void forEachColumn(uint32_t ny, uint32_t nz, ColumnSlice slab, Column &&column)
{
    for (uint32_t x = slab.begin; x < slab.end; ++x)
        for (uint32_t y = 0; y < ny; ++y)
            column(x, y, (static_cast<size_t>(x) * ny + y) * nz);
}

/// One pass that calls `change` with every column of the volume (cell z of the column is cell z
/// of the view), one task per slab. With a run control it counts columns and stops only before the
/// pass.
void sweepColumns(Model::Automaton::TotalVolume &volume, Util::RunControl *control,
                  const std::function<void(Model::Automaton::Cells column)> &change);

} // namespace Operations
} // namespace Core
