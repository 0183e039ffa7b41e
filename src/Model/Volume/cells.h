#pragma once

#include <cstddef>
#include <cstdint>

namespace Model {
namespace Automaton {

/// The cells of a volume as its lock hands them out: per cell a 16-bit material state and an 8-bit
/// cut count, each in its own array in the volume's cell order. A view: copies share the cells.
/// Engines that stream states read `states()` directly, two bytes a cell.
class Cells {
public:
    using State = uint16_t;
    /// The largest material identifier a cell holds (the catalogue's range ends there).
    static constexpr uint32_t maximumState = 32766;
    /// Cut counts saturate here.
    static constexpr uint32_t maximumCutCount = 255;

    Cells() = default;
    Cells(State *states, uint8_t *cutCounts, size_t count)
        : m_states(states)
        , m_cuts(cutCounts)
        , m_count(count)
    {
    }

    size_t count() const { return m_count; }

    uint32_t state(size_t i) const { return m_states[i]; }
    /// `state` must be at most maximumState: states are checked where they enter the program.
    void setState(size_t i, uint32_t state) { m_states[i] = static_cast<State>(state); }

    /// Cuts hide a cell; the count saturates at 255 and never drops below 0.
    uint32_t cutCount(size_t i) const { return m_cuts[i]; }
    bool isCut(size_t i) const { return m_cuts[i] != 0; }
    void addCut(size_t i)
    {
        if (m_cuts[i] < maximumCutCount)
            ++m_cuts[i];
    }
    void removeCut(size_t i)
    {
        if (m_cuts[i] > 0)
            --m_cuts[i];
    }
    void clearCuts(size_t i) { m_cuts[i] = 0; }
    /// Saturates like addCut.
    void setCutCount(size_t i, uint32_t count)
    {
        m_cuts[i] = static_cast<uint8_t>(count < maximumCutCount ? count : maximumCutCount);
    }

    /// The arrays themselves, for loops that stream them.
    State *states() { return m_states; }
    const State *states() const { return m_states; }
    uint8_t *cutCounts() { return m_cuts; }
    const uint8_t *cutCounts() const { return m_cuts; }

    /// The cells from `first` on (a column, an x-slab): index 0 of the view is cell `first`.
    Cells from(size_t first) const { return Cells(m_states + first, m_cuts + first, m_count - first); }

private:
    State *m_states = nullptr;
    uint8_t *m_cuts = nullptr;
    size_t m_count = 0;
};

} // namespace Automaton
} // namespace Model
