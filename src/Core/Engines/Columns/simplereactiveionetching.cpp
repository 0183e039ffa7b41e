#include "Core/Engines/Columns/simplereactiveionetching.h"

namespace Core {
namespace Operations {

SimpleReactiveIonEtching::SimpleReactiveIonEtching(Model::Automaton::TotalVolume &volume, uint32_t material,
                                                   uint32_t depth, uint8_t direction)
    : ColumnEtching(volume, material, depth)
{
    m_sides.assign(static_cast<size_t>(m_nx) * m_ny, direction);
}

} // namespace Operations
} // namespace Core
