#include "Core/Engines/LineOfSight/passivationdeposition.h"

namespace Core {
namespace Operations {

PassivationDeposition::PassivationDeposition(Model::Automaton::TotalVolume &volume, uint32_t film, float thickness)
    : FilmDepositionEngine(volume, film, thickness, 1.0f, true)
    , m_film(film)
{
}

bool PassivationDeposition::isSource(uint32_t index) const
{
    const uint32_t state = m_cells.state(index);
    return state != 0 && state != m_film;
}

} // namespace Operations
} // namespace Core
