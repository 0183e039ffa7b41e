#pragma once

#include "abstractdistancecountingautomatonbase.h"

namespace Core {
namespace Operations {

/// Conformal deposition whose sideways thickness is the vertical one times the horizontal ratio: sideways steps count
/// 1/ratio of their length (a ratio of 0 or less blocks them).
class AnisotropicFilmDeposition final : public AbstractDistanceCountingAutomatonNoFinalize {
public:
    AnisotropicFilmDeposition(Model::Automaton::TotalVolume &volume, uint32_t material, float thickness, float ratio);

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
};

} // namespace Operations
} // namespace Core
