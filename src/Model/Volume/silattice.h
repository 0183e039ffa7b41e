#pragma once

#include "Model/Volume/siorientation.h"
#include "Util/vector3d.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace Model {
namespace Automaton {

class SiAtom;
class SiCell;
class TotalVolume;

/// Where one atom sits: unit cell (i, j, k) of the lattice's grid and basis atom b (0 to 7).
struct SiSite {
    int32_t i = 0;
    int32_t j = 0;
    int32_t k = 0;
    uint32_t b = 0;
    bool operator==(const SiSite &o) const { return i == o.i && j == o.j && k == o.k && b == o.b; }
};

/// The diamond lattice of silicon atoms laid over a cell volume, for the atomistic wet etches and
/// the lattice display. The unit-cell edge is one cell. Unit cell (i, j, k) has the index
/// (i * Nj + j) * Nk + k and atom b of it the key index * 8 + b; i, j and k run along the crystal's
/// [100], [010] and [001].
///
/// A (100) wafer at a flat angle of whole quarter turns has the crystal turned by 45 degrees about z,
/// so the <110> directions run along x and y; its grid has Ni = Nj = ceil((nx + ny) / sqrt 2) by
/// Nk = nz unit cells and an atom's cell comes from tables by i - j and i + j. Every other wafer
/// orientation and flat angle (`SiOrientation`) is a turned lattice: its grid spans the volume's
/// bounding box in crystal axes, stores of each column (i, j) that passes within reach of the volume
/// only the unit cells k in [columnBegin, columnEnd) that do, and finds an atom's cell from its
/// position. The unit cells of a column beyond that run lie beyond the volume's faces: fixed.
///
/// Stored compactly: one state byte per atom of the unit cells that reach the volume, one
/// byte per unit cell saying whether it is kept and one byte per volume cell counting its atoms. An atom's cell, its
/// bonds and its position come from index arithmetic on the eight-atom basis, so an atom costs about one byte. The
/// volume's faces count as cuts through a larger wafer: atoms beyond them are fixed.
class SiLattice {
public:
    /// Atom states: absent (etched, or in an empty cell), present (in a silicon cell), fixed (in a
    /// cell of another material or beyond the volume's faces; counts as fully bonded, never etched).
    enum State : uint8_t { Absent = 0, Present = 1, Fixed = 3 };

    /// One bond of the basis tables: the neighbour's unit cell offset and basis atom.
    struct Bond {
        int32_t di;
        int32_t dj;
        int32_t dk;
        uint32_t b;
    };

    /// Sizes the grid for the volume; build() fills it with atoms.
    explicit SiLattice(TotalVolume &volume, const SiOrientation &orientation = SiOrientation());
    SiLattice(const SiLattice &) = delete;
    SiLattice &operator=(const SiLattice &) = delete;

    /// Lays the atoms over the volume's cells (it locks them): an atom in a silicon cell is present
    /// and counted in the cell's atomCount (every other cell's count becomes 0), an atom in a cell of
    /// another material or beyond the volume is fixed, an atom in an empty cell is absent. A unit cell
    /// is kept when it holds a silicon atom or a fixed atom bonded to one.
    void build();
    /// Sizes the atoms, kept marks and atom counts without reading the cells: every atom absent, no
    /// unit cell kept, every count 0 (undo then writes in what a step left).
    void clear();

    // ---- atom counts of the volume's cells ----
    /// The present atoms that volume cell `cell` held when they were last counted: when the lattice
    /// was laid, and after each wet etch step (its atoms go one by one, the cell with its last).
    uint32_t atomCount(size_t cell) const { return m_atomCounts[cell]; }
    /// A cell holds about eight atoms; counts saturate at 255.
    void setAtomCount(size_t cell, uint32_t count) { m_atomCounts[cell] = uint8_t(count < 255 ? count : 255); }
    static constexpr uint32_t maximumAtomCount = 255;

    // ---- the grid and the basis ----
    uint32_t sizeI() const { return m_ni; }
    uint32_t sizeJ() const { return m_nj; }
    uint32_t sizeK() const { return m_nk; }
    uint64_t unitCellIndex(int32_t i, int32_t j, int32_t k) const
    {
        return (uint64_t(i) * m_nj + uint64_t(j)) * m_nk + uint64_t(k);
    }
    /// Basis atom b in quarters of the unit-cell edge, before the turn.
    static const std::array<std::array<int32_t, 3>, 8> &basisQuarters();
    /// The bond in slot s of basis atom b; slot s of one atom pairs with slot 3 - s of the other.
    static const Bond &bond(uint32_t b, uint32_t slot) { return bondTable()[b][slot]; }
    static const std::array<std::array<Bond, 4>, 8> &bondTable();
    /// Corner c (0 to 7, bit 0 along i, bit 1 along j, bit 2 along k) of a unit cell's outline,
    /// turned as on a (100) wafer at flat angle 0, in cells relative to the unit cell's origin.
    static std::array<double, 3> outlineCorner(unsigned c);
    /// The same corner of this lattice's unit cells.
    std::array<double, 3> unitCellCorner(unsigned c) const;

