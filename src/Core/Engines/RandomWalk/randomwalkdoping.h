#pragma once

#include "Model/Volume/cells.h"
#include "Model/Volume/particlecounts.h"
#include "Util/controllable.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
} // namespace Automaton
} // namespace Model

namespace Core {
namespace Operations {

/// Diffusion of dopant from the surface as a random walk of particle counts. Every cell of a
/// dopable material keeps seven counters (ParticleCounts, a named field of the volume, created at
/// the first run and continued by later ones); at each time step its particles are split at random
/// between staying and moving to one of the six face neighbours, each with probability
/// q = D dt / a^2, so that the walk diffuses with coefficient D. Cells next to empty space are held
/// at the surface count N0; the sides wrap around in x and y. A cell whose staying particles
/// exceed the threshold count NT becomes the doping material. The cells that take part (dopable at
/// the start) are marked on the volume for the field view (TotalVolume::tookPartInWalk).
/// Each step runs in parallel over x planes, each plane with its own random stream derived from
/// the seed, the step and the plane, so a seeded run gives the same counts for any thread count.
class RandomWalkDoping : public Util::Controllable {
public:
    /// Counts above this could overflow the 32-bit counters while particles gather.
    static constexpr uint32_t maximumSurfaceCount = 500000000u;
    /// Above this many particles a cell is split by normal-approximated binomial draws.
    static constexpr uint32_t singleDrawLimit = 40u;

    /// SI units: D in m^2/s, dt in s, a in m, concentrations in m^-3. Throws std::invalid_argument
    /// with the reason (checkParameters) when the walk would be meaningless, and std::bad_alloc
    /// when the counters cannot be made.
    RandomWalkDoping(Model::Automaton::TotalVolume &volume, uint32_t dopingMaterial, double diffusionCoefficient,
                     double timeStep, double cellSize, double dopantConcentration, double thresholdConcentration);

    /// Why these values cannot be walked, or an empty text. A time step longer than
    /// a^2 / (6 D) would leave a negative chance to stay; the text names that largest time step.
    /// A doping time of more than 4294967295 steps is refused as well.
    static QString checkParameters(double diffusionCoefficient, double timeStep, double cellSize,
                                   double dopantConcentration, double thresholdConcentration, double dopingTime);
    /// a^2 / (6 D); infinite when D is 0.
    static double largestTimeStep(double diffusionCoefficient, double cellSize);
    /// The time steps a doping of `totalTime` runs: trunc(totalTime / dt), 0 below one step.
    static uint64_t stepCount(double totalTime, double timeStep);
    /// What one time step of one cell of the volume costs at least, in seconds. bench_randomwalk
    /// measures about 20 ns per silicon cell and step on a fresh 256 x 256 x 128 block and 150 ns
    /// once every cell holds particles (one core); halved for two threads and lowered for the
    /// empty and other cells, which cost less, 5 ns is a lower bound: estimates never exaggerate.
    static constexpr double secondsPerCellStep = 5.0e-9;
    /// The least time `steps` time steps over a volume of `cells` cells take, in seconds.
    static double estimatedSeconds(uint64_t cells, uint64_t steps)
    {
        return double(cells) * double(steps) * secondsPerCellStep;
    }
    /// A seed from the clock, for runs that were given none.
    static uint64_t clockSeed();

    /// Fixes the random streams; without it they are seeded from the clock.
    void setSeed(uint64_t seed) { m_seed = seed; }
    uint64_t seed() const { return m_seed; }
    /// The materials that take part in the walk; by default those the catalogue's "Simple
    /// Doping" process (13) may act on.
    void setDopableMaterials(const QList<uint32_t> &materials);

    /// Runs trunc(totalTime / dt) steps on the locked cells and returns how many ran. With no step
    /// nothing changes (the field exists all the same). Throws std::invalid_argument for more
    /// steps than checkParameters allows.
    uint64_t dope(double totalTime);

    uint32_t surfaceCount() const { return m_surfaceCount; }
    uint32_t thresholdCount() const { return m_thresholdCount; }
    double moveProbability() const { return m_q; }
    QString fieldName() const { return m_fieldName; }
    bool createdField() const { return m_createdField; }
    Model::Automaton::ParticleCountsPtr counts() const { return m_counts; }

private:
    enum CellClass : uint8_t { Settled = 0, Walking = 1, Surface = 2 };

    bool isDopable(uint32_t material) const;
    void initialise(Model::Automaton::Cells cells);
    void markWalkingCells();
    void gather();
    void scatter(Model::Automaton::Cells cells, uint64_t step);
    void finish(Model::Automaton::Cells cells);

    Model::Automaton::TotalVolume &m_volume;
    uint32_t m_dopingMaterial;
    double m_timeStep;
    double m_q;
    uint32_t m_surfaceCount;
    uint32_t m_thresholdCount;
    QString m_fieldName;
    Model::Automaton::ParticleCountsPtr m_counts;
    bool m_createdField = false;
    uint64_t m_seed;
    std::vector<uint8_t> m_dopable;       ///< by identifier, for the usual small ones
    std::vector<uint32_t> m_dopableLarge; ///< sorted, the others
    std::vector<uint8_t> m_classes;
};

} // namespace Operations
} // namespace Core
