#pragma once

#include "abstractdistancecountingautomatonbase.h"
#include "materialset.h"

namespace Core {
namespace Operations {

/// Diffusion from the surface: every dopable cell within the doping depth of the empty space,
/// measured through dopable cells, becomes the doped material. The dopable materials are those
/// the process catalogue lists for "Simple Doping" (process 13), read when the engine is built.
class SimpleDoping final : public AbstractDistanceCountingAutomatonNoFinalize {
public:
    /// The catalogue process whose compatible materials are the dopable ones.
    static constexpr uint32_t dopableProcess = 13;

    SimpleDoping(Model::Automaton::TotalVolume &volume, uint32_t dopedMaterial, float depth);

    using AbstractDistanceCountingAutomatonNoFinalize::run;
    /// Runs the engine for its own iteration count; with no dopable material it changes nothing.
    void run();
    uint32_t iterationCount() const;
    const MaterialSet &dopableMaterials() const { return m_dopable; }

protected:
    void initializeCell(uint32_t index, uint32_t slice) override;
    void updateCell(uint32_t index, uint32_t begin, uint32_t end, FrontSet &nextFront, uint32_t slice) override;

private:
    uint32_t m_material;
    float m_depth;
    float m_depthSquared;
    MaterialSet m_dopable;
};

} // namespace Operations
} // namespace Core