    const SiOrientation &orientation() const { return m_orientation; }
    /// Whether the lattice is laid by position (any orientation but (100) in quarter turns).
    bool isTurned() const { return m_turned; }

    // ---- atoms ----
    bool inGrid(const SiSite &s) const
    {
        return s.i >= 0 && s.j >= 0 && s.k >= 0 && uint32_t(s.i) < m_ni && uint32_t(s.j) < m_nj && uint32_t(s.k) < m_nk;
    }
    uint64_t key(const SiSite &s) const { return unitCellIndex(s.i, s.j, s.k) * 8 + s.b; }
    SiSite site(uint64_t key) const;
    static SiSite neighbourSite(const SiSite &s, uint32_t slot)
    {
        const Bond &t = bond(s.b, slot);
        return SiSite{s.i + t.di, s.j + t.dj, s.k + t.dk, t.b};
    }
    /// Whether the site's unit-cell column reaches the volume (only those are stored).
    bool isStored(const SiSite &s) const { return column(s.i, s.j) >= 0; }
    /// Absent in a column that is not stored, fixed beyond the stored run of a column.
    uint8_t state(const SiSite &s) const
    {
        const int64_t c = column(s.i, s.j);
        if (c < 0)
            return Absent;
        if (m_turned)
            return turnedState(c, s);
        return m_states[(size_t(c) * m_nk + size_t(s.k)) * 8 + s.b];
    }
    void setState(const SiSite &s, uint8_t state) { m_states[stateIndex(column(s.i, s.j), s)] = state; }
    /// What the etch rules see across bond slot `slot`: fixed beyond the grid (the volume's faces
    /// are cuts through a wafer), otherwise the neighbour's state.
    // Inlined by force: the etch rules call it a dozen times per atom, and with the turned
    // lattice's branch in state() the compiler stopped inlining it by itself (6 % of an etch).
    __attribute__((always_inline)) uint8_t bondState(const SiSite &s, uint32_t slot) const
    {
        const SiSite n = neighbourSite(s, slot);
        return inGrid(n) ? state(n) : uint8_t(Fixed);
    }
    /// Neighbours that are not absent (fixed ones and those beyond the grid included).
    unsigned presentNeighbours(const SiSite &s) const
    {
        unsigned n = 0;
        for (uint32_t slot = 0; slot < 4; ++slot)
            n += bondState(s, slot) != Absent;
        return n;
    }
    bool isKept(int32_t i, int32_t j, int32_t k) const;

    /// The cell column x of the atom, -1 outside the volume.
    int32_t cellX(const SiSite &s) const
    {
        if (m_turned)
            return turnedCell(s, 0);
        return m_cellX[size_t(4 * int64_t(s.i - s.j) + m_basisDiff[s.b] + int64_t(m_xOffset))];
    }
    int32_t cellY(const SiSite &s) const
    {
        if (m_turned)
            return turnedCell(s, 1);
        return m_cellY[size_t(4 * int64_t(s.i + s.j) + m_basisSum[s.b])];
    }
    int32_t cellZ(const SiSite &s) const { return m_turned ? turnedCell(s, 2) : s.k; }
    /// Whether the atom lies in a cell of the volume with x in [xBegin, xEnd).
    bool ownsAtom(const SiSite &s, int32_t xBegin, int32_t xEnd) const
    {
        const int32_t x = cellX(s);
        return x >= xBegin && x < xEnd && cellIndex(s) >= 0;
    }
    /// The index of the volume cell that holds the atom, -1 outside the volume.
    int64_t cellIndex(const SiSite &s) const
    {
        const int32_t x = cellX(s);
        const int32_t y = cellY(s);
        if (x < 0 || y < 0)
            return -1;
        if (!m_turned)
            return (int64_t(x) * m_ny + y) * m_nz + s.k;
        const int32_t z = turnedCell(s, 2);
        return z < 0 ? -1 : (int64_t(x) * m_ny + y) * m_nz + z;
    }
    /// In cells, relative to the corner of the volume's cell (0, 0, 0).
    std::array<double, 3> cellCoordinates(const SiSite &s) const;
    /// Scene coordinates (the volume's position added).
    Util::Vector3D position(const SiSite &s) const;
    /// Origin of unit cell (i, j, k) in cells relative to the volume.
    std::array<double, 3> unitCellOrigin(int32_t i, int32_t j, int32_t k) const;

