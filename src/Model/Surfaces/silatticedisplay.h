#pragma once

#include "Model/Volume/cellwindow.h"
#include "Model/Volume/latticedisplayflags.h"

#include <QString>

#include <array>
#include <cstddef>
#include <functional>
#include <mutex>
#include <vector>

namespace Model {
namespace Automaton {

class TotalVolume;

/// What is shown of a volume's silicon lattice: present atoms as small lit solids (all, or only
/// those with fewer than four neighbours that are not absent), the bonds between present atoms as
/// lines, and the unit cells that hold present atoms as outlines and as translucent boxes. Its
/// buffers are made from the lattice at every surface regeneration, within the cut window, for the
/// flags of the volume's view; the display draws them.
class SiLatticeDisplay {
public:
    /// What a draw of the lattice reads, valid while withBuffers() runs: positions in scene units
    /// relative to the volume, x y z after each other.
    struct Buffers {
        const std::vector<float> &atoms;
        const std::vector<float> &links;
        const std::vector<float> &unitCells;
        const float *cellSize;
        /// The corners of a unit cell's outline in cells relative to its origin (the lattice's turn).
        const std::array<std::array<double, 3>, 8> &unitCellCorners;
    };

    /// At most this many atoms, links and unit cells are kept; a lattice with more is shown in part.
    static constexpr size_t maximumAtoms = 500000;
    static constexpr size_t maximumLinks = 1000000;
    static constexpr size_t maximumUnitCells = 250000;

    explicit SiLatticeDisplay(TotalVolume &volume);

    /// Rebuilds the buffers from the volume's lattice (locks the cells); empty without a lattice or
    /// when the view's flags show nothing.
    void regenerate(const CellWindow &window);
    void release();
    /// Why the last regeneration shows only part of the lattice, once; empty otherwise.
    QString takeNotice();

    /// Calls `use` with the buffers under the display's lock.
    void withBuffers(const std::function<void(const Buffers &)> &use) const;

    size_t atomCount() const;
    size_t linkCount() const;
    size_t unitCellCount() const;
    /// Positions in cells relative to the volume, x y z after each other.
    std::vector<float> atomPositions() const;
    std::vector<float> linkEnds() const;
    /// Turned origins of the unit cells shown.
    std::vector<float> unitCellOrigins() const;
    /// Corner c of the outline of the unit cells shown, in cells relative to an origin.
    std::array<double, 3> unitCellCorner(unsigned c) const;

    static const std::array<float, 4> linkColor;
    static const std::array<float, 4> outlineColor;
    static const std::array<float, 4> unitCellColor;

private:
    TotalVolume &m_volume;
    float m_cellSize[3];
    mutable std::mutex m_mutex;
    std::vector<float> m_atoms;
    std::vector<float> m_links;
    std::vector<float> m_unitCells;
    std::array<std::array<double, 3>, 8> m_unitCellCorners{};
    QString m_notice;
};

} // namespace Automaton
} // namespace Model
