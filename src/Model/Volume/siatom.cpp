#include "siatom.h"

#include "Model/Volume/sicell.h"

namespace Model {
namespace Automaton {

SiAtom SiAtom::bond(uint32_t slot) const
{
    if (isNull())
        return SiAtom();
    const SiSite n = SiLattice::neighbourSite(m_site, slot);
    if (!m_lattice->inGrid(n) || !m_lattice->isKept(n.i, n.j, n.k))
        return SiAtom();
    return SiAtom(m_lattice, n);
}

SiCell SiAtom::unitCell() const
{
    if (isNull())
        return SiCell();
    return SiCell(m_lattice, m_site.i, m_site.j, m_site.k);
}

} // namespace Automaton
} // namespace Model
