#pragma once

#include "Core/Engines/DistanceCounting/abstractdistancecountingautomatonbase.h"
#include "Core/Engines/materialset.h"

namespace Core {
namespace Operations {

/// Implantation from above with annealing. In every cell column the dopable cells whose depth
/// below the top of the column's topmost occupied cell lies within the vertical spread of the
/// implantation depth become the doped material; the annealing then spreads it through dopable
/// cells up to the annealing distance. The dopable materials are those of catalogue process 13.
class IonImplantation final : public AbstractDistanceCountingAutomatonNoFinalize {
public:
    static constexpr uint32_t dopableProcess = 13;

    IonImplantation(Model::Automaton::TotalVolume &volume, uint32_t dopedMaterial, float depth, float spread,
                    float annealingDistance);

    using AbstractDistanceCountingAutomatonNoFinalize::run;
    /// Implants and anneals for the annealing's iteration count; with no dopable material it
    /// changes nothing.
    void run();
    uint32_t iterationCount() const;
    const MaterialSet &dopableMaterials() const { return m_dopable; }

    /// Whether the cell at depth index d (1 for a column's topmost occupied cell) lies in the
    /// implanted band: |d cz - D| <= cz / 2 + S, the right side in double precision rounded to single.
    static bool inBand(uint32_t depthIndex, float cellHeight, float depth, float spread);

protected:
    /// Walks the slice's columns from the top: empty cells above the topmost occupied one and
    /// cells that are not dopable are settled, dopable cells in the band are implanted.
    void initializeSlice(uint32_t begin, uint32_t end, uint32_t slice) override;
    void initializeCell(uint32_t, uint32_t) override {}
    /// Once every column is walked, the neighbours of the implanted cells form the first fronts.
    void afterInitialization() override;
    void updateCell(uint32_t index, uint32_t begin, uint32_t end, FrontSet &nextFront, uint32_t slice) override;

private:
    uint32_t m_material;
    float m_depth;
    float m_spread;
    float m_annealing;
    float m_annealingSquared;
    MaterialSet m_dopable;
    /// The cells each slice implanted.
    std::vector<std::vector<uint32_t>> m_implanted;
};

} // namespace Operations
} // namespace Core
