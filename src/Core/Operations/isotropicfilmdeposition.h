#pragma once

#include "abstractdistancecountingautomatonbase.h"

namespace Core {
namespace Operations {

/// Fills every empty cell within the film thickness of any occupied cell with the material: a conformal film.
class IsotropicFilmDeposition final : public AbstractDistanceCountingAutomatonNoFinalize {
public:
    IsotropicFilmDeposition(Model::Automaton::TotalVolume &volume, uint32_t material, float thickness);

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
