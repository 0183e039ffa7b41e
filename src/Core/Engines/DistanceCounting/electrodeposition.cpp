#include "Core/Engines/DistanceCounting/electrodeposition.h"

namespace Core {
namespace Operations {

Electrodeposition::Electrodeposition(Model::Automaton::TotalVolume &volume, uint32_t depositedMaterial,
                                     uint32_t conductingMaterial, float thickness)
    : FilmDepositionEngine(volume, depositedMaterial, thickness, 1.0f, true)
    , m_conductingMaterial(conductingMaterial)
{
}

bool Electrodeposition::isSource(uint32_t index) const { return m_cells.state(index) == m_conductingMaterial; }

} // namespace Operations
} // namespace Core
