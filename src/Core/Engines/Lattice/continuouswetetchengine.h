#pragma once

#include "Core/Engines/Lattice/latticeetchengine.h"

#include <vector>

namespace Core {
namespace Operations {

/// Anisotropic wet etching of silicon by a continuous cellular automaton: every surface atom loses
/// part of its amount (1 at the start) in each step, at a rate set by its neighbourhood, and goes
/// when the amount is used up. Atoms of a (100) surface go in one step, so a flat (100) surface
/// recedes by the entered depth in round(4 depth) steps; atoms of {111} terraces are the slowest.
///
/// Calibrated to an etch bath, the amounts per step are those fitted by scripts/fit-etch-rates
/// (EtchantTables) so that flat (100), (110) and {111} surfaces recede in the ratios of the
/// published rates; a (100) surface then loses a quarter cell in EtchantTables::stepsPer100Layer
/// steps, which sets the time a step stands for (see Etchant::steps).
class ContinuousWetEtchEngine : public LatticeEtchEngine {
public:
    /// `depth` in cells: round(4 depth) steps of time step 0.1.
    ContinuousWetEtchEngine(Model::Automaton::TotalVolume &volume, double depth);
    struct Calibrated {};
    /// The calibrated model for `steps` steps.
    ContinuousWetEtchEngine(Model::Automaton::TotalVolume &volume, uint64_t steps, Calibrated);

    static uint64_t steps(double depth) { return roundedSteps(4.0 * depth); }
    double depth() const { return m_depth; }
    /// The removal rate of an atom from its first neighbours on the surface and in the bulk and its
    /// second neighbours on the surface and in the bulk (bulk: fixed, or with four bonds). An atom
    /// goes in one step from rate 10 up: (100) and (110) atoms have about 209 and 186, {111}
    /// terrace atoms 0.071.
    static double rate(unsigned firstSurface, unsigned firstBulk, unsigned secondSurface, unsigned secondBulk);
    /// The amount an atom loses in one step of the calibrated model (at most 1).
    static double calibratedAmount(unsigned firstSurface, unsigned firstBulk, unsigned secondSurface,
                                   unsigned secondBulk);

    static constexpr double timeStep = 0.1;
    static constexpr float removalThreshold = 1e-6f;

protected:
    bool removes(const Model::Automaton::SiSite &site, Candidate &candidate, uint32_t thread) override;
    bool settlesWhenNothingGoes() const override { return false; }

private:
    double m_depth;
    bool m_calibrated = false;
    bool m_countSeconds = true;
    /// One time step per thread (each thread reads only its own).
    std::vector<double> m_threadSteps;
};

} // namespace Operations
} // namespace Core
