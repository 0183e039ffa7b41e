#pragma once

#include "Core/Engines/Lattice/latticeetchengine.h"

namespace Core {
namespace Operations {

/// Anisotropic wet etching of silicon by bond counting: in each step a surface atom goes unless it
/// keeps four bonds, or three bonds whose atoms hold at least nine further bonds (the atoms of a
/// {111} terrace). So (100) surfaces lose one atomic layer, a quarter cell, per step and the etch
/// stops on {111} planes.
class BondCountingWetEtchEngine : public LatticeEtchEngine {
public:
    /// `depth` in cells: round(depth / 0.25) steps.
    BondCountingWetEtchEngine(Model::Automaton::TotalVolume &volume, double depth);

    static uint64_t steps(double depth) { return roundedSteps(depth / 0.25); }
    /// The rule: first neighbours that are not absent (n1) and their own further bonds (n2).
    static bool keeps(unsigned n1, unsigned n2) { return n1 >= 4 || (n1 == 3 && n2 >= 9); }

protected:
    bool removes(const Model::Automaton::SiSite &site, Candidate &candidate, uint32_t thread) override;
    bool settlesWhenNothingGoes() const override { return true; }
};

} // namespace Operations
} // namespace Core
