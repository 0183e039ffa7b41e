#include "sicell.h"

#include "Model/Volume/siatom.h"

namespace Model {
namespace Automaton {

SiAtom SiCell::atom(uint32_t b) const
{
    if (isNull())
        return SiAtom();
    return SiAtom(m_lattice, SiSite{m_i, m_j, m_k, b});
}

std::array<float, 3> SiCell::origin() const
{
    // The origin is basis atom 0.
    const Util::Vector3D p = m_lattice->position(SiSite{m_i, m_j, m_k, 0});
    return {float(p.x), float(p.y), float(p.z)};
}

} // namespace Automaton
} // namespace Model
