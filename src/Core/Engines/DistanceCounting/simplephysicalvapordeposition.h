#pragma once

#include "Core/Engines/DistanceCounting/filmdepositionengine.h"

namespace Core {
namespace Operations {

/// Deposition that grows only from surfaces facing up (side 1), facing down (side 2) or both (side 3), with a
/// horizontal ratio: a film deposition whose sources are the occupied cells with empty space on a chosen side.
class SimplePhysicalVaporDeposition final : public FilmDepositionEngine {
public:
    SimplePhysicalVaporDeposition(Model::Automaton::TotalVolume &volume, uint32_t material, float thickness,
                                  float ratio, uint32_t side);

protected:
    bool isSource(uint32_t index) const override;

private:
    uint32_t m_side;
};

} // namespace Operations
} // namespace Core
