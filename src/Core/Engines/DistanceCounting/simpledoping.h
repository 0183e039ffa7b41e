#pragma once

#include "Core/Engines/DistanceCounting/filmetchingengine.h"

namespace Core {
namespace Operations {

/// Diffusion from the surface: every dopable cell within the doping depth of the empty space,
/// measured through dopable cells, becomes the doped material. The dopable materials are those
/// the process catalogue lists for "Simple Doping" (process 13), read when the engine is built.
/// The algorithm is that of etching, converting the dopable materials into the doped one.
class SimpleDoping final : public FilmEtchingEngine {
public:
    /// The catalogue process whose compatible materials are the dopable ones.
    static constexpr uint32_t dopableProcess = 13;

    SimpleDoping(Model::Automaton::TotalVolume &volume, uint32_t dopedMaterial, float depth);

    const MaterialSet &dopableMaterials() const { return convertedMaterials(); }

private:
    SimpleDoping(Model::Automaton::TotalVolume &volume, uint32_t dopedMaterial, float depth,
                 const MaterialSet &dopable);
};

} // namespace Operations
} // namespace Core
