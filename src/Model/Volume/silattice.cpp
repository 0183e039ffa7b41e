#include "silattice.h"

#include "Model/Volume/siatom.h"
#include "Model/Volume/sicell.h"
#include "Model/Volume/totalvolume.h"
#include "Util/paralleltasks.h"

#include <algorithm>
#include <cmath>

namespace Model {
namespace Automaton {

namespace {

// One quarter of the unit-cell edge, turned by 45 degrees: sqrt(2) / 8 cells per quarter of u - v.
const double quarterStep = std::sqrt(2.0) / 8.0;
const double halfDiagonal = std::sqrt(2.0) / 2.0;

// The y of u + v = 0. The grid's middle, u + v = 4 Nj, lies on the volume's middle in y as u - v = 0
// does in x: both are mirror planes of the crystal ({110} planes through an atom, shifted by a whole
// lattice vector), so the atoms lie mirror-symmetrically in both directions, and a mask that is
// symmetric about the volume's middle is etched symmetrically.
double yOrigin(uint32_t ny, uint32_t nj) { return 0.5 * ny - nj * halfDiagonal; }

// The four bond directions of the atoms at the face-centred sites (0, 1, 4, 5), in quarters; the
// other four atoms bond the opposite way, slot s of one meeting slot 3 - s of the other.
const int32_t facingDirections[4][3] = {{1, 1, 1}, {1, -1, -1}, {-1, 1, -1}, {-1, -1, 1}};

int32_t floorDiv4(int32_t q) { return q >= 0 ? q / 4 : -((-q + 3) / 4); }

std::array<std::array<SiLattice::Bond, 4>, 8> makeBondTable()
{
    const auto &basis = SiLattice::basisQuarters();
    std::array<std::array<SiLattice::Bond, 4>, 8> table{};
    for (uint32_t b = 0; b < 8; ++b) {
        const bool facing = basis[b][0] % 2 == 0;
        for (uint32_t slot = 0; slot < 4; ++slot) {
            int32_t q[3];
            for (int axis = 0; axis < 3; ++axis) {
                const int32_t step = facing ? facingDirections[slot][axis] : -facingDirections[3 - slot][axis];
                q[axis] = basis[b][axis] + step;
            }
            SiLattice::Bond bond{floorDiv4(q[0]), floorDiv4(q[1]), floorDiv4(q[2]), 8};
            const int32_t r[3] = {q[0] - 4 * bond.di, q[1] - 4 * bond.dj, q[2] - 4 * bond.dk};
            for (uint32_t n = 0; n < 8; ++n) {
                if (basis[n][0] == r[0] && basis[n][1] == r[1] && basis[n][2] == r[2])
                    bond.b = n;
            }
            table[b][slot] = bond;
        }
    }
    return table;
}

uint8_t stateOfCell(uint32_t material)
{
    if (material == 1)
        return SiLattice::Present;
    return material == 0 ? SiLattice::Absent : SiLattice::Fixed;
}

} // namespace

const std::array<std::array<int32_t, 3>, 8> &SiLattice::basisQuarters()
{
    // The order fixes the bond tables: (0,0,0), (1/2,1/2,0), (1/4,1/4,1/4), (3/4,3/4,1/4),
    // (1/2,0,1/2), (0,1/2,1/2), (3/4,1/4,3/4), (1/4,3/4,3/4).
    static const std::array<std::array<int32_t, 3>, 8> basis = {
        {{0, 0, 0}, {2, 2, 0}, {1, 1, 1}, {3, 3, 1}, {2, 0, 2}, {0, 2, 2}, {3, 1, 3}, {1, 3, 3}}};
    return basis;
}

const std::array<std::array<SiLattice::Bond, 4>, 8> &SiLattice::bondTable()
{
    static const auto table = makeBondTable();
    return table;
}

std::array<double, 3> SiLattice::outlineCorner(unsigned c)
{
    const double a = c & 1;
    const double b = (c >> 1) & 1;
    return {(a - b) * halfDiagonal, (a + b) * halfDiagonal, double((c >> 2) & 1)};
}

std::array<double, 3> SiLattice::unitCellCorner(unsigned c) const
{
    if (!m_turned)
        return outlineCorner(c);
    std::array<double, 3> corner{};
    for (int axis = 0; axis < 3; ++axis)
        corner[size_t(axis)] = 4.0 * (m_quarter[axis][0] * (c & 1) + m_quarter[axis][1] * ((c >> 1) & 1) +
                                      m_quarter[axis][2] * ((c >> 2) & 1));
    return corner;
}

SiLattice::SiLattice(TotalVolume &volume, const SiOrientation &orientation)
    : m_volume(volume)
    , m_orientation(orientation)
    , m_turned(!orientation.isQuarterTurned100())
    , m_nx(volume.sizeX())
    , m_ny(volume.sizeY())
    , m_nz(volume.sizeZ())
    , m_position(volume.position())
    , m_cellSize{volume.cellSizeX(), volume.cellSizeY(), volume.cellSizeZ()}
{
    if (m_turned) {
        layOutTurned();
        return;
    }
    m_ni = m_nj = static_cast<uint32_t>(std::ceil((double(m_nx) + double(m_ny)) / std::sqrt(2.0)));
    m_nk = m_nz;
    buildTables();
    layOutColumns();
}

void SiLattice::layOutTurned()
{
    const auto r = m_orientation.rotation();
    // The crystal turns about this point; the eighth of a cell keeps the atoms of a lattice with
    // <100> along x off the cells' faces.
    const double centre[3] = {0.5 * m_nx + 0.125, 0.5 * m_ny + 0.125, 0.0};
    // The volume's bounding box in crystal axes (the rotation's transpose is its inverse).
    double lowest[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
    double highest[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (unsigned corner = 0; corner < 8; ++corner) {
        const double p[3] = {(corner & 1 ? double(m_nx) : 0.0) - centre[0],
                             (corner & 2 ? double(m_ny) : 0.0) - centre[1],
                             (corner & 4 ? double(m_nz) : 0.0) - centre[2]};
        for (size_t c = 0; c < 3; ++c) {
            const double v = r[0][c] * p[0] + r[1][c] * p[1] + r[2][c] * p[2];
            lowest[c] = std::min(lowest[c], v);
            highest[c] = std::max(highest[c], v);
        }
    }
    double first[3];
    uint32_t count[3];
    for (size_t c = 0; c < 3; ++c) {
        first[c] = std::floor(lowest[c] + 1e-9);
        count[c] = std::max<uint32_t>(1, uint32_t(std::ceil(highest[c] - 1e-9) - first[c]));
    }
    m_ni = count[0];
    m_nj = count[1];
    m_nk = count[2];
    for (size_t axis = 0; axis < 3; ++axis) {
        m_origin[axis] = centre[axis] + r[axis][0] * first[0] + r[axis][1] * first[1] + r[axis][2] * first[2];
        for (size_t c = 0; c < 3; ++c)
            m_quarter[axis][c] = 0.25 * r[axis][c];
    }

    // A column is stored when the line through its unit cells' centres passes within a cell and
    // half a unit cell's diagonal of the volume along x, y and z; the columns of a row that do form
    // one run, the box being convex. Of a stored column only the unit cells whose centres lie within
    // three quarters of a diagonal of the volume are: an atom lies within half a diagonal of its
    // unit cell's centre along each axis and its neighbours a quarter diagonal further, so every
    // atom inside the volume, every neighbour of one and every unit cell that can be kept is
    // stored. They form one run of the column too.
    const double size[3] = {double(m_nx), double(m_ny), double(m_nz)};
    // The range of t, in unit cells along k from the centre of unit cell (i, j, 0), within `reach`
    // of the volume along every axis; empty when from > to.
    auto within = [&](uint32_t i, uint32_t j, double reach, double &from, double &to) {
        for (size_t axis = 0; axis < 3 && from <= to; ++axis) {
            const double a = m_origin[axis] + 4.0 * (m_quarter[axis][0] * (i + 0.5) + m_quarter[axis][1] * (j + 0.5) +
                                                     m_quarter[axis][2] * 0.5);
            const double d = 4.0 * m_quarter[axis][2];
            if (d == 0.0) {
                if (a < -reach || a > size[axis] + reach)
                    to = -1.0;
                continue;
            }
            const double t1 = (-reach - a) / d;
            const double t2 = (size[axis] + reach - a) / d;
            from = std::max(from, std::min(t1, t2));
            to = std::min(to, std::max(t1, t2));
        }
    };
    const double columnReach = 1.0 + 0.5 * std::sqrt(3.0);
    const double unitReach = 0.75 * std::sqrt(3.0) + 1e-6;
    m_rowLow.assign(m_ni, 0);
    m_rowHigh.assign(m_ni, 0);
    m_rowStart.assign(m_ni, 0);
    m_columnLow.clear();
    m_columnLength.clear();
    m_columnStart.clear();
    size_t columns = 0;
    size_t units = 0;
    std::vector<std::pair<int32_t, int32_t>> runs(m_nj);
    for (uint32_t i = 0; i < m_ni; ++i) {
        int32_t low = -1;
        int32_t high = -1;
        for (uint32_t j = 0; j < m_nj; ++j) {
            runs[j] = {0, 0};
            double from = 0.0;
            double to = double(m_nk);
            within(i, j, columnReach, from, to);
            if (from > to)
                continue;
            if (low < 0)
                low = int32_t(j);
            high = int32_t(j) + 1;
            // Unit cell k has its centre at t = k.
            from = 0.0;
            to = double(m_nk) - 1.0;
            within(i, j, unitReach, from, to);
            if (from <= to)
                runs[j] = {int32_t(std::ceil(from)), int32_t(std::floor(to)) + 1};
            runs[j].second = std::max(runs[j].first, runs[j].second);
        }
        for (int32_t j = low; low >= 0 && j < high; ++j) {
            m_columnLow.push_back(runs[size_t(j)].first);
            m_columnLength.push_back(uint32_t(runs[size_t(j)].second - runs[size_t(j)].first));
            m_columnStart.push_back(units);
            units += m_columnLength.back();
        }
        if (low >= 0) {
            m_rowLow[i] = low;
            m_rowHigh[i] = high;
        }
        m_rowStart[i] = columns;
        columns += size_t(m_rowHigh[i] - m_rowLow[i]);
    }
}

void SiLattice::buildTables()
{
    const auto &basis = basisQuarters();
    for (uint32_t b = 0; b < 8; ++b) {
        m_basisDiff[b] = basis[b][0] - basis[b][1];
        m_basisSum[b] = basis[b][0] + basis[b][1];
    }
    // u - v runs over [-(4 Nj + 2), 4 Ni + 2] and u + v over [0, 4 (Ni + Nj) + 6] inside the grid.
    m_xOffset = size_t(4) * m_nj + 2;
    m_cellX.resize(m_xOffset + size_t(4) * m_ni + 3);
    for (size_t n = 0; n < m_cellX.size(); ++n) {
        const double fx = 0.5 * m_nx + (double(int64_t(n) - int64_t(m_xOffset))) * quarterStep;
        m_cellX[n] = fx < 0.0 || fx >= double(m_nx) ? -1 : int32_t(std::floor(fx));
    }
    m_cellY.resize(size_t(4) * (m_ni + m_nj) + 7);
    for (size_t n = 0; n < m_cellY.size(); ++n) {
        const double fy = yOrigin(m_ny, m_nj) + double(n) * quarterStep;
        m_cellY[n] = fy < 0.0 || fy >= double(m_ny) ? -1 : int32_t(std::floor(fy));
    }
}

void SiLattice::layOutColumns()
{
    // A column is stored when its turned unit square comes within one cell of the volume: then
    // every neighbour of an atom inside the volume is stored too.
    m_rowLow.assign(m_ni, 0);
    m_rowHigh.assign(m_ni, 0);
    m_rowStart.assign(m_ni, 0);
    size_t columns = 0;
    for (uint32_t i = 0; i < m_ni; ++i) {
        int32_t low = -1;
        int32_t high = -1;
        for (uint32_t j = 0; j < m_nj; ++j) {
            const double d = double(i) - double(j);
            const double e = double(i) + double(j);
            const double xMin = 0.5 * m_nx + (d - 1.0) * halfDiagonal;
            const double xMax = 0.5 * m_nx + (d + 1.0) * halfDiagonal;
            const double yMin = yOrigin(m_ny, m_nj) + e * halfDiagonal;
            const double yMax = yOrigin(m_ny, m_nj) + (e + 2.0) * halfDiagonal;
            const bool near = xMax >= -1.0 && xMin <= m_nx + 1.0 && yMax >= -1.0 && yMin <= m_ny + 1.0;
            if (near) {
                if (low < 0)
                    low = int32_t(j);
                high = int32_t(j) + 1;
            }
        }
        if (low >= 0) {
            m_rowLow[i] = low;
            m_rowHigh[i] = high;
        }
        m_rowStart[i] = columns;
        columns += size_t(m_rowHigh[i] - m_rowLow[i]);
    }
}

SiSite SiLattice::site(uint64_t key) const
{
    SiSite s;
    s.b = uint32_t(key & 7);
    const uint64_t unit = key >> 3;
    s.k = int32_t(unit % m_nk);
    const uint64_t column = unit / m_nk;
    s.j = int32_t(column % m_nj);
    s.i = int32_t(column / m_nj);
    return s;
}

uint8_t SiLattice::turnedState(int64_t column, const SiSite &s) const
{
    if (s.k < columnBegin(column) || s.k >= columnEnd(column))
        return Fixed;
    return m_states[stateIndex(column, s)];
}

bool SiLattice::isKept(int32_t i, int32_t j, int32_t k) const
{
    const int64_t c = column(i, j);
    if (c < 0 || k < columnBegin(c) || k >= columnEnd(c) || m_kept.empty())
        return false;
    return m_kept[unit(c, k)] == 1;
}

bool SiLattice::columnReaches(int32_t i, int32_t j, int32_t xBegin, int32_t xEnd) const
{
    if (m_turned) {
        // The column's unit cells lie within half a diagonal of the line through their centres.
        const double a =
            m_origin[0] + 4.0 * (m_quarter[0][0] * (i + 0.5) + m_quarter[0][1] * (j + 0.5) + m_quarter[0][2] * 0.5);
        const double b = a + 4.0 * m_quarter[0][2] * (m_nk - 1);
        const double halfDiagonal3 = 0.5 * std::sqrt(3.0);
        const double xMin = std::floor(std::min(a, b) - halfDiagonal3);
        const double xMax = std::floor(std::max(a, b) + halfDiagonal3);
        return xMax >= xBegin && xMin < xEnd;
    }
    // Atoms of a column lie within u - v = 4 (i - j) -/+ 2 quarters.
    const double d = 4.0 * (double(i) - double(j));
    const double xMin = std::floor(0.5 * m_nx + (d - 2.0) * quarterStep);
    const double xMax = std::floor(0.5 * m_nx + (d + 2.0) * quarterStep);
    return xMax >= xBegin && xMin < xEnd;
}

std::array<double, 3> SiLattice::cellCoordinates(const SiSite &s) const
{
    const auto &q = basisQuarters()[s.b];
    if (m_turned) {
        std::array<double, 3> f{};
        for (size_t axis = 0; axis < 3; ++axis)
            f[axis] = m_origin[axis] + m_quarter[axis][0] * (4.0 * s.i + q[0]) +
                      m_quarter[axis][1] * (4.0 * s.j + q[1]) + m_quarter[axis][2] * (4.0 * s.k + q[2]);
        return f;
    }
    const double u = 4.0 * s.i + q[0];
    const double v = 4.0 * s.j + q[1];
    return {0.5 * m_nx + (u - v) * quarterStep, yOrigin(m_ny, m_nj) + (u + v) * quarterStep, s.k + 0.25 * q[2]};
}

Util::Vector3D SiLattice::position(const SiSite &s) const
{
    const auto f = cellCoordinates(s);
    return Util::Vector3D(m_position.x + f[0] * m_cellSize[0], m_position.y + f[1] * m_cellSize[1],
                          m_position.z + f[2] * m_cellSize[2]);
}

std::array<double, 3> SiLattice::unitCellOrigin(int32_t i, int32_t j, int32_t k) const
{
    if (m_turned)
        return cellCoordinates(SiSite{i, j, k, 0});
    return {0.5 * m_nx + (double(i) - double(j)) * halfDiagonal,
            yOrigin(m_ny, m_nj) + (double(i) + double(j)) * halfDiagonal, double(k)};
}

SiAtom SiLattice::atom(const SiSite &s) const { return SiAtom(this, s); }

SiAtom SiLattice::atom(uint64_t key) const { return SiAtom(this, site(key)); }

SiCell SiLattice::unitCell(int32_t i, int32_t j, int32_t k) const { return SiCell(this, i, j, k); }

void SiLattice::clear()
{
    const size_t columns = m_ni ? m_rowStart.back() + size_t(m_rowHigh.back() - m_rowLow.back()) : 0;
    const size_t units = m_turned ? (columns ? m_columnStart.back() + m_columnLength.back() : 0) : columns * m_nk;
    m_states.assign(units * 8, Absent);
    m_kept.assign(units, 0);
    m_atomCounts.assign(size_t(m_nx) * m_ny * m_nz, 0);
}

void SiLattice::build()
{
    CellLock lock(m_volume);
    const Cells cells = lock.cells();
    clear();

    // States by rows of columns; a unit cell with a fixed atom but no silicon waits (mark 2) for
    // the bonds to be known.
    const bool turned = m_turned;
    Util::runParallelRange(m_ni, 4, [&](size_t begin, size_t end) {
        for (int32_t i = int32_t(begin); i < int32_t(end); ++i) {
            for (int32_t j = rowBegin(i); j < rowEnd(i); ++j) {
                const int64_t c = column(i, j);
                int64_t base[8];
                for (uint32_t b = 0; b < 8; ++b) {
                    const SiSite s{i, j, 0, b};
                    const int32_t x = turned ? 0 : cellX(s);
                    const int32_t y = turned ? 0 : cellY(s);
                    base[b] = x < 0 || y < 0 ? -1 : (int64_t(x) * m_ny + y) * m_nz;
                }
                for (int32_t k = columnBegin(c); k < columnEnd(c); ++k) {
                    bool silicon = false;
                    bool fixed = false;
                    for (uint32_t b = 0; b < 8; ++b) {
                        uint8_t state;
                        if (turned) {
                            // A turned lattice finds each atom's cell from its position.
                            const int64_t cell = cellIndex(SiSite{i, j, k, b});
                            state = cell < 0 ? uint8_t(Fixed) : stateOfCell(cells.state(size_t(cell)));
                        } else {
                            state = base[b] < 0 ? uint8_t(Fixed) : stateOfCell(cells.state(size_t(base[b] + k)));
                        }
                        m_states[stateIndex(c, SiSite{i, j, k, b})] = state;
                        silicon = silicon || state == Present;
                        fixed = fixed || state == Fixed;
                    }
                    m_kept[unit(c, k)] = silicon ? 1 : (fixed ? 2 : 0);
                }
            }
        }
    });
    countAtoms();
    keepFixedNeighbours();
}

void SiLattice::countAtoms()
{
    uint32_t tasks = Util::poolThreadCount();
    if (m_nx / tasks == 0)
        tasks = 1;
    const uint32_t width = m_nx / tasks;
    const size_t column = size_t(m_ny) * m_nz;
    // Each task owns the cells of its x-slab, so the counts need no lock.
    Util::runParallelTasks(tasks, [&](uint32_t t) {
        const int32_t begin = int32_t(t * width);
        const int32_t end = t + 1 == tasks ? int32_t(m_nx) : begin + int32_t(width);
        for (size_t c = size_t(begin) * column; c < size_t(end) * column; ++c)
            m_atomCounts[c] = 0;
        forEachAtomInSlab(begin, end, [&](const SiSite &s, int64_t cell, int64_t c) {
            if (stateInColumn(c, s.k, s.b) == Present)
                setAtomCount(size_t(cell), atomCount(size_t(cell)) + 1);
        });
    });
}

void SiLattice::keepFixedNeighbours()
{
    // A mask over the silicon must enter the lattice, or the atoms under it would look bare.
    Util::runParallelRange(m_ni, 4, [&](size_t begin, size_t end) {
        for (int32_t i = int32_t(begin); i < int32_t(end); ++i) {
            for (int32_t j = rowBegin(i); j < rowEnd(i); ++j) {
                const int64_t c = column(i, j);
                for (int32_t k = columnBegin(c); k < columnEnd(c); ++k) {
                    uint8_t &kept = m_kept[unit(c, k)];
                    if (kept != 2)
                        continue;
                    bool bonded = false;
                    for (uint32_t b = 0; b < 8 && !bonded; ++b) {
                        const SiSite s{i, j, k, b};
                        if (state(s) != Fixed)
                            continue;
                        for (uint32_t slot = 0; slot < 4 && !bonded; ++slot) {
                            const SiSite n = neighbourSite(s, slot);
                            bonded = inGrid(n) && state(n) == Present;
                        }
                    }
                    kept = bonded ? 1 : 0;
                }
            }
        }
    });
}

size_t SiLattice::keptUnitCellCount() const
{
    size_t n = 0;
    for (uint8_t kept : m_kept)
        n += kept == 1;
    return n;
}

size_t SiLattice::presentAtomCount() const
{
    size_t n = 0;
    for (uint8_t state : m_states)
        n += state == Present;
    return n;
}

size_t SiLattice::storedBytes() const
{
    return m_states.capacity() + m_kept.capacity() + m_atomCounts.capacity() +
           (m_cellX.capacity() + m_cellY.capacity()) * sizeof(int32_t) +
           (m_rowLow.capacity() + m_rowHigh.capacity() + m_columnLow.capacity() + m_columnLength.capacity()) *
               sizeof(int32_t) +
           (m_rowStart.capacity() + m_columnStart.capacity()) * sizeof(size_t);
}

} // namespace Automaton
} // namespace Model
