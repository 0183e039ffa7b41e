#pragma once

#include "Core/Engines/slicetasks.h"
#include "Model/Volume/cells.h"
#include "Util/controllable.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
} // namespace Automaton
} // namespace Model

namespace Core {
namespace Operations {

/// Layer-by-layer film growth and removal in whole cells over the 26-cell Moore neighbourhood:
/// each step moves the front one cell in every direction, so corners stay square.
/// The volume is cut into x-slices, one task each; a step has two phases so that every slice reads
/// the cells as the previous step left them, and slices hand over boundary cells through outboxes.
class MooreNeighborhoodAutomaton : public Util::Controllable {
public:
    struct Offset {
        int dx;
        int dy;
        int dz;
    };
    /// dx from -1 to +1, within it dy, within it dz, without (0, 0, 0).
    static const std::array<Offset, 26> &offsets();

    virtual ~MooreNeighborhoodAutomaton();
    MooreNeighborhoodAutomaton(const MooreNeighborhoodAutomaton &) = delete;
    MooreNeighborhoodAutomaton &operator=(const MooreNeighborhoodAutomaton &) = delete;

    /// Locks the volume, runs the layer count's steps and unlocks. With a run control it counts
    /// the seeding and each step and stops between steps when asked.
    void run();

    uint32_t sliceCount() const { return static_cast<uint32_t>(m_slices.size()); }
    ColumnSlice slice(uint32_t index) const { return m_slices[index]->columns; }

    /// The cells of the slice that the first step starts from.
    void initializeSlice(uint32_t begin, uint32_t end, uint32_t slice);
    /// Phase 1 of a step: collects the slice's changes and its next front; writes no cell.
    void stepSlice(uint32_t begin, uint32_t end, uint32_t slice);
    /// Phase 2 of a step, once every slice has finished phase 1: takes the neighbours' outboxes,
    /// writes the slice's changes and makes the next front current.
    void applyStep(uint32_t slice);

protected:
    enum class Mode { Deposition, Etching };
    MooreNeighborhoodAutomaton(Model::Automaton::TotalVolume &volume, uint32_t material, uint32_t layerCount,
                               Mode mode);

private:
    // A work copy of the cells with a one-cell border: what a front may enter (target), what it
    // grows from (source), what it never touches (blocked: other materials, outside the volume),
    // and the targets of the current front, which change in the running step.
    enum Role : uint8_t { Target = 0, Source = 1, Blocked = 2, Front = 3 };

    struct Slice {
        ColumnSlice columns;
        std::vector<size_t> front;
        std::vector<size_t> next;
        std::vector<size_t> leftOutbox;
        std::vector<size_t> rightOutbox;
        std::vector<size_t> changes;
        std::mutex mutex;
    };

    void classifySlice(uint32_t begin, uint32_t end);
    uint8_t role(uint32_t state) const;
    size_t paddedIndex(uint32_t x, uint32_t y, uint32_t z) const;
    size_t cellIndex(size_t padded) const;
    void addToNext(Slice &slice, size_t padded);
    void sourcePlane(size_t paddedX, std::vector<uint8_t> &plane, std::vector<uint8_t> &work) const;

    Model::Automaton::TotalVolume &m_volume;
    uint32_t m_material;
    uint32_t m_layerCount;
    Mode m_mode;
    uint32_t m_nx;
    uint32_t m_ny;
    uint32_t m_nz;
    size_t m_row = 0;   // padded cells per y step
    size_t m_plane = 0; // padded cells per x step
    std::array<std::ptrdiff_t, 26> m_neighbourOffsets{};
    std::vector<std::unique_ptr<Slice>> m_slices;
    std::vector<uint8_t> m_roles;
    std::vector<uint8_t> m_nextMarks; // membership of the fronts being built
    Model::Automaton::Cells m_cells;
};

} // namespace Operations
} // namespace Core
