#pragma once

#include "Model/Automaton/voxel.h"
#include "Util/controllable.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

/// Strictly vertical etching of one material, one layer per step, from exposed top surfaces
/// (direction bit 0) and/or exposed bottom surfaces (bit 1). Columns never talk to each other,
/// so each x-slice is worked on by its own task.
class SimpleReactiveIonEtching : public Util::Controllable {
public:
    static constexpr uint8_t fromTop = 1;
    static constexpr uint8_t fromBelow = 2;

    SimpleReactiveIonEtching(Model::Automaton::TotalVolume &volume, uint32_t material, uint32_t depth,
                             uint8_t direction);

    /// With a run control: one step per layer, stopping between layers when asked.
    void run();

    uint32_t sliceCount() const { return m_sliceCount; }

private:
    void initializeSlice(uint32_t slice);
    void stepSlice(uint32_t slice);

    Model::Automaton::TotalVolume &m_volume;
    uint32_t m_material;
    uint32_t m_depth;
    uint8_t m_direction;
    uint32_t m_nx;
    uint32_t m_ny;
    uint32_t m_nz;
    Model::Automaton::Voxel *m_cells = nullptr;
    uint32_t m_sliceCount = 1;
    uint32_t m_sliceWidth = 0;
    std::vector<std::vector<size_t>> m_fronts;
    std::vector<std::vector<size_t>> m_removals;
};

} // namespace Operations
} // namespace Core
