#pragma once

#include "Model/Volume/silattice.h"

#include <array>

namespace Model {
namespace Automaton {

/// One unit cell of a silicon lattice: its eight atoms in basis order and its origin. A view
/// into the lattice's arrays; a default unit cell is null. Valid while its lattice lives.
class SiCell {
public:
    SiCell() = default;
    SiCell(const SiLattice *lattice, int32_t i, int32_t j, int32_t k)
        : m_lattice(lattice)
        , m_i(i)
        , m_j(j)
        , m_k(k)
    {
    }

    bool isNull() const { return m_lattice == nullptr; }
    int32_t i() const { return m_i; }
    int32_t j() const { return m_j; }
    int32_t k() const { return m_k; }
    uint64_t index() const { return m_lattice->unitCellIndex(m_i, m_j, m_k); }
    /// Whether the lattice keeps this unit cell (it holds silicon, or a fixed atom bonded to silicon).
    bool isKept() const { return !isNull() && m_lattice->isKept(m_i, m_j, m_k); }
    SiAtom atom(uint32_t b) const;
    /// Scene coordinates of the turned origin.
    std::array<float, 3> origin() const;

private:
    const SiLattice *m_lattice = nullptr;
    int32_t m_i = 0;
    int32_t m_j = 0;
    int32_t m_k = 0;
};

} // namespace Automaton
} // namespace Model
