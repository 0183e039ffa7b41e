#pragma once

#include "abstractdistancecountingautomatonbase.h"

namespace Core {
namespace Operations {

/// Etching of one material whose sideways depth is the vertical depth times the horizontal ratio.
class AnisotropicFilmEtching final : public AbstractDistanceCountingAutomatonNoFinalize {
public:
    AnisotropicFilmEtching(Model::Automaton::TotalVolume &volume, uint32_t material, float depth, float ratio);

    using AbstractDistanceCountingAutomatonNoFinalize::run;
    /// Runs the engine for its own iteration count.
    void run() { run(iterationCount()); }
    uint32_t iterationCount() const;

protected:
    void initializeCell(uint32_t index, uint32_t slice) override;
    void updateCell(uint32_t index, uint32_t begin, uint32_t end, FrontSet &nextFront, uint32_t slice) override;

private:
    uint32_t m_material;
    float m_depth;
    float m_depthSquared;
};

} // namespace Operations
} // namespace Core
