#include "photolithography.h"

#include "Model/Automaton/totalvolume.h"
#include "Util/runstage.h"

#include <algorithm>

namespace Core {
namespace Operations {

Photolithography::Photolithography(Model::Automaton::TotalVolume &volume, uint32_t material,
                                   const QBitArray &bottomMask, uint32_t bottomWidth, uint32_t bottomHeight,
                                   const QBitArray &topMask, uint32_t topWidth, uint32_t topHeight)
    : m_volume(volume)
    , m_material(material)
    , m_negative(material == negativeResist)
    , m_nx(volume.sizeX())
    , m_ny(volume.sizeY())
    , m_nz(volume.sizeZ())
{
    m_bottomKeep = keepMap(MaskBits{bottomMask, bottomWidth, bottomHeight});
    m_topKeep = keepMap(MaskBits{topMask, topWidth, topHeight});

    const uint32_t threads = Util::poolThreadCount();
    const uint32_t width = m_nx / threads;
    if (width <= 1) {
        m_slices.resize(1);
        m_slices[0].columns = ColumnSlice{0, m_nx};
    } else {
        m_slices.resize(threads);
        for (uint32_t i = 0; i < threads; ++i)
            m_slices[i].columns = ColumnSlice{width * i, i + 1 == threads ? m_nx : width * i + width};
    }
}

std::vector<uint8_t> Photolithography::keepMap(const MaskBits &mask) const
{
    const size_t columns = static_cast<size_t>(m_nx) * m_ny;
    // A mask that does not hold width * height bits is not used: every column is exposed.
    if (!mask.isConsistent())
        return std::vector<uint8_t>(columns, 0);
    std::vector<uint8_t> keep(columns, m_negative ? 1 : 0);
    const uint32_t w = std::min(mask.width, m_nx);
    const uint32_t h = std::min(mask.height, m_ny);
    for (uint32_t x = 0; x < w; ++x)
        for (uint32_t y = 0; y < h; ++y)
            keep[static_cast<size_t>(x) * m_ny + y] =
                mask.bits.testBit(static_cast<int>(x * mask.height + y)) != m_negative;
    return keep;
}

void Photolithography::run()
{
    Util::RunStage stage(m_control, uint64_t(m_nz) + 1);
    if (stage.stopHere())
        return;
    Model::Automaton::CellLock lock(m_volume);
    m_cells = lock.cells();
    const auto count = static_cast<uint32_t>(m_slices.size());
    Util::runParallelTasks(count, [this](uint32_t t) {
        initialize(static_cast<int32_t>(m_slices[t].columns.begin), static_cast<int32_t>(m_slices[t].columns.end), t);
    });
    stage.advance();
    for (uint32_t s = 0; s < m_nz; ++s) {
        if (stage.stopHere()) {
            m_cells = nullptr;
            return;
        }
        const bool anyFront =
            std::any_of(m_slices.begin(), m_slices.end(), [](const Slice &slice) { return !slice.front.empty(); });
        // Nothing left to develop; the remaining steps would change nothing.
        if (!anyFront)
            break;
        Util::runParallelTasks(count, [this](uint32_t t) { step(t); });
        stage.advance();
    }
    stage.finish();
    m_cells = nullptr;
}

void Photolithography::initialize(int32_t begin, int32_t end, uint32_t t)
{
    Slice &slice = m_slices[t];
    slice.front.clear();
    for (auto x = static_cast<uint32_t>(begin); x < static_cast<uint32_t>(end); ++x)
        for (uint32_t y = 0; y < m_ny; ++y) {
            const size_t column = static_cast<size_t>(x) * m_ny + y;
            const bool topOpen = m_topKeep[column] == 0;
            const bool bottomOpen = m_bottomKeep[column] == 0;
            if (!topOpen && !bottomOpen)
                continue;
            const size_t first = column * m_nz;
            const Model::Automaton::Voxel *cells = m_cells + first;
            for (uint32_t z = 0; z < m_nz; ++z) {
                if (cells[z].state() != m_material)
                    continue;
                const bool fromTop = topOpen && z + 1 < m_nz && cells[z + 1].state() == 0;
                const bool fromBelow = bottomOpen && z > 0 && cells[z - 1].state() == 0;
                if (fromTop || fromBelow)
                    slice.front.push_back(first + z);
            }
        }
}

void Photolithography::step(uint32_t t)
{
    Slice &slice = m_slices[t];
    slice.next.clear();
    slice.removals.clear();
    for (size_t c : slice.front) {
        if (m_cells[c].state() != m_material)
            continue;
        slice.removals.push_back(c);
        const size_t z = c % m_nz;
        if (z + 1 < m_nz)
            slice.next.push_back(c + 1);
        if (z > 0)
            slice.next.push_back(c - 1);
    }
    for (size_t c : slice.removals)
        m_cells[c].setState(0);
    std::sort(slice.next.begin(), slice.next.end());
    slice.next.erase(std::unique(slice.next.begin(), slice.next.end()), slice.next.end());
    std::swap(slice.front, slice.next);
}

} // namespace Operations
} // namespace Core
