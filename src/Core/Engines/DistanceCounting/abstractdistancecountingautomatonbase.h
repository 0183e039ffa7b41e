#pragma once

#include "Core/Engines/DistanceCounting/distancescratch.h"
#include "Core/Engines/DistanceCounting/frontset.h"
#include "Model/Volume/cells.h"
#include "Util/controllable.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

/// Parallel front propagation over a cell volume. Every cell carries a distance vector towards
/// the nearest source found so far; each iteration, the cells of the front take over a shorter
/// vector from a face neighbour and put their neighbours into the next front. The vectors and the
/// cells' marks live in a DistanceScratch made for the run: cells the fronts never reach keep the
/// reach vector (r, r, r) or, marked as sources, the source vector that the engine sets with
/// `setUnreachedDistances`, and take no memory for it. The volume is cut
/// into x-slices, one task per slice on the global thread pool. Changes found in an iteration
/// are written only after every slice has looked at the cells, so the result depends neither on
/// the number of threads nor on how the slices are cut.
///
/// Subclasses mark the cells and seed the first front in `initializeCell` and decide in
/// `updateCell` which cells may change and into what; `updateDistance` does the shared work.
/// Only unsettled cells change, and the marks never change after the initialization.
class AbstractDistanceCountingAutomatonBase : public Util::Controllable {
public:
    /// A change found during an iteration, written when the iteration ends.
    struct Change {
        uint32_t index;
        uint32_t state;
        float distance[3];
    };

    /// The volume must hold at most 2^32 cells (std::runtime_error otherwise).
    explicit AbstractDistanceCountingAutomatonBase(Model::Automaton::TotalVolume &volume);
    virtual ~AbstractDistanceCountingAutomatonBase();
    AbstractDistanceCountingAutomatonBase(const AbstractDistanceCountingAutomatonBase &) = delete;
    AbstractDistanceCountingAutomatonBase &operator=(const AbstractDistanceCountingAutomatonBase &) = delete;

    /// Locks the volume, seeds the fronts, runs at most `iterations` iterations (fewer when every
    /// front has run dry, which cannot change the result), finalizes and unlocks. With a run
    /// control it counts the seeding and each iteration and stops between them when asked; the
    /// cells then hold the result of the iterations done (no finalization).
    virtual void run(uint32_t iterations);

    uint32_t sliceCount() const { return m_sliceCount; }
    uint32_t sliceBegin(uint32_t slice) const { return m_sliceBounds[slice]; }
    uint32_t sliceEnd(uint32_t slice) const { return m_sliceBounds[slice + 1]; }
    /// Iterations actually stepped by the last run.
    uint32_t iterationsRun() const { return m_iterationsRun; }
    /// Bricks of distance vectors the last run made (8 x 8 cells each), for the figures.
    size_t bricksUsed() const { return m_bricksUsed; }

    /// The face neighbours in their fixed visiting order, as (dx, dy, dz).
    static constexpr int neighbourOffsets[6][3] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}};