    SiAtom atom(const SiSite &s) const;
    SiAtom atom(uint64_t key) const;
    SiCell unitCell(int32_t i, int32_t j, int32_t k) const;

    // ---- the stored columns ----
    /// The index of column (i, j) among the stored ones, -1 when it is not stored.
    int64_t columnIndex(int32_t i, int32_t j) const { return column(i, j); }
    /// The unit cells k in [columnBegin, columnEnd) of a stored column are stored: all of them on
    /// the (100) layout, on a turned lattice those within reach of the volume.
    int32_t columnBegin(int64_t column) const { return m_turned ? m_columnLow[size_t(column)] : 0; }
    int32_t columnEnd(int64_t column) const
    {
        return m_turned ? m_columnLow[size_t(column)] + int32_t(m_columnLength[size_t(column)]) : int32_t(m_nk);
    }
    /// Where atom 0 of unit cell 0 of a stored column would lie among the states were the column
    /// stored whole: atom b of its stored unit cell k has the state `stateAt(origin + 8 k + b)`.
    int64_t columnOrigin(int64_t column) const
    {
        const int32_t k = columnBegin(column);
        return int64_t(unit(column, k)) * 8 - int64_t(k) * 8;
    }
    uint8_t stateAt(int64_t index) const { return m_states[size_t(index)]; }
    /// The state of atom b of stored unit cell k of a stored column.
    uint8_t stateInColumn(int64_t column, int32_t k, uint32_t b) const { return m_states[unit(column, k) * 8 + b]; }
    void setStateInColumn(int64_t column, int32_t k, uint32_t b, uint8_t state)
    {
        m_states[unit(column, k) * 8 + b] = state;
    }
    /// Rows i hold the stored columns j in [rowBegin(i), rowEnd(i)).
    int32_t rowBegin(int32_t i) const { return m_rowLow[size_t(i)]; }
    int32_t rowEnd(int32_t i) const { return m_rowHigh[size_t(i)]; }
    /// Whether atoms of column (i, j) can lie in the cell columns [xBegin, xEnd).
    bool columnReaches(int32_t i, int32_t j, int32_t xBegin, int32_t xEnd) const;
    /// Calls f(site, cell index, column index) for every atom whose cell lies in the volume with x in
    /// [xBegin, xEnd), in ascending order of the keys.
    template <class F> void forEachAtomInSlab(int32_t xBegin, int32_t xEnd, F &&f) const;

    // ---- what undo records ----
    /// The atom states and then the kept marks, as stored: `storedByteCount` bytes, fixed by the
    /// volume's size, which is all that a step changes in a lattice.
    size_t storedByteCount() const { return m_states.size() + m_kept.size(); }
    uint8_t storedByte(size_t index) const
    {
        return index < m_states.size() ? m_states[index] : m_kept[index - m_states.size()];
    }
    void setStoredByte(size_t index, uint8_t value)
    {
        (index < m_states.size() ? m_states[index] : m_kept[index - m_states.size()]) = value;
    }

    // ---- figures ----
    uint32_t volumeSizeX() const { return m_nx; }
    uint32_t volumeSizeY() const { return m_ny; }
    uint32_t volumeSizeZ() const { return m_nz; }
    size_t storedSiteCount() const { return m_states.size(); }
    size_t keptUnitCellCount() const;
    size_t presentAtomCount() const;
    /// Bytes of the atom states, the kept marks and the tables.
    size_t storedBytes() const;

private:
    int64_t column(int32_t i, int32_t j) const
    {
        if (i < 0 || uint32_t(i) >= m_ni)
            return -1;
        const size_t r = size_t(i);
        if (j < m_rowLow[r] || j >= m_rowHigh[r])
            return -1;
        return int64_t(m_rowStart[r]) + (j - m_rowLow[r]);
    }
    /// Where stored unit cell k of a stored column lies among the kept marks.
    size_t unit(int64_t column, int32_t k) const
    {
        if (m_turned)
            return m_columnStart[size_t(column)] + size_t(k - m_columnLow[size_t(column)]);
        return size_t(column) * m_nk + size_t(k);
    }
    size_t stateIndex(int64_t column, const SiSite &s) const { return unit(column, s.k) * 8 + s.b; }
    /// The cell along `axis` of an atom of a turned lattice, -1 outside the volume.
    int32_t turnedCell(const SiSite &s, int axis) const
    {
        const auto &q = basisQuarters()[s.b];
        const double f = m_origin[axis] + m_quarter[axis][0] * (4.0 * s.i + q[0]) +
                         m_quarter[axis][1] * (4.0 * s.j + q[1]) + m_quarter[axis][2] * (4.0 * s.k + q[2]);
        const uint32_t n = axis == 0 ? m_nx : (axis == 1 ? m_ny : m_nz);
        return f < 0.0 || f >= double(n) ? -1 : int32_t(std::floor(f));
    }
    uint8_t turnedState(int64_t column, const SiSite &s) const;
    template <class F> void forEachTurnedAtomInSlab(int32_t xBegin, int32_t xEnd, F &&f) const;
    void layOutColumns();
    void layOutTurned();
    void buildTables();
    void countAtoms();
    void keepFixedNeighbours();

