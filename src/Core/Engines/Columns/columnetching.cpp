#include "Core/Engines/Columns/columnetching.h"

#include "Core/Engines/Columns/columnslabs.h"
#include "Model/Volume/totalvolume.h"
#include "Util/runstage.h"

#include <algorithm>

namespace Core {
namespace Operations {

ColumnEtching::ColumnEtching(Model::Automaton::TotalVolume &volume, uint32_t material, uint32_t steps)
    : m_nx(volume.sizeX())
    , m_ny(volume.sizeY())
    , m_nz(volume.sizeZ())
    , m_volume(volume)
    , m_material(material)
    , m_steps(steps)
{
    for (const ColumnSlice &columns : columnSlabs(m_nx))
        m_slabs.push_back(Slab{columns, {}, {}, {}});
}

ColumnEtching::~ColumnEtching() = default;

void ColumnEtching::run()
{
    Util::RunStage stage(m_control, uint64_t(m_steps) + 1);
    if (stage.stopHere())
        return;
    Model::Automaton::CellLock lock(m_volume);
    m_cells = lock.cells();
    const auto count = static_cast<uint32_t>(m_slabs.size());
    Util::runParallelTasks(count, [this](uint32_t i) { seed(m_slabs[i]); });
    stage.advance();
    for (uint32_t s = 0; s < m_steps; ++s) {
        if (stage.stopHere()) {
            m_cells = Model::Automaton::Cells();
            return;
        }
        // Nothing left to etch: the remaining steps would change nothing.
        if (std::all_of(m_slabs.begin(), m_slabs.end(), [](const Slab &slab) { return slab.front.empty(); }))
            break;
        Util::runParallelTasks(count, [this](uint32_t i) { step(m_slabs[i]); });
        stage.advance();
    }
    stage.finish();
    m_cells = Model::Automaton::Cells();
}

void ColumnEtching::seed(Slab &slab)
{
    slab.front.clear();
    forEachColumn(m_ny, m_nz, slab.columns, [&](uint32_t x, uint32_t y, size_t first) {
        const uint8_t sides = m_sides[static_cast<size_t>(x) * m_ny + y];
        if (sides == 0)
            return;
        const Model::Automaton::Cells cells = m_cells.from(first);
        for (uint32_t z = 0; z < m_nz; ++z) {
            if (cells.state(z) != m_material)
                continue;
            const bool top = (sides & fromTop) && z + 1 < m_nz && cells.state(z + 1) == 0;
            const bool bottom = (sides & fromBelow) && z > 0 && cells.state(z - 1) == 0;
            if (top || bottom)
                slab.front.push_back(first + z);
        }
    });
}

void ColumnEtching::step(Slab &slab)
{
    slab.next.clear();
    slab.removals.clear();
    for (size_t index : slab.front) {
        if (m_cells.state(index) != m_material)
            continue;
        slab.removals.push_back(index);
        const uint8_t sides = m_sides[index / m_nz];
        const uint32_t z = static_cast<uint32_t>(index % m_nz);
        if ((sides & fromBelow) && z + 1 < m_nz && m_cells.state(index + 1) == m_material)
            slab.next.push_back(index + 1);
        if ((sides & fromTop) && z > 0 && m_cells.state(index - 1) == m_material)
            slab.next.push_back(index - 1);
    }
    for (size_t index : slab.removals)
        m_cells.setState(index, 0);
    // Two etch fronts meeting in a column may both name the same cell.
    std::sort(slab.next.begin(), slab.next.end());
    slab.next.erase(std::unique(slab.next.begin(), slab.next.end()), slab.next.end());
    std::swap(slab.front, slab.next);
}

} // namespace Operations
} // namespace Core
