#include "simplereactiveionetching.h"

#include "Model/Automaton/totalvolume.h"
#include "Util/paralleltasks.h"
#include "Util/runstage.h"

#include <algorithm>

namespace Core {
namespace Operations {

SimpleReactiveIonEtching::SimpleReactiveIonEtching(Model::Automaton::TotalVolume &volume, uint32_t material,
                                                   uint32_t depth, uint8_t direction)
    : m_volume(volume)
    , m_material(material)
    , m_depth(depth)
    , m_direction(direction)
    , m_nx(volume.sizeX())
    , m_ny(volume.sizeY())
    , m_nz(volume.sizeZ())
{
    m_sliceCount = Util::poolThreadCount();
    if (m_nx / m_sliceCount == 0)
        m_sliceCount = 1;
    m_sliceWidth = m_nx / m_sliceCount;
    m_fronts.resize(m_sliceCount);
    m_removals.resize(m_sliceCount);
}

void SimpleReactiveIonEtching::run()
{
    Util::RunStage stage(m_control, uint64_t(m_depth) + 1);
    if (stage.stopHere())
        return;
    Model::Automaton::CellLock lock(m_volume);
    m_cells = lock.cells();
    Util::runParallelTasks(m_sliceCount, [this](uint32_t slice) { initializeSlice(slice); });
    stage.advance();
    for (uint32_t step = 0; step < m_depth; ++step) {
        if (stage.stopHere()) {
            m_cells = nullptr;
            return;
        }
        bool anyFront = false;
        for (const auto &front : m_fronts)
            anyFront = anyFront || !front.empty();
        if (!anyFront) // nothing left to etch: further steps would change nothing
            break;
        Util::runParallelTasks(m_sliceCount, [this](uint32_t slice) { stepSlice(slice); });
        stage.advance();
    }
    stage.finish();
    m_cells = nullptr;
}

void SimpleReactiveIonEtching::initializeSlice(uint32_t slice)
{
    const uint32_t begin = m_sliceWidth * slice;
    const uint32_t end = slice + 1 == m_sliceCount ? m_nx : begin + m_sliceWidth;
    std::vector<size_t> &front = m_fronts[slice];
    front.clear();
    for (uint32_t x = begin; x < end; ++x)
        for (uint32_t y = 0; y < m_ny; ++y)
            for (uint32_t z = 0; z < m_nz; ++z) {
                const size_t index = m_volume.index(x, y, z);
                if (m_cells[index].state() != m_material)
                    continue;
                const bool top = (m_direction & fromTop) && z + 1 < m_nz && m_cells[index + 1].state() == 0;
                const bool bottom = (m_direction & fromBelow) && z > 0 && m_cells[index - 1].state() == 0;
                if (top || bottom)
                    front.push_back(index);
            }
}

void SimpleReactiveIonEtching::stepSlice(uint32_t slice)
{
    std::vector<size_t> next;
    std::vector<size_t> &removal = m_removals[slice];
    removal.clear();
    for (size_t index : m_fronts[slice]) {
        if (m_cells[index].state() != m_material)
            continue;
        removal.push_back(index);
        const uint32_t z = static_cast<uint32_t>(index % m_nz);
        if ((m_direction & fromBelow) && z + 1 < m_nz && m_cells[index + 1].state() == m_material)
            next.push_back(index + 1);
        if ((m_direction & fromTop) && z > 0 && m_cells[index - 1].state() == m_material)
            next.push_back(index - 1);
    }
    for (size_t index : removal)
        m_cells[index].setState(0);
    // Two etch fronts meeting in a column may both name the same cell.
    std::sort(next.begin(), next.end());
    next.erase(std::unique(next.begin(), next.end()), next.end());
    m_fronts[slice].swap(next);
}

} // namespace Operations
} // namespace Core