protected:
    virtual void initializeSlice(uint32_t begin, uint32_t end, uint32_t slice);
    /// First half of an iteration: updates the front of the slice, recording changes only.
    virtual void stepSlice(uint32_t begin, uint32_t end, uint32_t slice);
    virtual void finalizeSlice(uint32_t begin, uint32_t end, uint32_t slice);
    virtual void applyChanges(uint32_t slice);
    virtual void initializeCell(uint32_t index, uint32_t slice) = 0;
    virtual void updateCell(uint32_t index, uint32_t begin, uint32_t end, FrontSet &nextFront, uint32_t slice) = 0;
    virtual void finalizeCell(uint32_t index, uint32_t slice) = 0;
    /// Runs once every slice has been initialized, before the first iteration. Engines whose
    /// first fronts depend on cells of other slices queue them here, when no cell is written any
    /// more (see `seedFrontsAround`).
    virtual void afterInitialization() {}

    /// Puts the unsettled face neighbours of the given cells of each slice whose state is
    /// passable into the first fronts: a pass that collects them (into the slice's own front or
    /// its outboxes) and a pass that hands the outboxes over. Reads cells only.
    void seedFrontsAround(const std::vector<std::vector<uint32_t>> &sources);

    /// Second half of an iteration, once every slice has finished the first: takes in the cells
    /// the neighbouring slices handed over, writes the changes and makes the next front current.
    void exchangeSlice(uint32_t slice);

    /// Builds the six displacements from the engine's cell sizes (call again after changing them).
    void setDisplacements();
    /// The vectors of the cells that no front reaches: (reach, reach, reach), and `source` for the
    /// cells marked as sources.
    void setUnreachedDistances(float reach, const std::array<float, 3> &source)
    {
        m_scratch.setUnreached(reach, source);
    }
    /// Makes sideways steps count 1/ratio of their length; a ratio of 0 or less makes every
    /// sideways step longer than `reach`. Changes only the engine's copies of the cell sizes.
    void applyHorizontalRatio(float ratio, float reach);
    float minCellSize() const { return std::min(m_cx, std::min(m_cy, m_cz)); }

    /// Puts a cell into the first front of its slice (from `initializeCell` only).
    void joinFront(uint32_t index, uint32_t slice) { m_work[slice].front.push_back(index); }
    /// Marks a cell during the initialization: settled cells never change, sources carry the
    /// source vector until they are reached.
    void mark(uint32_t index, bool settled, bool source = false)
    {
        m_scratch.setMarks(index,
                           uint8_t((settled ? DistanceScratch::Settled : 0) | (source ? DistanceScratch::Source : 0)));
    }
    bool isSettled(uint32_t index) const { return m_scratch.isSettled(index); }
    /// The squared length of the cell's vector.
    float lengthSquared(uint32_t index) const
    {
        uint32_t x, y, z;
        coordinatesOf(index, x, y, z);
        float d[3];
        m_scratch.distance(index, x, y, z, d);
        return d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    }
    void recordChange(uint32_t slice, uint32_t index, uint32_t state, const float distance[3])
    {
        m_work[slice].changes.push_back(Change{index, state, {distance[0], distance[1], distance[2]}});
    }

    bool isPassable(uint32_t state) const
    {
        for (uint32_t s : m_passableStates)
            if (s == state)
                return true;
        return false;
    }

    void coordinatesOf(uint32_t index, uint32_t &x, uint32_t &y, uint32_t &z) const
    {
        x = m_byColumn.divide(index);
        const uint32_t rest = index - x * m_columnSize;
        y = m_byHeight.divide(rest);
        z = rest - y * m_nz;
    }
    /// Bit k is set when neighbour k of the cell at (x, y, z) lies inside the volume.
    unsigned insideNeighbours(uint32_t x, uint32_t y, uint32_t z) const
    {
        return unsigned(z > 0) | unsigned(z + 1 < m_nz) << 1 | unsigned(y > 0) << 2 | unsigned(y + 1 < m_ny) << 3 |
               unsigned(x > 0) << 4 | unsigned(x + 1 < m_nx) << 5;
    }
    unsigned insideNeighbours(uint32_t index) const
    {
        uint32_t x, y, z;
        coordinatesOf(index, x, y, z);
        return insideNeighbours(x, y, z);
    }
    uint32_t neighbourIndex(uint32_t index, unsigned k) const
    {
        return static_cast<uint32_t>(static_cast<int64_t>(index) + m_indexSteps[k]);
    }

    /// True when the state of a face neighbour inside the volume satisfies `test` (stops at the first).
    template <class Test> bool anyNeighbour(uint32_t index, Test test) const
    {
        const unsigned inside = insideNeighbours(index);
        for (unsigned k = 0; k < 6; ++k)
            if ((inside >> k & 1) && test(m_cells.state(neighbourIndex(index, k))))
                return true;
        return false;
    }

    /// How long a vector may grow, squared: one limit for cells that are empty, one for occupied ones.
    struct Limits {
        float empty;
        float occupied;
        float of(uint32_t state) const { return state != 0 ? occupied : empty; }
    };
    /// One limit for every cell.
    struct Limit {
        float squared;
        float of(uint32_t) const { return squared; }
    };

    /// The shared distance update: takes over the shortest neighbour vector plus displacement that
    /// is shorter than the cell's own and no longer than the limit of its state, and records the
    /// change to `newState`. True when the cell changed.
    ///
    /// Of the passable neighbours it enqueues only those that the new vector improves within their
    /// own limit: a neighbour it does not improve now cannot be improved by it later (vectors only
    /// get shorter), and every other offer reached that neighbour when it was made. The result is
    /// the same as re-visiting every passable neighbour, with far smaller fronts. This holds for
    /// engines whose entry test in `updateCell` gives the same answer for a cell throughout the
    /// run, as for all engines here.
    bool updateDistance(uint32_t index, uint32_t newState, Limits limits, uint32_t begin, uint32_t end,
                        FrontSet &nextFront, uint32_t slice);
    /// The same with one limit, sqrt(limitSquared), for every cell (the common case, kept apart
    /// because it runs for every front cell).
    bool updateDistance(uint32_t index, uint32_t newState, float limitSquared, uint32_t begin, uint32_t end,
                        FrontSet &nextFront, uint32_t slice);

    Model::Automaton::TotalVolume &m_volume;
    uint32_t m_sliceCount = 1;
    uint32_t m_sliceWidth = 0;
    std::vector<uint32_t> m_sliceBounds;
    /// What one slice's task writes while it runs. Each slice's record starts a cache line of its
    /// own: the vectors' ends and the front set's bounds change with every cell that is queued or
    /// changed, and sharing a line with the neighbouring slice's would make the two threads take
    /// the line from each other on every write.
    struct alignas(64) SliceWork {
        std::vector<uint32_t> front;
        FrontSet nextFront;
        std::vector<uint32_t> leftOutbox;
        std::vector<uint32_t> rightOutbox;
        std::vector<Change> changes;
        std::mutex mutex;
    };
    std::vector<SliceWork> m_work;
    std::vector<uint32_t> m_passableStates;
    uint32_t m_nx;
    uint32_t m_ny;
    uint32_t m_nz;
    uint32_t m_columnSize;
    float m_cx;
    float m_cy;
    float m_cz;
    std::array<std::array<float, 3>, 6> m_displacements{};
    std::array<int64_t, 6> m_indexSteps{};
    /// The volume's cells while a run holds their lock.
    Model::Automaton::Cells m_cells;
    /// With only front cells visited, an iteration without fronts changes nothing, so the run
    /// ends there. An engine whose `stepSlice` also works without a front turns this off.
    bool m_stopWhenFrontsAreEmpty = true;

    /// The whole run; `finalize` chooses whether the per-cell finalization pass runs.
    void runPasses(uint32_t iterations, bool finalize);

