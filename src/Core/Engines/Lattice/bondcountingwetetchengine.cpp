#include "Core/Engines/Lattice/bondcountingwetetchengine.h"

namespace Core {
namespace Operations {

using Model::Automaton::SiLattice;

BondCountingWetEtchEngine::BondCountingWetEtchEngine(Model::Automaton::TotalVolume &volume, double depth)
    : LatticeEtchEngine(volume, steps(depth))
{
}

bool BondCountingWetEtchEngine::removes(const Model::Automaton::SiSite &site, Candidate &, uint32_t)
{
    const SiLattice &l = lattice();
    unsigned n1 = 0;
    unsigned n2 = 0;
    for (uint32_t slot = 0; slot < 4; ++slot) {
        const uint8_t state = l.bondState(site, slot);
        if (state == SiLattice::Absent)
            continue;
        ++n1;
        // A fixed neighbour counts as fully bonded: three bonds besides this one.
        n2 += state == SiLattice::Fixed ? 3 : l.presentNeighbours(SiLattice::neighbourSite(site, slot)) - 1;
    }
    return !keeps(n1, n2);
}

} // namespace Operations
} // namespace Core
