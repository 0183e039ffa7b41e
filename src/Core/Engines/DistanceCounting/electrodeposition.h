#pragma once

#include "Core/Engines/DistanceCounting/filmdepositionengine.h"

namespace Core {
namespace Operations {

/// Fills every empty cell within the film thickness of the conducting material with the deposited material: a
/// film deposition whose only sources are the conductor's cells. Insulators are walls.
class Electrodeposition final : public FilmDepositionEngine {
public:
    Electrodeposition(Model::Automaton::TotalVolume &volume, uint32_t depositedMaterial, uint32_t conductingMaterial,
                      float thickness);

protected:
    bool isSource(uint32_t index) const override;

private:
    uint32_t m_conductingMaterial;
};

} // namespace Operations
} // namespace Core
