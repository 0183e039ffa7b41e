#include "Core/Engines/Columns/columnslabs.h"

#include "Model/Volume/totalvolume.h"
#include "Util/runstage.h"

namespace Core {
namespace Operations {

std::vector<ColumnSlice> columnSlabs(uint32_t nx)
{
    const uint32_t threads = Util::poolThreadCount();
    const uint32_t width = nx / threads;
    // Too few columns per thread to pay for the tasks: one slab.
    if (width < 2)
        return {ColumnSlice{0, nx}};
    std::vector<ColumnSlice> slabs(threads);
    for (uint32_t i = 0; i < threads; ++i)
        slabs[i] = ColumnSlice{width * i, i + 1 == threads ? nx : width * (i + 1)};
    return slabs;
}

void sweepColumns(Model::Automaton::TotalVolume &volume, Util::RunControl *control,
                  const std::function<void(Model::Automaton::Cells column)> &change)
{
    Util::RunStage stage(control, volume.sizeX());
    if (stage.stopHere())
        return;
    Model::Automaton::CellLock lock(volume);
    const Model::Automaton::Cells cells = lock.cells();
    const std::vector<ColumnSlice> slabs = columnSlabs(volume.sizeX());
    Util::runParallelTasks(static_cast<uint32_t>(slabs.size()), [&](uint32_t i) {
        forEachColumn(volume.sizeY(), volume.sizeZ(), slabs[i],
                      [&](uint32_t, uint32_t, size_t first) { change(cells.from(first)); });
        stage.advance(slabs[i].end - slabs[i].begin);
    });
}

} // namespace Operations
} // namespace Core
