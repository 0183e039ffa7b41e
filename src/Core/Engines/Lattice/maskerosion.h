#pragma once

#include "Model/Volume/cells.h"

#include <cstdint>
#include <queue>
#include <utility>
#include <vector>

namespace Core {
namespace Operations {

/// A mask that the etch bath wears away while the silicon etches: every cell of the eroded
/// material that shows a face to an empty cell (the bath) recedes from it, and goes once it has
/// been exposed for the time one cell edge takes at the material's rate. The cell under it is then
/// exposed from the time the cell went, so a mask k cells thick is gone after k cells' times, and
/// a mask undercut from below starts to recede from the new face when the silicon under it goes.
///
/// Time is counted in steps of the etch. Every empty cell counts as reached by the etchant, as it
/// does for the silicon. Cells are exposed in the order of time, so the first exposure of a cell is
/// its earliest, and everything runs between the steps, in one thread, in the order of
/// (time, cell index): the result does not depend on the thread count.
class MaskErosion {
public:
    /// Cells of `material` go `stepsPerCell` steps (> 0) after they are first exposed.
    MaskErosion(uint32_t material, double stepsPerCell);

    /// Exposes, at time 0, every cell of the material with a face on an empty cell.
    void start(const Model::Automaton::Cells &cells, uint32_t nx, uint32_t ny, uint32_t nz);
    /// Exposes at `time` the cells of the material beside `emptied` (cells that the etch has just
    /// emptied).
    void exposeAround(const Model::Automaton::Cells &cells, const std::vector<int64_t> &emptied, double time);
    /// Empties every cell due by `time` (and those that its going exposes in turn, when they are
    /// due too), and returns them in ascending order.
    std::vector<int64_t> takeDue(Model::Automaton::Cells &cells, double time);
    /// Whether some exposed cell goes by `time`.
    bool hasDue(double time) const { return !m_queue.empty() && m_queue.top().first <= time; }

private:
    using Event = std::pair<double, int64_t>;

    void expose(const Model::Automaton::Cells &cells, int64_t cell, double time);
    void exposeNeighbours(const Model::Automaton::Cells &cells, int64_t cell, double time);

    uint32_t m_material;
    double m_stepsPerCell;
    uint32_t m_nx = 0;
    uint32_t m_ny = 0;
    uint32_t m_nz = 0;
    /// Per cell: 1 once exposed (its going is queued).
    std::vector<uint8_t> m_exposed;
    std::priority_queue<Event, std::vector<Event>, std::greater<Event>> m_queue;
};

} // namespace Operations
} // namespace Core
