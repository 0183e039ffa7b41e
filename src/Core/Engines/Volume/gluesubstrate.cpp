#include "Core/Engines/Volume/gluesubstrate.h"

#include "Util/paralleltasks.h"
#include "Util/runstage.h"

#include <QString>

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace Core {
namespace Operations {

using Model::Automaton::CellLock;
using Model::Automaton::Cells;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;

namespace {

/// Slab i of `workers` over [0, size): equal shares, the last one taking the rest.
void slab(uint32_t size, uint32_t workers, uint32_t i, uint32_t &begin, uint32_t &end)
{
    const uint32_t chunk = size / workers;
    begin = chunk * i;
    end = i + 1 == workers ? size : chunk * (i + 1);
}

/// True when the base's layers, and the top's shifted by the layout, lie inside the result.
bool fits(const GlueLayout &l, const TotalVolume &base, const TotalVolume &top)
{
    const bool layers = l.baseTop <= base.sizeZ() && l.topLowest <= l.topEnd && l.topEnd <= top.sizeZ() &&
                        l.stackedHeight == l.baseTop + (l.topEnd - l.topLowest) && l.finalZ >= l.stackedHeight;
    const bool footprint = l.finalX >= base.sizeX() && l.finalY >= base.sizeY() && l.shiftX <= l.finalX &&
                           l.shiftY <= l.finalY && l.finalX - l.shiftX >= top.sizeX() &&
                           l.finalY - l.shiftY >= top.sizeY();
    return layers && footprint;
}

} // namespace

GlueSubstrate::GlueSubstrate(TotalVolume &base, TotalVolume &top, const GlueLayout &layout)
    : m_base(base)
    , m_top(top)
    , m_layout(layout)
{
}

TotalVolumePtr GlueSubstrate::run()
{
    const GlueLayout &l = m_layout;
    // Both volumes are locked below and the cell mutex is not recursive.
    if (&m_base == &m_top)
        throw std::invalid_argument("a cell volume cannot be glued onto itself");
    if (!l.heightFits) {
        throw Model::Automaton::VolumeAllocationError(
            QStringLiteral("Cannot create a cell volume of more than %1 cells in height.")
                .arg(std::numeric_limits<uint32_t>::max())
                .toStdString());
    }
    // Every write below stays inside the result only when the layout fits both volumes.
    if (!fits(l, m_base, m_top))
        throw std::invalid_argument("the glue layout does not fit the two cell volumes");

    Util::RunStage stage(m_control, 2);
    if (stage.stopHere())
        return nullptr;
    auto result = std::make_shared<TotalVolume>(l.finalX, l.finalY, l.finalZ, l.cellSizeX, l.cellSizeY, l.cellSizeZ,
                                                m_base.position(), 0u);

    // The top first, then the base; they are let go of in the opposite order.
    CellLock topLock(m_top);
    CellLock baseLock(m_base);
    CellLock resultLock(*result);
    const Cells top = topLock.cells();
    const Cells base = baseLock.cells();
    const Cells cells = resultLock.cells();

    m_workers = Util::poolThreadCount();
    if (m_base.sizeX() / m_workers < 2 || m_top.sizeX() / m_workers < 2)
        m_workers = 1;
    // Base slabs are disjoint in x, top slabs too, and a base cell lies below baseTop while a top
    // cell lies at or above it: no two tasks write the same cell.
    Util::runParallelTasks(m_workers, [&](uint32_t i) {
        uint32_t begin = 0;
        uint32_t end = 0;
        slab(m_base.sizeX(), m_workers, i, begin, end);
        copyBaseSlab(base, cells, begin, end);
        slab(m_top.sizeX(), m_workers, i, begin, end);
        copyTopSlab(top, cells, begin, end);
    });
    stage.finish();
    return result;
}

void GlueSubstrate::copyBaseSlab(const Cells &base, Cells result, uint32_t begin, uint32_t end) const
{
    const uint32_t ny = m_base.sizeY();
    const uint32_t nz = m_base.sizeZ();
    // An empty base has baseTop 1 and nothing to copy but empty cells.
    const uint32_t height = std::min(m_layout.baseTop, nz);
    for (uint32_t x = begin; x < end; ++x) {
        for (uint32_t y = 0; y < ny; ++y) {
            const Cells from = base.from((size_t(x) * ny + y) * nz);
            Cells to = result.from((size_t(x) * m_layout.finalY + y) * m_layout.finalZ);
            for (uint32_t z = 0; z < height; ++z)
                to.setState(z, from.state(z));
        }
    }
}

void GlueSubstrate::copyTopSlab(const Cells &top, Cells result, uint32_t begin, uint32_t end) const
{
    const GlueLayout &l = m_layout;
    const uint32_t nx = m_top.sizeX();
    const uint32_t ny = m_top.sizeY();
    const uint32_t nz = m_top.sizeZ();
    for (uint32_t x = begin; x < end; ++x) {
        // Inverted, the top turns half a turn about y: x and z run backwards, y stays.
        const uint32_t rx = l.shiftX + (l.invert ? nx - 1 - x : x);
        for (uint32_t y = 0; y < ny; ++y) {
            const Cells from = top.from((size_t(x) * ny + y) * nz);
            Cells to = result.from((size_t(rx) * l.finalY + l.shiftY + y) * l.finalZ);
            if (l.invert) {
                for (uint32_t z = l.topLowest; z < l.topEnd; ++z)
                    to.setState(l.baseTop + l.topEnd - 1 - z, from.state(z));
            } else {
                for (uint32_t z = l.topLowest; z < l.topEnd; ++z)
                    to.setState(l.baseTop + z - l.topLowest, from.state(z));
            }
        }
    }
}

} // namespace Operations
} // namespace Core