private:
    /// Exact division of 32-bit numbers by a fixed divisor, by one multiplication.
    /// (ceil(2^64 / d) * n) >> 64 is n / d for every 32-bit n and d > 1.
    struct Divider {
        uint64_t multiplier = 0;
        explicit Divider(uint32_t divisor = 1)
            : multiplier(divisor > 1 ? ~uint64_t(0) / divisor + 1 : 0)
        {
        }
        uint32_t divide(uint32_t n) const
        {
            if (multiplier == 0)
                return n;
            return static_cast<uint32_t>((static_cast<unsigned __int128>(multiplier) * n) >> 64);
        }
    };

    /// The body of both `updateDistance`s, for a `Limit` or `Limits`.
    template <class LimitOf>
    bool updateDistanceWithin(uint32_t index, uint32_t newState, LimitOf limits, uint32_t begin, uint32_t end,
                              FrontSet &nextFront, uint32_t slice);
    /// Queues the neighbour at column `x` for the next iteration: into the slice's own front, or
    /// into the outbox towards the slice that holds it.
    void enqueue(uint32_t neighbour, uint32_t x, uint32_t begin, uint32_t end, FrontSet &nextFront, uint32_t slice)
    {
        if (x >= end)
            m_work[slice].rightOutbox.push_back(neighbour);
        else if (x < begin)
            m_work[slice].leftOutbox.push_back(neighbour);
        else
            nextFront.insert(neighbour);
    }

    Divider m_byColumn;
    Divider m_byHeight;

    DistanceScratch m_scratch;
    uint32_t m_iterationsRun = 0;
    size_t m_bricksUsed = 0;
};

/// The same engine without the final per-cell pass.
class AbstractDistanceCountingAutomatonNoFinalize : public AbstractDistanceCountingAutomatonBase {
public:
    explicit AbstractDistanceCountingAutomatonNoFinalize(Model::Automaton::TotalVolume &volume);
    void run(uint32_t iterations) override;

protected:
    void finalizeCell(uint32_t, uint32_t) override {}
};

} // namespace Operations
} // namespace Core
