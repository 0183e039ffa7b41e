#include "Core/Engines/Lattice/continuouswetetchengine.h"

#include "Core/Engines/Lattice/etchanttables.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace Core {
namespace Operations {

using Model::Automaton::SiLattice;
using Model::Automaton::SiSite;

namespace {

// The rate follows the atomistic models of KOH-like etchants in which the removal of a surface
// atom is a Fermi-Dirac-like function of a bond energy summed over its first and second
// neighbours, 1 / (1 + exp(beta (E - mu))), neighbours that are themselves fully bonded (bulk)
// holding more firmly than surface ones (M. A. Gosalvez, K. Sato, A. S. Foster, R. M. Nieminen,
// H. Tanaka, "An atomistic introduction to anisotropic etching", J. Micromech. Microeng. 17 (2007)
// S1-S26), used as a continuous removal rate per atom as in the continuous cellular automaton of
// Z. Zhu and C. Liu ("Micromachining process simulation using a continuous cellular automata
// method", J. Microelectromech. Syst. 9 (2000) 252-261).
//
// The weights, beta and mu are this program's. An atom loses at most its whole amount in one step,
// so the (100) surface cannot recede faster than one atomic layer per step, and it recedes by the
// entered depth only if the atoms of its steps go in one step too: otherwise the bottom of a pit
// lags beside its walls. The scale therefore puts the slowest step atom of the faces between (100)
// and {111} (1 surface and 2 bulk first, 2 surface and 5 bulk second neighbours) at rate 10, one
// step. Then (100) atoms (0, 2; 2, 4) have rate 209 and (110) atoms (2, 1; 2, 5) 186, while atoms
// held by three bulk neighbours are slow: the {111} terrace atom (0, 3; 6, 3) has 0.071, 142 steps
// per double layer of 0.577 cells, so {111} walls recede about 60 times slower than (100).
constexpr double surfaceWeight = 0.5;
constexpr double secondWeight = 0.25;
constexpr double beta = 10.0;
constexpr double mu = 3.7;
constexpr double oneStepRate = 10.0;

double energy(unsigned n1s, unsigned n1b, unsigned n2s, unsigned n2b)
{
    return n1b + surfaceWeight * n1s + secondWeight * (n2b + surfaceWeight * n2s);
}

double fermi(double e) { return 1.0 / (1.0 + std::exp(beta * (e - mu))); }

// Every count a neighbourhood can have: four first and twelve second neighbours at most.
using RateTable = std::array<std::array<std::array<std::array<double, 13>, 13>, 5>, 5>;

RateTable makeRates()
{
    RateTable table{};
    const double reference = fermi(energy(1, 2, 2, 5));
    for (unsigned a = 0; a < 5; ++a)
        for (unsigned b = 0; b < 5; ++b)
            for (unsigned c = 0; c < 13; ++c)
                for (unsigned d = 0; d < 13; ++d)
                    table[a][b][c][d] = oneStepRate * fermi(energy(a, b, c, d)) / reference;
    return table;
}

const RateTable &rates()
{
    static const RateTable table = makeRates();
    return table;
}

// The same form with the weights, the scale and the cap fitted to published etch rates by
// scripts/fit-etch-rates: amounts lost per step, not rates.
RateTable makeCalibratedAmounts()
{
    const EtchantTables::ClassFit &fit = EtchantTables::classFit;
    RateTable table{};
    for (unsigned a = 0; a < 5; ++a)
        for (unsigned b = 0; b < 5; ++b)
            for (unsigned c = 0; c < 13; ++c)
                for (unsigned d = 0; d < 13; ++d) {
                    const double e = b + fit.ws * a + fit.w2 * (d + fit.ws * c);
                    table[a][b][c][d] = std::min(1.0, fit.cap / (1.0 + std::exp(fit.beta * (e - fit.mu))));
                }
    return table;
}

const RateTable &calibratedAmounts()
{
    static const RateTable table = makeCalibratedAmounts();
    return table;
}

} // namespace

ContinuousWetEtchEngine::ContinuousWetEtchEngine(Model::Automaton::TotalVolume &volume, double depth)
    : LatticeEtchEngine(volume, steps(depth))
    , m_depth(depth)
    , m_threadSteps(threadCount(), timeStep)
{
}

ContinuousWetEtchEngine::ContinuousWetEtchEngine(Model::Automaton::TotalVolume &volume, uint64_t steps, Calibrated)
    : LatticeEtchEngine(volume, steps)
    , m_depth(double(steps) / EtchantTables::stepsPer100Layer / 4.0)
    , m_calibrated(true)
    // With no weight on them the second neighbours change no amount: they are not counted.
    , m_countSeconds(EtchantTables::classFit.w2 != 0.0)
    , m_threadSteps(threadCount(), 1.0)
{
}

double ContinuousWetEtchEngine::calibratedAmount(unsigned firstSurface, unsigned firstBulk, unsigned secondSurface,
                                                 unsigned secondBulk)
{
    if (firstSurface > 4 || firstBulk > 4 || secondSurface > 12 || secondBulk > 12)
        return 0.0;
    return calibratedAmounts()[firstSurface][firstBulk][secondSurface][secondBulk];
}

double ContinuousWetEtchEngine::rate(unsigned firstSurface, unsigned firstBulk, unsigned secondSurface,
                                     unsigned secondBulk)
{
    if (firstSurface > 4 || firstBulk > 4 || secondSurface > 12 || secondBulk > 12)
        return 0.0;
    return rates()[firstSurface][firstBulk][secondSurface][secondBulk];
}

bool ContinuousWetEtchEngine::removes(const SiSite &site, Candidate &candidate, uint32_t thread)
{
    const SiLattice &l = lattice();
    unsigned n1s = 0;
    unsigned n1b = 0;
    unsigned n2s = 0;
    unsigned n2b = 0;
    for (uint32_t slot = 0; slot < 4; ++slot) {
        const uint8_t state = l.bondState(site, slot);
        if (state == SiLattice::Absent)
            continue;
        if (state == SiLattice::Fixed) {
            // Fixed atoms count as fully bonded, and so do their other three neighbours.
            ++n1b;
            n2b += 3;
            continue;
        }
        const SiSite first = SiLattice::neighbourSite(site, slot);
        if (l.presentNeighbours(first) == 4)
            ++n1b;
        else
            ++n1s;
        if (!m_countSeconds)
            continue;
        for (uint32_t other = 0; other < 4; ++other) {
            if (other == 3 - slot) // the bond back to the atom itself
                continue;
            const uint8_t second = l.bondState(first, other);
            if (second == SiLattice::Absent)
                continue;
            if (second == SiLattice::Fixed || l.presentNeighbours(SiLattice::neighbourSite(first, other)) == 4)
                ++n2b;
            else
                ++n2s;
        }
    }
    if (n1s + n1b >= 4)
        return false;
    const double loss = m_calibrated ? calibratedAmount(n1s, n1b, n2s, n2b) : rate(n1s, n1b, n2s, n2b);
    const double amount = double(candidate.amount) - m_threadSteps[thread] * loss;
    if (amount < double(removalThreshold)) {
        candidate.amount = 0.0f;
        return true;
    }
    candidate.amount = float(amount);
    return false;
}

} // namespace Operations
} // namespace Core
