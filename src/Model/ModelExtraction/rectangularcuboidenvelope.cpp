#include "rectangularcuboidenvelope.h"

namespace Model {
namespace ModelExtraction {

void RectangularCuboidEnvelope::setNeighbour(unsigned face, RectangularCuboidEnvelope *envelope)
{
    RectangularCuboidEnvelope *&slot = m_neighbours[face];
    if (!slot && envelope)
        ++m_neighbourCount;
    else if (slot && !envelope)
        --m_neighbourCount;
    slot = envelope;
}

} // namespace ModelExtraction
} // namespace Model
