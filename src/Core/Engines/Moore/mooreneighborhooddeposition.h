#pragma once

#include "Core/Engines/Moore/mooreneighborhoodautomaton.h"

namespace Core {
namespace Operations {

/// Wraps every occupied region in a film of `layerCount` cells of `material`: after the run every
/// empty cell within Chebyshev distance n (through empty cells) of an occupied cell is filled.
class MooreNeighborhoodDeposition : public MooreNeighborhoodAutomaton {
public:
    MooreNeighborhoodDeposition(Model::Automaton::TotalVolume &volume, uint32_t material, uint32_t layerCount)
        : MooreNeighborhoodAutomaton(volume, material, layerCount, Mode::Deposition)
    {
    }
};

} // namespace Operations
} // namespace Core
