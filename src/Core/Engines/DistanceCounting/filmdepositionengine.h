#pragma once

#include "Core/Engines/DistanceCounting/abstractdistancecountingautomatonbase.h"

namespace Core {
namespace Operations {

/// Deposition by distance: fills every empty cell within the film thickness of a source cell with the material.
/// Sideways steps count 1/ratio of their length, so the sideways thickness is the vertical one times the
/// horizontal-to-vertical ratio (1: a conformal film; 0 or less: no sideways growth). Every occupied cell is a
/// source; subclasses narrow the sources (`isSource`) and keep the rest of the algorithm.
class FilmDepositionEngine : public AbstractDistanceCountingAutomatonNoFinalize {
public:
    FilmDepositionEngine(Model::Automaton::TotalVolume &volume, uint32_t material, float thickness, float ratio = 1.0f);

    using AbstractDistanceCountingAutomatonNoFinalize::run;
    /// Runs the engine for its own iteration count.
    void run() { run(iterationCount()); }
    uint32_t iterationCount() const;

protected:
    /// For engines that narrow the sources by overriding `isSource`.
    FilmDepositionEngine(Model::Automaton::TotalVolume &volume, uint32_t material, float thickness, float ratio,
                         bool narrowedSources);

    /// Whether the occupied cell at `index` is a cell the film grows from; asked during initialization only,
    /// and only of engines built with narrowed sources (every occupied cell is one otherwise).
    virtual bool isSource(uint32_t index) const;

    void initializeCell(uint32_t index, uint32_t slice) override;
    void updateCell(uint32_t index, uint32_t begin, uint32_t end, FrontSet &nextFront, uint32_t slice) override;

private:
    bool nextToNarrowedSource(uint32_t index) const;

    bool m_narrowed;
    uint32_t m_material;
    float m_thickness;
    float m_thicknessSquared;
};

} // namespace Operations
} // namespace Core
