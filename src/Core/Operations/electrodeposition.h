#pragma once

#include "abstractdistancecountingautomatonbase.h"

namespace Core {
namespace Operations {

/// Fills every empty cell within the film thickness of the conducting material with the deposited material.
class Electrodeposition final : public AbstractDistanceCountingAutomatonNoFinalize {
public:
    Electrodeposition(Model::Automaton::TotalVolume &volume, uint32_t depositedMaterial, uint32_t conductingMaterial,
                      float thickness);

    using AbstractDistanceCountingAutomatonNoFinalize::run;
    /// Runs the engine for its own iteration count.
    void run() { run(iterationCount()); }
    uint32_t iterationCount() const;

protected:
    void initializeCell(uint32_t index, uint32_t slice) override;
    void updateCell(uint32_t index, uint32_t begin, uint32_t end, FrontSet &nextFront, uint32_t slice) override;

private:
    uint32_t m_material;
    uint32_t m_conductingMaterial;
    float m_thickness;
    float m_thicknessSquared;
};

} // namespace Operations
} // namespace Core
