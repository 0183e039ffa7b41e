#pragma once

#include "Core/Engines/DistanceCounting/abstractdistancecountingautomatonbase.h"
#include "Core/Engines/materialset.h"

namespace Core {
namespace Operations {

/// Etching by distance: empties every cell of the material that lies within the etch depth of the empty space.
/// Sideways steps count 1/ratio of their length, so the sideways depth is the vertical one times the
/// horizontal-to-vertical ratio (1: isotropic; 0 or less: straight down).
///
/// The algorithm is a conversion from the surface, which subclasses reuse with other materials (`SimpleDoping`):
/// cells of the converted materials within the depth of the empty space, measured through passable cells, take
/// the new state; other materials never change.
class FilmEtchingEngine : public AbstractDistanceCountingAutomatonNoFinalize {
public:
    FilmEtchingEngine(Model::Automaton::TotalVolume &volume, uint32_t material, float depth, float ratio = 1.0f);

    using AbstractDistanceCountingAutomatonNoFinalize::run;
    /// Runs the engine for its own iteration count; with nothing to convert it changes nothing.
    void run();
    uint32_t iterationCount() const;

protected:
    /// Converts `converted` into `newState`; distances pass through the `passable` states only.
    FilmEtchingEngine(Model::Automaton::TotalVolume &volume, const MaterialSet &converted, uint32_t newState,
                      std::vector<uint32_t> passable, float depth);

    const MaterialSet &convertedMaterials() const { return m_converted; }

    void initializeCell(uint32_t index, uint32_t slice) override;
    void updateCell(uint32_t index, uint32_t begin, uint32_t end, FrontSet &nextFront, uint32_t slice) override;

private:
    MaterialSet m_converted;
    uint32_t m_newState;
    float m_depth;
    float m_depthSquared;
};

} // namespace Operations
} // namespace Core
