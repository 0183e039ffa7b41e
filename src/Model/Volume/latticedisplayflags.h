#pragma once

namespace Model {
namespace Automaton {

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

} // namespace Automaton
} // namespace Model
