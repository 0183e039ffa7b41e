#include "Core/Engines/Moore/mooreneighborhoodautomaton.h"

#include "Core/Engines/Columns/columnslabs.h"
#include "Model/Volume/totalvolume.h"
#include "Util/runstage.h"

#include <utility>

namespace Core {
namespace Operations {

const std::array<MooreNeighborhoodAutomaton::Offset, 26> &MooreNeighborhoodAutomaton::offsets()
{
    static const std::array<Offset, 26> table = [] {
        std::array<Offset, 26> result{};
        size_t k = 0;
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                for (int dz = -1; dz <= 1; ++dz)
                    if (dx != 0 || dy != 0 || dz != 0)
                        result[k++] = Offset{dx, dy, dz};
        return result;
    }();
    return table;
}

MooreNeighborhoodAutomaton::MooreNeighborhoodAutomaton(Model::Automaton::TotalVolume &volume, uint32_t material,
                                                       uint32_t layerCount, Mode mode)
    : m_volume(volume)
    , m_material(material)
    , m_layerCount(layerCount)
    , m_mode(mode)
    , m_nx(volume.sizeX())
    , m_ny(volume.sizeY())
    , m_nz(volume.sizeZ())
{
    m_row = static_cast<size_t>(m_nz) + 2;
    m_plane = (static_cast<size_t>(m_ny) + 2) * m_row;
    const auto &table = offsets();
    for (size_t k = 0; k < table.size(); ++k)
        m_neighbourOffsets[k] = static_cast<std::ptrdiff_t>(table[k].dx) * static_cast<std::ptrdiff_t>(m_plane) +
                                static_cast<std::ptrdiff_t>(table[k].dy) * static_cast<std::ptrdiff_t>(m_row) +
                                table[k].dz;

    for (const ColumnSlice &columns : columnSlabs(m_nx)) {
        m_slices.push_back(std::make_unique<Slice>());
        m_slices.back()->columns = columns;
    }
}

MooreNeighborhoodAutomaton::~MooreNeighborhoodAutomaton() = default;

uint8_t MooreNeighborhoodAutomaton::role(uint32_t state) const
{
    if (m_mode == Mode::Deposition)
        return state == 0 ? Target : Source;
    if (state == 0)
        return Source;
    return state == m_material ? Target : Blocked;
}

size_t MooreNeighborhoodAutomaton::paddedIndex(uint32_t x, uint32_t y, uint32_t z) const
{
    return (static_cast<size_t>(x) + 1) * m_plane + (static_cast<size_t>(y) + 1) * m_row + z + 1;
}

size_t MooreNeighborhoodAutomaton::cellIndex(size_t padded) const
{
    const size_t x = padded / m_plane - 1;
    const size_t rest = padded % m_plane;
    const size_t y = rest / m_row - 1;
    const size_t z = rest % m_row - 1;
    return (x * m_ny + y) * m_nz + z;
}

void MooreNeighborhoodAutomaton::run()
{
    // Material 0 would make the film empty space: nothing to do. No layers: nothing either.
    Util::RunStage stage(m_control, uint64_t(m_layerCount) + 1);
    if (m_material == 0 || m_layerCount == 0) {
        stage.finish();
        return;
    }
    if (stage.stopHere())
        return;

    Model::Automaton::CellLock lock(m_volume);
    m_cells = lock.cells();
    m_roles.assign((static_cast<size_t>(m_nx) + 2) * m_plane, Blocked);
    m_nextMarks.assign(m_roles.size(), 0);

    const uint32_t count = sliceCount();
    Util::runParallelTasks(count,
                           [this](uint32_t t) { classifySlice(m_slices[t]->columns.begin, m_slices[t]->columns.end); });
    Util::runParallelTasks(
        count, [this](uint32_t t) { initializeSlice(m_slices[t]->columns.begin, m_slices[t]->columns.end, t); });
    // Seeds take the front role only now: while the slices searched, their neighbours read these roles.
    for (const auto &slice : m_slices)
        for (size_t p : slice->front)
            m_roles[p] = Front;
    stage.advance();

    bool stopped = false;
    for (uint32_t step = 0; step < m_layerCount; ++step) {
        if (stage.stopHere()) {
            stopped = true;
            break;
        }
        bool anyFront = false;
        for (const auto &slice : m_slices)
            anyFront = anyFront || !slice->front.empty();
        // An empty front stays empty: the remaining steps would change nothing.
        if (!anyFront)
            break;
        Util::runParallelTasks(
            count, [this](uint32_t t) { stepSlice(m_slices[t]->columns.begin, m_slices[t]->columns.end, t); });
        Util::runParallelTasks(count, [this](uint32_t t) { applyStep(t); });
        stage.advance();
    }
    if (!stopped)
        stage.finish();

    m_roles = std::vector<uint8_t>();
    m_nextMarks = std::vector<uint8_t>();
    m_cells = Model::Automaton::Cells();
}

void MooreNeighborhoodAutomaton::classifySlice(uint32_t begin, uint32_t end)
{
    for (uint32_t x = begin; x < end; ++x)
        for (uint32_t y = 0; y < m_ny; ++y) {
            const Model::Automaton::Cells::State *column = m_cells.states() + m_volume.index(x, y, 0);
            uint8_t *roles = m_roles.data() + paddedIndex(x, y, 0);
            for (uint32_t z = 0; z < m_nz; ++z)
                roles[z] = role(column[z]);
        }
}

void MooreNeighborhoodAutomaton::sourcePlane(size_t paddedX, std::vector<uint8_t> &plane,
                                             std::vector<uint8_t> &work) const
{
    // Whether a source lies within one cell along y and z, for every (y, z) of the padded plane.
    const uint8_t *roles = m_roles.data() + paddedX * m_plane;
    work.assign(m_plane, 0);
    plane.assign(m_plane, 0);
    for (size_t y = 0; y < m_ny + 2; ++y) {
        const uint8_t *r = roles + y * m_row;
        uint8_t *w = work.data() + y * m_row;
        for (size_t z = 1; z + 1 < m_row; ++z)
            w[z] = static_cast<uint8_t>((r[z - 1] == Source) | (r[z] == Source) | (r[z + 1] == Source));
    }
    for (size_t y = 1; y + 1 < m_ny + 2; ++y) {
        const uint8_t *below = work.data() + (y - 1) * m_row;
        const uint8_t *here = below + m_row;
        const uint8_t *above = here + m_row;
        uint8_t *out = plane.data() + y * m_row;
        for (size_t z = 1; z + 1 < m_row; ++z)
            out[z] = static_cast<uint8_t>(below[z] | here[z] | above[z]);
    }
}

void MooreNeighborhoodAutomaton::initializeSlice(uint32_t begin, uint32_t end, uint32_t t)
{
    Slice &slice = *m_slices[t];
    std::lock_guard<std::mutex> guard(slice.mutex);
    slice.front.clear();
    if (begin >= end)
        return;
    // A target joins the front when any of its 26 neighbours is a source. The test is done for
    // whole planes at once: sources spread by one cell along z, then y, then x. The border is
    // blocked, so neighbours outside the volume never count.
    std::vector<uint8_t> work;
    std::vector<uint8_t> previous, current, following;
    sourcePlane(begin, previous, work);
    sourcePlane(static_cast<size_t>(begin) + 1, current, work);
    const uint8_t *roles = m_roles.data();
    for (uint32_t x = begin; x < end; ++x) {
        sourcePlane(static_cast<size_t>(x) + 2, following, work);
        const size_t planeStart = (static_cast<size_t>(x) + 1) * m_plane;
        for (uint32_t y = 0; y < m_ny; ++y) {
            const size_t offset = (static_cast<size_t>(y) + 1) * m_row + 1;
            for (size_t z = 0; z < m_nz; ++z) {
                const size_t p = planeStart + offset + z;
                if (roles[p] == Target && (previous[offset + z] | current[offset + z] | following[offset + z]))
                    slice.front.push_back(p);
            }
        }
        std::swap(previous, current);
        std::swap(current, following);
    }
}

inline void MooreNeighborhoodAutomaton::addToNext(Slice &slice, size_t padded)
{
    if (!m_nextMarks[padded]) {
        m_nextMarks[padded] = 1;
        slice.next.push_back(padded);
    }
}

void MooreNeighborhoodAutomaton::stepSlice(uint32_t begin, uint32_t end, uint32_t t)
{
    Slice &slice = *m_slices[t];
    std::lock_guard<std::mutex> guard(slice.mutex);
    slice.leftOutbox.clear();
    slice.rightOutbox.clear();
    slice.changes.clear();
    slice.next.clear();

    const uint8_t *roles = m_roles.data();
    const auto &table = offsets();

    for (size_t p : slice.front) {
        // Every cell of the front is a target that changes in this step. Cells that changed in an
        // earlier step never rejoin: they would only announce cells that the targets announce too.
        slice.changes.push_back(p);
        const size_t x = p / m_plane - 1;
        const bool atLeft = x == begin;
        const bool atRight = x + 1 == end;
        for (size_t k = 0; k < table.size(); ++k) {
            const size_t q = p + m_neighbourOffsets[k];
            // Front cells change in this very step; they are not part of the next front.
            if (roles[q] != Target)
                continue;
            if (table[k].dx < 0 && atLeft)
                slice.leftOutbox.push_back(q);
            else if (table[k].dx > 0 && atRight)
                slice.rightOutbox.push_back(q);
            else
                addToNext(slice, q);
        }
    }
}

void MooreNeighborhoodAutomaton::applyStep(uint32_t t)
{
    Slice &slice = *m_slices[t];
    if (t > 0) {
        Slice &left = *m_slices[t - 1];
        std::lock_guard<std::mutex> guard(left.mutex);
        for (size_t p : left.rightOutbox)
            addToNext(slice, p);
    }
    if (t + 1 < sliceCount()) {
        Slice &right = *m_slices[t + 1];
        std::lock_guard<std::mutex> guard(right.mutex);
        for (size_t p : right.leftOutbox)
            addToNext(slice, p);
    }

    std::lock_guard<std::mutex> guard(slice.mutex);
    const uint32_t newState = m_mode == Mode::Deposition ? m_material : 0u;
    for (size_t p : slice.changes) {
        m_roles[p] = Source;
        m_cells.setState(cellIndex(p), newState);
    }
    for (size_t p : slice.next) {
        m_roles[p] = Front;
        m_nextMarks[p] = 0;
    }
    std::swap(slice.front, slice.next);
}

} // namespace Operations
} // namespace Core
