#pragma once

#include "Core/Engines/slicetasks.h"
#include "Model/Volume/cells.h"
#include "Util/controllable.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
} // namespace Automaton
} // namespace Model

namespace Core {
namespace Operations {

/// Strictly vertical etching of one material, one layer per step: each (x, y) column etches from
/// its exposed top surfaces (the etch runs down), from its exposed bottom surfaces (it runs up),
/// from both or not at all. Simple RIE and photolithography differ only in the sides of each
/// column and the number of steps. Columns never talk to each other, so each x-slab is worked on
/// by its own task.
class ColumnEtching : public Util::Controllable {
public:
    static constexpr uint8_t fromTop = 1;
    static constexpr uint8_t fromBelow = 2;

    /// With a run control: one step per layer, stopping between layers when asked.
    void run();

protected:
    /// At most `steps` layers; the sides of every column are `fromTop`, `fromBelow` or both (the
    /// derived engine fills `m_sides`).
    ColumnEtching(Model::Automaton::TotalVolume &volume, uint32_t material, uint32_t steps);
    ~ColumnEtching();

    /// The sides of column (x, y) at x * ny + y.
    std::vector<uint8_t> m_sides;
    uint32_t m_nx;
    uint32_t m_ny;
    uint32_t m_nz;

private:
    struct Slab {
        ColumnSlice columns;
        std::vector<size_t> front;
        std::vector<size_t> next;
        std::vector<size_t> removals;
    };

    void seed(Slab &slab);
    void step(Slab &slab);

    Model::Automaton::TotalVolume &m_volume;
    uint32_t m_material;
    uint32_t m_steps;
    std::vector<Slab> m_slabs;
    Model::Automaton::Cells m_cells;
};

} // namespace Operations
} // namespace Core
