#pragma once

#include "cellwindow.h"

#include <QString>

#include <array>
#include <cstddef>
#include <mutex>
#include <vector>

namespace Model {
namespace Automaton {

class TotalVolume;

/// What the atomistic lattice display shows.
struct LatticeDisplayFlags {
    bool renderSiAtoms = false;
    bool renderSurfaceAtomsOnly = false;
    bool renderSiAtomLinks = false;
    bool renderSiUnitCells = false;
    bool renderSiUnitCellOutlines = false;

    bool any() const { return renderSiAtoms || renderSiAtomLinks || renderSiUnitCells || renderSiUnitCellOutlines; }
    bool operator==(const LatticeDisplayFlags &o) const
    {
        return renderSiAtoms == o.renderSiAtoms && renderSurfaceAtomsOnly == o.renderSurfaceAtomsOnly &&
               renderSiAtomLinks == o.renderSiAtomLinks && renderSiUnitCells == o.renderSiUnitCells &&
               renderSiUnitCellOutlines == o.renderSiUnitCellOutlines;
    }
};

/// The painter's view of a volume's silicon lattice: present atoms as small lit solids (all, or only
/// those with fewer than four neighbours that are not absent), the bonds between present atoms as
/// lines, and the unit cells that hold present atoms as outlines and as translucent boxes. Its
/// buffers are made from the lattice at every surface regeneration, within the cut window; drawing
/// needs a current GL context.
class SiLatticeDisplay {
public:
    /// At most this many atoms, links and unit cells are kept; a lattice with more is shown in part.
    static constexpr size_t maximumAtoms = 500000;
    static constexpr size_t maximumLinks = 1000000;
    static constexpr size_t maximumUnitCells = 250000;

    explicit SiLatticeDisplay(TotalVolume &volume);

    LatticeDisplayFlags flags() const;
    void setFlags(const LatticeDisplayFlags &flags);

    /// Rebuilds the buffers from the volume's lattice (locks the cells); empty without a lattice or
    /// when nothing is to be shown.
    void regenerate(const CellWindow &window);
    void release();
    /// Why the last regeneration shows only part of the lattice, once; empty otherwise.
    QString takeNotice();

    /// Atoms, links and outlines (opaque pass).
    void drawSolid() const;
    /// Translucent unit cells (transparent pass: blending on, depth writes off).
    void drawTransparent() const;

    size_t atomCount() const;
    size_t linkCount() const;
    size_t unitCellCount() const;
    /// Positions in cells relative to the volume, x y z after each other.
    std::vector<float> atomPositions() const;
    std::vector<float> linkEnds() const;
    /// Turned origins of the unit cells shown.
    std::vector<float> unitCellOrigins() const;

    static const std::array<float, 4> linkColor;
    static const std::array<float, 4> outlineColor;
    static const std::array<float, 4> unitCellColor;

private:
    void drawAtoms() const;
    void drawUnitCells(bool outlines) const;

    TotalVolume &m_volume;
    float m_cellSize[3];
    mutable std::mutex m_mutex;
    LatticeDisplayFlags m_flags;
    std::vector<float> m_atoms;
    std::vector<float> m_links;
    std::vector<float> m_unitCells;
    QString m_notice;
};

} // namespace Automaton
} // namespace Model