    TotalVolume &m_volume;
    SiOrientation m_orientation;
    bool m_turned = false;
    /// Turned lattices: the position of unit cell (0, 0, 0) and the step per quarter of the unit-cell
    /// edge along i, j and k, in cells of the volume.
    std::array<double, 3> m_origin{};
    std::array<std::array<double, 3>, 3> m_quarter{};
    uint32_t m_nx;
    uint32_t m_ny;
    uint32_t m_nz;
    Util::Vector3D m_position;
    float m_cellSize[3];
    uint32_t m_ni = 0;
    uint32_t m_nj = 0;
    uint32_t m_nk = 0;
    std::vector<int32_t> m_rowLow;
    std::vector<int32_t> m_rowHigh;
    std::vector<size_t> m_rowStart;
    /// Turned lattices, per stored column: the first stored unit cell k, how many are stored and
    /// where the first lies among the kept marks.
    std::vector<int32_t> m_columnLow;
    std::vector<uint32_t> m_columnLength;
    std::vector<size_t> m_columnStart;
    std::vector<uint8_t> m_states;
    /// Per stored unit cell: 1 kept, 0 not.
    std::vector<uint8_t> m_kept;
    /// Per volume cell, in the volume's cell order.
    std::vector<uint8_t> m_atomCounts;
    /// Cell column of an atom by u - v (quarters, offset), cell row by u + v; -1 outside.
    std::vector<int32_t> m_cellX;
    std::vector<int32_t> m_cellY;
    size_t m_xOffset = 0;
    std::array<int32_t, 8> m_basisDiff{};
    std::array<int32_t, 8> m_basisSum{};
};

template <class F> void SiLattice::forEachTurnedAtomInSlab(int32_t xBegin, int32_t xEnd, F &&f) const
{
    for (int32_t i = 0; i < int32_t(m_ni); ++i) {
        for (int32_t j = rowBegin(i); j < rowEnd(i); ++j) {
            if (!columnReaches(i, j, xBegin, xEnd))
                continue;
            const int64_t c = column(i, j);
            for (int32_t k = columnBegin(c); k < columnEnd(c); ++k) {
                for (uint32_t b = 0; b < 8; ++b) {
                    const SiSite s{i, j, k, b};
                    const int32_t x = cellX(s);
                    if (x < xBegin || x >= xEnd)
                        continue;
                    const int64_t cell = cellIndex(s);
                    if (cell >= 0)
                        f(s, cell, c);
                }
            }
        }
    }
}

template <class F> void SiLattice::forEachAtomInSlab(int32_t xBegin, int32_t xEnd, F &&f) const
{
    if (m_turned) {
        forEachTurnedAtomInSlab(xBegin, xEnd, std::forward<F>(f));
        return;
    }
    for (int32_t i = 0; i < int32_t(m_ni); ++i) {
        for (int32_t j = rowBegin(i); j < rowEnd(i); ++j) {
            if (!columnReaches(i, j, xBegin, xEnd))
                continue;
            // The cell column and row of an atom depend on (i, j, b) only, not on k.
            int64_t base[8];
            bool any = false;
            for (uint32_t b = 0; b < 8; ++b) {
                const SiSite s{i, j, 0, b};
                const int32_t x = cellX(s);
                const int32_t y = cellY(s);
                const bool inside = x >= xBegin && x < xEnd && y >= 0;
                base[b] = inside ? (int64_t(x) * m_ny + y) * m_nz : -1;
                any = any || inside;
            }
            if (!any)
                continue;
            const int64_t c = column(i, j);
            for (int32_t k = 0; k < int32_t(m_nk); ++k) {
                for (uint32_t b = 0; b < 8; ++b) {
                    if (base[b] >= 0)
                        f(SiSite{i, j, k, b}, base[b] + k, c);
                }
            }
        }
    }
}

} // namespace Automaton
} // namespace Model
