#pragma once

#include "Core/Engines/slicetasks.h"
#include "Model/Volume/cells.h"
#include "Util/controllable.h"

#include <QBitArray>

#include <cstdint>
#include <functional>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
} // namespace Automaton
} // namespace Model

namespace Core {
namespace Operations {

/// Hides or shows the cell columns of a volume that a mask leaves uncovered, by changing the
/// cells' cut counts. Cuts add up, so two cuts need two uncuts before the cells show again.
class CutCellVolume : public Util::Controllable {
public:
    /// An empty mask covers nothing: every column is uncovered.
    CutCellVolume(Model::Automaton::TotalVolume &volume, const QBitArray &mask, uint32_t width, uint32_t height);

    /// Each is one pass over x-slabs; with a run control it counts columns and stops only before
    /// the pass.
    /// One more cut on every cell of every uncovered column.
    void cut();
    /// One cut less on every cell of every uncovered column.
    void uncut();
    /// No cut left on any cell of an uncovered column.
    void removeAllCuts();

    uint32_t sliceCount() const { return static_cast<uint32_t>(m_slices.size()); }
    bool covers(uint32_t x, uint32_t y) const { return m_columns[static_cast<size_t>(x) * m_ny + y] != 0; }

private:
    /// `change(cells, i)` changes cell i.
    using Change = std::function<void(Model::Automaton::Cells &, size_t)>;
    void pass(const Change &change);
    void passSlice(uint32_t begin, uint32_t end, const Change &change);

    Model::Automaton::TotalVolume &m_volume;
    uint32_t m_nx;
    uint32_t m_ny;
    uint32_t m_nz;
    std::vector<uint8_t> m_columns;
    std::vector<ColumnSlice> m_slices;
    Model::Automaton::Cells m_cells;
};

} // namespace Operations
} // namespace Core
