#pragma once

#include "Core/Engines/DistanceCounting/abstractdistancecountingautomatonbase.h"
#include "Core/Engines/materialset.h"

namespace Core {
namespace Operations {

/// Thermal oxidation: an oxide film of the given thickness grows on every exposed surface of the
/// oxidizable materials (those of catalogue process 12, "Simple Si Oxidation"), 56 % of it
/// outward into the empty space and 44 % inward, consuming the material. The iterations only
/// carry distances; the states change in the final per-cell pass.
class SimpleSiOxidation final : public AbstractDistanceCountingAutomatonBase {
public:
    static constexpr uint32_t oxidizableProcess = 12;
    /// "Thermal Si02" of the built-in catalogue.
    static constexpr uint32_t oxideMaterial = 3;
    /// The share of the oxide that grows outward, above the old surface.
    static constexpr double outwardShare = 0.56;

    /// `conversion` is cell units per micron.
    SimpleSiOxidation(Model::Automaton::TotalVolume &volume, double conversion);

    /// Deal-Grove: the oxide thickness in microns after `hours` at `kelvin` and `atmospheres`,
    /// counting from an initial 0.025 micron.
    static double dealGroveThickness(double hours, double kelvin, double atmospheres);

    /// Grows `microns` of oxide. A thickness that is not positive (or not a number) changes
    /// nothing, and so does an empty set of oxidizable materials.
    void runWithThickness(double microns);
    /// Grows the oxide of `dealGroveThickness`.
    void runForTime(double hours, double kelvin, double atmospheres);

    /// The thickness of the last run, in cell units.
    double thickness() const { return m_thickness; }
    uint32_t iterationCount() const;
    const MaterialSet &oxidizableMaterials() const { return m_oxidizable; }

protected:
    /// The per-cell passes call the cell steps directly: they visit every cell of the volume.
    void initializeSlice(uint32_t begin, uint32_t end, uint32_t slice) override;
    void finalizeSlice(uint32_t begin, uint32_t end, uint32_t slice) override;
    void initializeCell(uint32_t index, uint32_t slice) override;
    void afterInitialization() override;
    void updateCell(uint32_t index, uint32_t begin, uint32_t end, FrontSet &nextFront, uint32_t slice) override;
    void finalizeCell(uint32_t index, uint32_t slice) override;

private:
    bool isSurface(uint32_t index) const;
    float threshold(uint32_t state) const { return state != 0 ? m_inwardThreshold : m_outwardThreshold; }

    double m_conversion;
    double m_thickness = 0.0;
    float m_outward = 0.0f;
    float m_outwardThreshold = 0.0f;
    float m_inwardThreshold = 0.0f;
    MaterialSet m_oxidizable;
    /// The surface cells each slice found: their neighbours form the first fronts.
    std::vector<std::vector<uint32_t>> m_surface;
};

} // namespace Operations
} // namespace Core
