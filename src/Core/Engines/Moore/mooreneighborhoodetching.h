#pragma once

#include "Core/Engines/Moore/mooreneighborhoodautomaton.h"

namespace Core {
namespace Operations {

/// Removes `material` to a depth of `layerCount` cells from wherever it touches empty space,
/// measured in the Chebyshev metric through cells of that material; other materials stop it.
class MooreNeighborhoodEtching : public MooreNeighborhoodAutomaton {
public:
    MooreNeighborhoodEtching(Model::Automaton::TotalVolume &volume, uint32_t material, uint32_t layerCount)
        : MooreNeighborhoodAutomaton(volume, material, layerCount, Mode::Etching)
    {
    }
};

} // namespace Operations
} // namespace Core
