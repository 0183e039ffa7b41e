#pragma once

#include "abstractdistancecountingautomatonbase.h"

namespace Core {
namespace Operations {

/// Deposition that grows only from surfaces facing up (side 1), facing down (side 2) or both (side 3), with a
/// horizontal ratio as in anisotropic deposition.
class SimplePhysicalVaporDeposition final : public AbstractDistanceCountingAutomatonNoFinalize {
public:
    SimplePhysicalVaporDeposition(Model::Automaton::TotalVolume &volume, uint32_t material, float thickness,
                                  float ratio, uint32_t side);

    using AbstractDistanceCountingAutomatonNoFinalize::run;
    /// Runs the engine for its own iteration count.
    void run() { run(iterationCount()); }
    uint32_t iterationCount() const;

protected:
    void initializeCell(uint32_t index, uint32_t slice) override;
    void updateCell(uint32_t index, uint32_t begin, uint32_t end, FrontSet &nextFront, uint32_t slice) override;

private:
    uint32_t m_material;
    float m_thickness;
    float m_thicknessSquared;
    uint32_t m_side;
};

} // namespace Operations
} // namespace Core
