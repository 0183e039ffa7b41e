#include "Core/Engines/DistanceCounting/abstractdistancecountingautomatonbase.h"

#include "Model/Volume/totalvolume.h"
#include "Util/paralleltasks.h"
#include "Util/runstage.h"

#include <limits>
#include <stdexcept>

namespace Core {
namespace Operations {

// A volume is made only with room for an engine's work per cell: the marks, the brick table and
// the fronts' bits (the bricks of the band come on top, a few per surface cell).
static_assert(DistanceScratch::fixedBytesPerCell + 1.0 / 8.0 <= Model::Automaton::TotalVolume::engineBytesPerCell,
              "the distance-counting engines must fit in what a volume keeps free for them");

AbstractDistanceCountingAutomatonBase::AbstractDistanceCountingAutomatonBase(Model::Automaton::TotalVolume &volume)
    : m_volume(volume)
    , m_nx(volume.sizeX())
    , m_ny(volume.sizeY())
    , m_nz(volume.sizeZ())
    , m_columnSize(volume.sizeY() * volume.sizeZ())
    , m_cx(volume.cellSizeX())
    , m_cy(volume.cellSizeY())
    , m_cz(volume.cellSizeZ())
    , m_byColumn(volume.sizeY() * volume.sizeZ())
    , m_byHeight(volume.sizeZ())
{
    // Cell indices are kept in 32 bits to halve the memory of fronts and change lists.
    if (volume.cellCount() > std::numeric_limits<uint32_t>::max())
        throw std::runtime_error("The cell volume has too many cells for this process.");

    m_sliceCount = Util::poolThreadCount();
    m_sliceWidth = m_nx / m_sliceCount;
    if (m_sliceWidth == 0) {
        m_sliceWidth = m_nx;
        m_sliceCount = 1;
    }
    // The first (nx mod q) slices take one extra column; the last one always ends at nx.
    const uint32_t wider = m_nx % m_sliceWidth;
    m_sliceBounds.resize(m_sliceCount + 1);
    m_sliceBounds[0] = 0;
    for (uint32_t i = 0; i < m_sliceCount; ++i)
        m_sliceBounds[i + 1] = m_sliceBounds[i] + m_sliceWidth + (i < wider ? 1 : 0);
    m_sliceBounds[m_sliceCount] = m_nx;

    m_work = std::vector<SliceWork>(m_sliceCount);

    const int64_t steps[6] = {-1, 1, -int64_t(m_nz), int64_t(m_nz), -int64_t(m_columnSize), int64_t(m_columnSize)};
    for (int k = 0; k < 6; ++k)
        m_indexSteps[k] = steps[k];
    setDisplacements();
}

AbstractDistanceCountingAutomatonBase::~AbstractDistanceCountingAutomatonBase() = default;

void AbstractDistanceCountingAutomatonBase::setDisplacements()
{
    for (int k = 0; k < 6; ++k) {
        m_displacements[k][0] = float(neighbourOffsets[k][0]) * m_cx;
        m_displacements[k][1] = float(neighbourOffsets[k][1]) * m_cy;
        m_displacements[k][2] = float(neighbourOffsets[k][2]) * m_cz;
    }
}

void AbstractDistanceCountingAutomatonBase::applyHorizontalRatio(float ratio, float reach)
{
    if (ratio > 0.0f) {
        m_cx /= ratio;
        m_cy /= ratio;
    } else {
        m_cx = 2.0f * reach;
        m_cy = 2.0f * reach;
    }
    setDisplacements();
}

void AbstractDistanceCountingAutomatonBase::run(uint32_t iterations) { runPasses(iterations, true); }

void AbstractDistanceCountingAutomatonBase::runPasses(uint32_t iterations, bool finalize)
{
    // The seeding pass counts as one step, every iteration as one more.
    Util::RunStage stage(m_control, uint64_t(iterations) + 1);
    if (stage.stopHere())
        return;
    Model::Automaton::CellLock lock(m_volume);
    m_cells = lock.cells();
    m_iterationsRun = 0;
    // The marks, vectors and fronts live as long as the run, whichever way it ends.
    struct Release {
        AbstractDistanceCountingAutomatonBase &engine;
        ~Release()
        {
            engine.m_bricksUsed = engine.m_scratch.brickCount();
            engine.m_scratch.release();
            for (SliceWork &work : engine.m_work) {
                work.nextFront = FrontSet();
                std::vector<uint32_t>().swap(work.front);
                std::vector<uint32_t>().swap(work.leftOutbox);
                std::vector<uint32_t>().swap(work.rightOutbox);
                std::vector<Change>().swap(work.changes);
            }
            engine.m_cells = Model::Automaton::Cells();
        }
    } release{*this};
    m_scratch.allocate(m_nx, m_ny, m_nz, m_sliceCount);

    for (uint32_t slice = 0; slice < m_sliceCount; ++slice) {
        const uint64_t first = uint64_t(sliceBegin(slice)) * m_columnSize;
        const uint64_t count = uint64_t(sliceEnd(slice) - sliceBegin(slice)) * m_columnSize;
        m_work[slice].nextFront.reset(first, count);
        m_work[slice].front.clear();
    }

    Util::runParallelTasks(m_sliceCount,
                           [this](uint32_t slice) { initializeSlice(sliceBegin(slice), sliceEnd(slice), slice); });
    afterInitialization();
    stage.advance();

    bool stopped = false;
    for (uint32_t i = 0; i < iterations; ++i) {
        // Between iterations every change of the last one is written: the cells are whole.
        if (stage.stopHere()) {
            stopped = true;
            break;
        }
        bool anyFront = false;
        for (const auto &work : m_work)
            anyFront = anyFront || !work.front.empty();
        // An empty front stays empty: the remaining iterations could not change a cell.
        if (!anyFront && m_stopWhenFrontsAreEmpty)
            break;
        Util::runParallelTasks(m_sliceCount,
                               [this](uint32_t slice) { stepSlice(sliceBegin(slice), sliceEnd(slice), slice); });
        Util::runParallelTasks(m_sliceCount, [this](uint32_t slice) { exchangeSlice(slice); });
        ++m_iterationsRun;
        stage.advance();
    }

    if (finalize && !stopped)
        Util::runParallelTasks(m_sliceCount,
                               [this](uint32_t slice) { finalizeSlice(sliceBegin(slice), sliceEnd(slice), slice); });
    if (!stopped)
        stage.finish();
}

void AbstractDistanceCountingAutomatonBase::initializeSlice(uint32_t begin, uint32_t end, uint32_t slice)
{
    const uint32_t first = begin * m_columnSize;
    const uint32_t last = end * m_columnSize;
    for (uint32_t index = first; index < last; ++index)
        initializeCell(index, slice);
}

void AbstractDistanceCountingAutomatonBase::finalizeSlice(uint32_t begin, uint32_t end, uint32_t slice)
{
    const uint32_t first = begin * m_columnSize;
    const uint32_t last = end * m_columnSize;
    for (uint32_t index = first; index < last; ++index)
        finalizeCell(index, slice);
}

void AbstractDistanceCountingAutomatonBase::stepSlice(uint32_t begin, uint32_t end, uint32_t slice)
{
    std::lock_guard<std::mutex> guard(m_work[slice].mutex);
    m_work[slice].leftOutbox.clear();
    m_work[slice].rightOutbox.clear();
    m_work[slice].changes.clear();
    FrontSet &next = m_work[slice].nextFront;
    const std::vector<uint32_t> &front = m_work[slice].front;
    const size_t count = front.size();
    // Front cells lie far apart in memory (a layer is strided by whole columns), so the cells a
    // few steps ahead and their +x neighbours are fetched early instead of waiting on each miss.
    constexpr size_t ahead = 40;
    const uint64_t cellCount = uint64_t(m_nx) * m_columnSize;
    const Model::Automaton::Cells::State *states = m_cells.states();
    for (size_t i = 0; i < count; ++i) {
        if (i + ahead < count) {
            const uint32_t later = front[i + ahead];
            __builtin_prefetch(states + later);
            m_scratch.prefetch(later);
            next.prefetch(later);
            if (later + uint64_t(m_columnSize) < cellCount) {
                __builtin_prefetch(states + later + m_columnSize);
                m_scratch.prefetch(later + m_columnSize);
                next.prefetch(later + uint64_t(m_columnSize));
            }
        }
        updateCell(front[i], begin, end, next, slice);
    }
}

void AbstractDistanceCountingAutomatonBase::exchangeSlice(uint32_t slice)
{
    FrontSet &next = m_work[slice].nextFront;
    if (slice > 0) {
        std::lock_guard<std::mutex> guard(m_work[slice - 1].mutex);
        for (uint32_t index : m_work[slice - 1].rightOutbox)
            next.insert(index);
    }
    if (slice + 1 < m_sliceCount) {
        std::lock_guard<std::mutex> guard(m_work[slice + 1].mutex);
        for (uint32_t index : m_work[slice + 1].leftOutbox)
            next.insert(index);
    }
    applyChanges(slice);
    next.takeSorted(m_work[slice].front);
}

void AbstractDistanceCountingAutomatonBase::seedFrontsAround(const std::vector<std::vector<uint32_t>> &sources)
{
    Util::runParallelTasks(m_sliceCount, [this, &sources](uint32_t slice) {
        std::lock_guard<std::mutex> guard(m_work[slice].mutex);
        m_work[slice].leftOutbox.clear();
        m_work[slice].rightOutbox.clear();
        m_work[slice].changes.clear();
        FrontSet &next = m_work[slice].nextFront;
        // Cells joined in initializeCell stay in the front.
        for (uint32_t index : m_work[slice].front)
            next.insert(index);
        const uint32_t begin = sliceBegin(slice);
        const uint32_t end = sliceEnd(slice);
        for (uint32_t source : sources[slice]) {
            const unsigned inside = insideNeighbours(source);
            const uint32_t x = m_byColumn.divide(source);
            for (unsigned k = 0; k < 6; ++k) {
                if (!(inside >> k & 1))
                    continue;
                const uint32_t neighbour = neighbourIndex(source, k);
                if (m_scratch.isSettled(neighbour) || !isPassable(m_cells.state(neighbour)))
                    continue;
                enqueue(neighbour, x + uint32_t(neighbourOffsets[k][0]), begin, end, next, slice);
            }
        }
    });
    Util::runParallelTasks(m_sliceCount, [this](uint32_t slice) { exchangeSlice(slice); });
}

void AbstractDistanceCountingAutomatonBase::applyChanges(uint32_t slice)
{
    for (const Change &change : m_work[slice].changes) {
        m_cells.setState(change.index, change.state);
        uint32_t x, y, z;
        coordinatesOf(change.index, x, y, z);
        m_scratch.setDistance(change.index, x, y, z, change.distance, slice);
    }
}

bool AbstractDistanceCountingAutomatonBase::updateDistance(uint32_t index, uint32_t newState, Limits limits,
                                                           uint32_t begin, uint32_t end, FrontSet &nextFront,
                                                           uint32_t slice)
{
    return updateDistanceWithin(index, newState, limits, begin, end, nextFront, slice);
}

bool AbstractDistanceCountingAutomatonBase::updateDistance(uint32_t index, uint32_t newState, float limitSquared,
                                                           uint32_t begin, uint32_t end, FrontSet &nextFront,
                                                           uint32_t slice)
{
    return updateDistanceWithin(index, newState, Limit{limitSquared}, begin, end, nextFront, slice);
}

template <class LimitOf>
bool AbstractDistanceCountingAutomatonBase::updateDistanceWithin(uint32_t index, uint32_t newState, LimitOf limits,
                                                                 uint32_t begin, uint32_t end, FrontSet &nextFront,
                                                                 uint32_t slice)
{
    uint32_t x, y, z;
    coordinatesOf(index, x, y, z);
    const unsigned inside = insideNeighbours(x, y, z);
    const float limitSquared = limits.of(m_cells.state(index));
    float own[3];
    m_scratch.distance(index, x, y, z, own);
    float best = own[0] * own[0] + own[1] * own[1] + own[2] * own[2];
    float chosen[3] = {0.0f, 0.0f, 0.0f};
    bool found = false;
    // The neighbours' vectors, read once for both passes below (nothing writes them in this half).
    float around[6][3];
    for (unsigned k = 0; k < 6; ++k) {
        if (!(inside >> k & 1))
            continue;
        float *n = around[k];
        m_scratch.distance(neighbourIndex(index, k), x + uint32_t(neighbourOffsets[k][0]),
                           y + uint32_t(neighbourOffsets[k][1]), z + uint32_t(neighbourOffsets[k][2]), n);
        const float wx = n[0] + m_displacements[k][0];
        const float wy = n[1] + m_displacements[k][1];
        const float wz = n[2] + m_displacements[k][2];
        const float length = wx * wx + wy * wy + wz * wz;
        if (length < best && length <= limitSquared) {
            best = length;
            chosen[0] = wx;
            chosen[1] = wy;
            chosen[2] = wz;
            found = true;
        }
    }
    if (!found)
        return false;
    recordChange(slice, index, newState, chosen);

    // Queue the passable neighbours that the new vector improves within their own limit.
    for (unsigned k = 0; k < 6; ++k) {
        if (!(inside >> k & 1))
            continue;
        const uint32_t neighbour = neighbourIndex(index, k);
        const uint32_t state = m_cells.state(neighbour);
        if (!isPassable(state))
            continue;
        // The neighbour's own view of this cell is through the opposite displacement (k ^ 1);
        // the same operations in the same order give the same float it will compute.
        const unsigned back = k ^ 1;
        const float wx = chosen[0] + m_displacements[back][0];
        const float wy = chosen[1] + m_displacements[back][1];
        const float wz = chosen[2] + m_displacements[back][2];
        const float offer = wx * wx + wy * wy + wz * wz;
        const float *n = around[k];
        const float current = n[0] * n[0] + n[1] * n[1] + n[2] * n[2];
        if (offer < current && offer <= limits.of(state))
            enqueue(neighbour, x + uint32_t(neighbourOffsets[k][0]), begin, end, nextFront, slice);
    }
    return true;
}

AbstractDistanceCountingAutomatonNoFinalize::AbstractDistanceCountingAutomatonNoFinalize(
    Model::Automaton::TotalVolume &volume)
    : AbstractDistanceCountingAutomatonBase(volume)
{
}

void AbstractDistanceCountingAutomatonNoFinalize::run(uint32_t iterations) { runPasses(iterations, false); }

} // namespace Operations
} // namespace Core
