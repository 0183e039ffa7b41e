#pragma once

#include "Core/Engines/DistanceCounting/filmdepositionengine.h"

namespace Core {
namespace Operations {

/// The passivation phase of a Bosch cycle: a conformal film of the passivating material whose
/// sources are every occupied cell but the film itself, so a film left from earlier cycles is
/// renewed to the thickness, not thickened (on the walls the etch phase wears the film about as fast
/// as it grows, and the opening keeps its width).
class PassivationDeposition final : public FilmDepositionEngine {
public:
    PassivationDeposition(Model::Automaton::TotalVolume &volume, uint32_t film, float thickness);

protected:
    bool isSource(uint32_t index) const override;

private:
    uint32_t m_film;
};

} // namespace Operations
} // namespace Core
