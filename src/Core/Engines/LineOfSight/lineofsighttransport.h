#pragma once

#include "Model/Volume/cells.h"
#include "Util/controllable.h"

#include <QString>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
} // namespace Automaton
} // namespace Model

namespace Core {
namespace Operations {

class RandomStream;

/// Deposition and etching by particle transport in line of sight. Particles leave a source plane
/// at the top of the highest occupied cell (above it a uniform source's flux is the same at every
/// height, the sides being periodic) with directions drawn from a cos^n distribution about the
/// downward normal (n = 1: a diffuse, cosine source; large n: a collimated beam), fly in straight
/// lines through empty cells and hit the exposed face of the first occupied cell. There a share s
/// (sticking coefficient, or reaction probability when etching) of the particle stays; the rest is
/// re-emitted diffusely (cosine law about the local surface normal, taken from the 3 x 3 x 3
/// neighbourhood) from the hit point, until it has all stayed or has left through the top. The
/// side faces are periodic: a particle that leaves through one enters through the opposite face,
/// so a slice of a long trench behaves like the whole trench.
///
/// The flux that stays is collected per surface site: the empty cell in front of the hit face
/// (deposition), or the hit cell of the etched material (etching; other materials are masks that
/// re-emit everything). The run goes in rounds, each worth 1 / roundsPerCell cell on a flat open
/// surface (the first half of that); after a round, a site whose collected flux reaches one cell's worth becomes the
/// material (or empty), and its remainder passes to the next cell along the surface normal. At the
/// end, remainders of half a cell or more are rounded to a cell, so that film thicknesses are
/// unbiased.
///
/// Flights use the voxel traversal of J. Amanatides and A. Woo, "A Fast Voxel Traversal Algorithm
/// for Ray Tracing", Eurographics 1987: it steps through the cell grid itself, exact in which cell
/// and which face a particle meets, with no acceleration structure to rebuild when the surface
/// changes after every round (a triangle ray tracer such as Embree would need a surface mesh and
/// its hierarchy rebuilt each round, and nothing in between is faster than one grid step).
/// Two small maps speed the walk without reading the cells: each column's highest occupied cell
/// (and the highest empty run below it), and for blocks of 8 x 8 columns the highest of them, over
/// which a flight leaps to where it leaves the block or comes down to that height. Both are made
/// anew each round, with the surface sites (column by column, with each site's surface normal).
/// Particles carry a weight (implicit capture): a hit leaves s of the weight and re-emits the rest,
/// and light particles are ended or strengthened by Russian roulette, so low sticking costs few
/// extra rays and the expected flux is unchanged.
///
/// Each round's rays are drawn per x row of the source plane from a stream keyed by the seed, the
/// round and the row, and the collected flux is summed as whole numbers (fixed point), so a seeded
/// run gives the same cells for any thread count. Memory beyond the cells is a few numbers per
/// surface site and per column. A stop request is seen between source rows: the round is left
/// unfinished (cells change only between rounds), and the caller puts back the earlier rounds'.
class LineOfSightTransport : public Util::Controllable {
public:
    enum class Mode { Deposition, Etching };

    /// The values a step gives; `amount` is in cells on a flat open surface.
    struct Settings {
        Mode mode = Mode::Deposition;
        uint32_t material = 0;
        double amount = 0.0;
        double sticking = 1.0;
        double sourceExponent = 1.0;
    };

    /// Throws std::invalid_argument with the reason (checkSettings).
    LineOfSightTransport(Model::Automaton::TotalVolume &volume, const Settings &settings);

    /// Why these values cannot run, or an empty text; names the value and its range.
    static QString checkSettings(const Settings &settings);
    static constexpr double largestExponent = 10000.0;
    static constexpr double largestAmount = 100000.0;

    /// Fixes the random streams; without it they are seeded from the clock.
    void setSeed(uint64_t seed) { m_seed = seed; }
    /// Source rays per source column for each cell's worth on a flat surface (default 64): more
    /// rays, less noise. Noise roughens a surface by a cell here and there, and a rough surface of
    /// low sticking catches more than a flat one: at s = 0.01 on cubes, a flat film comes out
    /// thicker by up to about 15 % at 64 rays, a few per cent at 512.
    void setRaysPerCell(uint32_t rays);

    /// Runs the rounds on the locked cells; stops within a round when asked.
    void run();

    /// Rays started at the source plane so far.
    uint64_t raysTraced() const { return m_raysTraced; }
    /// The flux collected per surface site in the last round, sorted by cell index, in units of
    /// the flux a flat open surface collects (1 there).
    const std::vector<std::pair<size_t, double>> &lastFlux() const { return m_lastFlux; }

    static constexpr uint32_t roundsPerCell = 2;

private:
    static constexpr size_t noSite = ~size_t(0);
    static constexpr int leapBlockShift = 3; ///< blocks of 8 x 8 columns
    struct Flight;

    void collectSites(Model::Automaton::Cells cells);
    void traceRow(Model::Automaton::Cells cells, uint32_t x, uint64_t round, double weight);
    void fly(Model::Automaton::Cells cells, RandomStream &random, Flight flight);
    void surfaceNormal(Model::Automaton::Cells cells, const long long cell[3], double normal[3]) const;
    /// The site of `cell` in `column` (x * sizeY + y), or noSite.
    size_t siteOf(size_t column, size_t cell) const;
    void applyRound(Model::Automaton::Cells cells, double flatFlux, double weight, bool last);
    bool isSiteCell(Model::Automaton::Cells cells, const uint32_t p[3], size_t i) const;
    size_t neighbour(size_t i, int direction, bool &inside) const;
    size_t carryTarget(Model::Automaton::Cells cells, size_t i, bool &found) const;

    Model::Automaton::TotalVolume &m_volume;
    Settings m_settings;
    uint64_t m_seed;
    uint32_t m_raysPerCell = 64;
    uint64_t m_raysTraced = 0;
    double m_step[3];
    std::vector<size_t> m_sites;                      ///< sorted cell indices
    std::vector<double> m_collected;                  ///< cells' worth per site, carried across rounds
    std::unique_ptr<std::atomic<uint64_t>[]> m_hits;  ///< this round's flux per site, fixed point
    std::vector<std::pair<size_t, double>> m_carried; ///< remainders for cells that become sites
    std::vector<std::pair<size_t, double>> m_lastFlux;
    std::vector<size_t> m_columnStart; ///< per column, its first site; the sites' count at the end
    std::vector<double> m_normals;     ///< deposition: each site's surface normal (x, y, z)
    std::vector<uint32_t> m_top;       ///< per column, one above its highest occupied cell
    std::vector<uint32_t> m_gaps;      ///< per column, its highest empty run under m_top [from, to)
    std::vector<uint32_t> m_blockTop;  ///< per block of columns, the highest of m_top
    size_t m_blocksY = 0;
    uint32_t m_zLimit = 0; ///< the highest of m_top: nothing is hit above it
    bool m_watchStop = false;
    std::atomic<bool> m_leaving{false}; ///< a row saw a stop request: the round is left
};

} // namespace Operations
} // namespace Core
