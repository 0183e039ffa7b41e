#include "silatticedisplay.h"

#include "Model/Volume/silattice.h"
#include "Model/Volume/totalvolume.h"

#include <algorithm>
#include <cmath>

namespace Model {
namespace Automaton {

const std::array<float, 4> SiLatticeDisplay::linkColor = {1.0f, 1.0f, 127.0f / 255.0f, 1.0f};
const std::array<float, 4> SiLatticeDisplay::outlineColor = {127.0f / 255.0f, 127.0f / 255.0f, 1.0f, 1.0f};
const std::array<float, 4> SiLatticeDisplay::unitCellColor = {127.0f / 255.0f, 127.0f / 255.0f, 1.0f, 127.0f / 255.0f};

namespace {

bool inside(const std::array<double, 3> &f, const CellWindow &window)
{
    for (int axis = 0; axis < 3; ++axis) {
        if (f[axis] < window.lower[axis] || f[axis] >= window.upper[axis])
            return false;
    }
    return true;
}

void append(std::vector<float> &to, const std::array<double, 3> &f, const float cellSize[3])
{
    to.push_back(float(f[0] * cellSize[0]));
    to.push_back(float(f[1] * cellSize[1]));
    to.push_back(float(f[2] * cellSize[2]));
}

} // namespace

SiLatticeDisplay::SiLatticeDisplay(TotalVolume &volume)
    : m_volume(volume)
    , m_cellSize{volume.cellSizeX(), volume.cellSizeY(), volume.cellSizeZ()}
{
    for (unsigned c = 0; c < 8; ++c)
        m_unitCellCorners[c] = SiLattice::outlineCorner(c);
}

void SiLatticeDisplay::release()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<float>().swap(m_atoms);
    std::vector<float>().swap(m_links);
    std::vector<float>().swap(m_unitCells);
}

QString SiLatticeDisplay::takeNotice()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QString notice;
    notice.swap(m_notice);
    return notice;
}

void SiLatticeDisplay::regenerate(const CellWindow &window)
{
    release();
    const LatticeDisplayFlags shown = m_volume.view().latticeFlags();
    const auto lattice = m_volume.siLattice();
    if (!lattice || !shown.any())
        return;
    std::vector<float> atoms;
    std::vector<float> links;
    std::vector<float> unitCells;
    bool truncated = false;
    {
        // Engines change the lattice with the cells locked.
        CellLock lock(m_volume);
        const SiLattice &l = *lattice;
        for (int32_t i = 0; i < int32_t(l.sizeI()); ++i) {
            for (int32_t j = l.rowBegin(i); j < l.rowEnd(i); ++j) {
                const int64_t column = l.columnIndex(i, j);
                for (int32_t k = l.columnBegin(column); k < l.columnEnd(column); ++k) {
                    bool anyPresent = false;
                    for (uint32_t b = 0; b < 8; ++b) {
                        const SiSite s{i, j, k, b};
                        if (l.state(s) != SiLattice::Present)
                            continue;
                        anyPresent = true;
                        const auto f = l.cellCoordinates(s);
                        if (!inside(f, window))
                            continue;
                        if (shown.renderSiAtoms && (!shown.renderSurfaceAtomsOnly || l.presentNeighbours(s) < 4)) {
                            if (atoms.size() / 3 < maximumAtoms)
                                append(atoms, f, m_cellSize);
                            else
                                truncated = true;
                        }
                        // Every bond joins a face-centred atom (0, 1, 4, 5) to one of the others:
                        // drawn from the first, each bond is drawn once.
                        const bool facing = SiLattice::basisQuarters()[b][0] % 2 == 0;
                        if (!shown.renderSiAtomLinks || !facing)
                            continue;
                        for (uint32_t slot = 0; slot < 4; ++slot) {
                            const SiSite n = SiLattice::neighbourSite(s, slot);
                            if (!l.inGrid(n) || l.state(n) != SiLattice::Present)
                                continue;
                            const auto g = l.cellCoordinates(n);
                            if (!inside(g, window))
                                continue;
                            if (links.size() / 6 >= maximumLinks) {
                                truncated = true;
                                continue;
                            }
                            append(links, f, m_cellSize);
                            append(links, g, m_cellSize);
                        }
                    }
                    if (!anyPresent || !(shown.renderSiUnitCells || shown.renderSiUnitCellOutlines) ||
                        !l.isKept(i, j, k))
                        continue;
                    const auto origin = l.unitCellOrigin(i, j, k);
                    const auto centre = l.unitCellCorner(7);
                    const std::array<double, 3> middle = {origin[0] + 0.5 * centre[0], origin[1] + 0.5 * centre[1],
                                                          origin[2] + 0.5 * centre[2]};
                    if (!inside(middle, window))
                        continue;
                    if (unitCells.size() / 3 < maximumUnitCells)
                        append(unitCells, origin, m_cellSize);
                    else
                        truncated = true;
                }
            }
        }
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_atoms = std::move(atoms);
    m_links = std::move(links);
    m_unitCells = std::move(unitCells);
    for (unsigned c = 0; c < 8; ++c)
        m_unitCellCorners[c] = lattice->unitCellCorner(c);
    if (truncated)
        m_notice = QStringLiteral("The silicon lattice of this cell volume is too large to be shown whole; only "
                                  "part of it is drawn. Narrow the cut planes to see the rest.");
}

size_t SiLatticeDisplay::atomCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_atoms.size() / 3;
}

size_t SiLatticeDisplay::linkCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_links.size() / 6;
}

size_t SiLatticeDisplay::unitCellCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_unitCells.size() / 3;
}

std::vector<float> SiLatticeDisplay::atomPositions() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_atoms;
}

std::vector<float> SiLatticeDisplay::linkEnds() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_links;
}

std::vector<float> SiLatticeDisplay::unitCellOrigins() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_unitCells;
}

void SiLatticeDisplay::withBuffers(const std::function<void(const Buffers &)> &use) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    use(Buffers{m_atoms, m_links, m_unitCells, m_cellSize, m_unitCellCorners});
}

std::array<double, 3> SiLatticeDisplay::unitCellCorner(unsigned c) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_unitCellCorners[c & 7];
}

} // namespace Automaton
} // namespace Model
