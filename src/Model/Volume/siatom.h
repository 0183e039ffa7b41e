#pragma once

#include "Model/Volume/silattice.h"

namespace Model {
namespace Automaton {

/// One atom of a silicon lattice, seen through the lattice that stores it: its cell, its state,
/// its four bonds and its unit cell all come from the lattice's arrays. A default atom is null
/// (a missing bond). Valid while its lattice lives.
class SiAtom {
public:
    SiAtom() = default;
    SiAtom(const SiLattice *lattice, const SiSite &site)
        : m_lattice(lattice)
        , m_site(site)
    {
    }

    bool isNull() const { return m_lattice == nullptr; }
    const SiSite &site() const { return m_site; }
    uint64_t key() const { return m_lattice->key(m_site); }
    /// The index of the volume cell that holds the atom; -1 outside the volume.
    int64_t cell() const { return m_lattice->cellIndex(m_site); }
    /// SiLattice::Absent, Present or Fixed.
    uint32_t state() const { return m_lattice->state(m_site); }
    /// The neighbour in bond slot `slot` (0 to 3); null where the neighbouring unit cell is not in
    /// the lattice. Slot s of this atom is slot 3 - s of the neighbour.
    SiAtom bond(uint32_t slot) const;
    /// What the etch rules see in that slot: the neighbour's state, fixed beyond the grid.
    uint32_t bondState(uint32_t slot) const { return m_lattice->bondState(m_site, slot); }
    SiCell unitCell() const;
    /// Scene coordinates.
    Util::Vector3D position() const { return m_lattice->position(m_site); }

    bool operator==(const SiAtom &o) const { return m_lattice == o.m_lattice && (isNull() || m_site == o.m_site); }
    bool operator!=(const SiAtom &o) const { return !(*this == o); }

private:
    const SiLattice *m_lattice = nullptr;
    SiSite m_site;
};

} // namespace Automaton
} // namespace Model
