#include "Core/Engines/Volume/cutcellvolume.h"

#include "Core/Formats/maskimage.h"
#include "Model/Volume/totalvolume.h"
#include "Util/runstage.h"

#include <algorithm>

namespace Core {
namespace Operations {

CutCellVolume::CutCellVolume(Model::Automaton::TotalVolume &volume, const QBitArray &mask, uint32_t width,
                             uint32_t height)
    : m_volume(volume)
    , m_nx(volume.sizeX())
    , m_ny(volume.sizeY())
    , m_nz(volume.sizeZ())
    , m_columns(static_cast<size_t>(m_nx) * m_ny, 0)
{
    const MaskBits bits{mask, width, height};
    if (bits.isConsistent()) {
        const uint32_t w = std::min(width, m_nx);
        const uint32_t h = std::min(height, m_ny);
        for (uint32_t x = 0; x < w; ++x)
            for (uint32_t y = 0; y < h; ++y)
                m_columns[static_cast<size_t>(x) * m_ny + y] = mask.testBit(static_cast<int>(x * height + y)) ? 1 : 0;
    }

    const uint32_t threads = Util::poolThreadCount();
    const uint32_t w = m_nx / threads;
    if (w < 2) {
        m_slices.push_back(ColumnSlice{0, m_nx});
    } else {
        // The first (nx mod T) slices take one column more.
        const uint32_t wider = m_nx % threads;
        uint32_t begin = 0;
        for (uint32_t i = 0; i < threads; ++i) {
            const uint32_t end = begin + w + (i < wider ? 1 : 0);
            m_slices.push_back(ColumnSlice{begin, end});
            begin = end;
        }
    }
}

void CutCellVolume::cut()
{
    pass([](Model::Automaton::Cells &cells, size_t i) { cells.addCut(i); });
}

void CutCellVolume::uncut()
{
    pass([](Model::Automaton::Cells &cells, size_t i) { cells.removeCut(i); });
}

void CutCellVolume::removeAllCuts()
{
    pass([](Model::Automaton::Cells &cells, size_t i) { cells.clearCuts(i); });
}

void CutCellVolume::pass(const Change &change)
{
    Util::RunStage stage(m_control, m_nx);
    if (stage.stopHere())
        return;
    Model::Automaton::CellLock lock(m_volume);
    m_cells = lock.cells();
    Util::runParallelTasks(sliceCount(), [this, &change, &stage](uint32_t t) {
        passSlice(m_slices[t].begin, m_slices[t].end, change);
        stage.advance(m_slices[t].end - m_slices[t].begin);
    });
    m_cells = Model::Automaton::Cells();
}

void CutCellVolume::passSlice(uint32_t begin, uint32_t end, const Change &change)
{
    Model::Automaton::Cells cells = m_cells;
    for (uint32_t x = begin; x < end; ++x)
        for (uint32_t y = 0; y < m_ny; ++y) {
            const size_t column = static_cast<size_t>(x) * m_ny + y;
            if (m_columns[column])
                continue;
            for (size_t i = column * m_nz; i < (column + 1) * m_nz; ++i)
                change(cells, i);
        }
}

} // namespace Operations
} // namespace Core
