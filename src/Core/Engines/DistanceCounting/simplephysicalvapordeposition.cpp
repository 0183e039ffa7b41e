#include "Core/Engines/DistanceCounting/simplephysicalvapordeposition.h"

namespace Core {
namespace Operations {

SimplePhysicalVaporDeposition::SimplePhysicalVaporDeposition(Model::Automaton::TotalVolume &volume, uint32_t material,
                                                             float thickness, float ratio, uint32_t side)
    : FilmDepositionEngine(volume, material, thickness, ratio, true)
    , m_side(side)
{
}

bool SimplePhysicalVaporDeposition::isSource(uint32_t index) const
{
    const uint32_t z = index % m_nz;
    const bool fromTop = (m_side == 1 || m_side == 3) && z + 1 < m_nz && m_cells.state(index + 1) == 0;
    const bool fromBottom = (m_side == 2 || m_side == 3) && z > 0 && m_cells.state(index - 1) == 0;
    return fromTop || fromBottom;
}

} // namespace Operations
} // namespace Core
