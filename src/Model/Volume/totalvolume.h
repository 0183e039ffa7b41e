#pragma once

#include "Model/Volume/cells.h"
#include "Model/Volume/siorientation.h"
#include "Model/Volume/volumeview.h"
#include "Model/object.h"
#include "Util/availablememory.h"

#include <QBitArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <utility>
#include <vector>

namespace Model {
namespace Automaton {

class SiLattice;

/// Thrown when a volume cannot be created: a size of 0, or more memory than the machine (or the
/// limits of the process) can give. No volume exists afterwards.
class VolumeAllocationError : public std::runtime_error {
public:
    explicit VolumeAllocationError(const std::string &what, bool doesNotFit = false)
        : std::runtime_error(what)
        , m_doesNotFit(doesNotFit)
    {
    }
    /// The sizes are valid, but the cells do not fit in the memory the process can have.
    bool doesNotFit() const { return m_doesNotFit; }

private:
    bool m_doesNotFit;
};

/// The cell volume: nx x ny x nz cubic cells in x-major order with z fastest,
/// index (x * ny + y) * nz + z; z = 0 is the bottom layer of cells. The cells are a 16-bit state and
/// an 8-bit cut count each (`Cells`, handed out under the lock); nothing else is kept per cell. It
/// holds what is shown of it (its view), not how: the surfaces and painters that show it belong to a
/// window (Model/Surfaces, Model/Display).
class TotalVolume : public Object {
public:
    /// What a cell takes between steps: its state and its cut count.
    static constexpr size_t bytesPerCell = sizeof(Cells::State) + sizeof(uint8_t);
    /// What the engines take per cell while they run, at most (the distance-counting engines' marks
    /// and fronts, the Moore engines' work copy): room for it is part of what a volume needs.
    static constexpr size_t engineBytesPerCell = 2;

    /// Cell i gets states[i]; `states` must hold at least nx * ny * nz entries, each at most
    /// Cells::maximumState (VolumeAllocationError otherwise).
    TotalVolume(uint32_t nx, uint32_t ny, uint32_t nz, float cellSizeX, float cellSizeY, float cellSizeZ,
                const Util::Vector3D &position, const std::vector<uint32_t> &states);
    /// Every cell gets `fillState`.
    TotalVolume(uint32_t nx, uint32_t ny, uint32_t nz, float cellSizeX, float cellSizeY, float cellSizeZ,
                const Util::Vector3D &position, uint32_t fillState = 0);
    ~TotalVolume() override;

    /// The cell count, or a VolumeAllocationError when it is 0 or does not fit in memory with room
    /// for an engine's work (bytesPerCell + engineBytesPerCell per cell).
    static size_t checkedCellCount(uint32_t nx, uint32_t ny, uint32_t nz);
    /// The same against the memory given.
    static size_t checkedCellCount(uint32_t nx, uint32_t ny, uint32_t nz, const Util::AvailableMemory &available);

    uint32_t type() const override { return 1; }
    /// From the position to the far corner of the last cell.
    std::optional<Extent> extent() const override;
    ObjectPtr clone() const override;
    void translate(const Util::Vector4D &offset) override;

    uint32_t sizeX() const { return m_nx; }
    uint32_t sizeY() const { return m_ny; }
    uint32_t sizeZ() const { return m_nz; }
    size_t cellCount() const { return m_cellCount; }
    float cellSizeX() const { return m_cellSizeX; }
    float cellSizeY() const { return m_cellSizeY; }
    float cellSizeZ() const { return m_cellSizeZ; }
    Util::Vector3D position() const { return m_position; }

    size_t index(uint32_t x, uint32_t y, uint32_t z) const { return (static_cast<size_t>(x) * m_ny + y) * m_nz + z; }
    void coordinates(size_t index, uint32_t &x, uint32_t &y, uint32_t &z) const
    {
        const size_t column = static_cast<size_t>(m_ny) * m_nz;
        x = static_cast<uint32_t>(index / column);
        y = static_cast<uint32_t>((index - x * column) / m_nz);
        z = static_cast<uint32_t>(index % m_nz);
    }
    bool contains(long long x, long long y, long long z) const
    {
        return x >= 0 && y >= 0 && z >= 0 && x < m_nx && y < m_ny && z < m_nz;
    }
    /// The cells of x-slab x are [slabBegin(x), slabBegin(x) + slabSize()); those of column (x, y)
    /// are [index(x, y, 0), index(x, y, 0) + sizeZ()).
    size_t slabSize() const { return static_cast<size_t>(m_ny) * m_nz; }
    size_t slabBegin(uint32_t x) const { return static_cast<size_t>(x) * m_ny * m_nz; }

    /// Locks the cell mutex (not recursive) and hands out the cells.
    Cells lockCells();
    void unlockCells();

    /// Whether cell i took part in the last random walk, whose particle counts the field view
    /// scales over; every cell does until a walk marks its own (call with the cells locked).
    bool tookPartInWalk(size_t i) const { return m_walked.empty() || (m_walked[i >> 6] >> (i & 63) & 1); }
    /// One bit per cell, bit i & 63 of word i >> 6 (the random walk's marks); empty: every cell.
    void setWalkedCells(std::vector<uint64_t> bits) { m_walked = std::move(bits); }

    /// How the volume is shown: surface algorithm, cut limits and the other display settings.
    VolumeView &view() { return *m_view; }
    const VolumeView &view() const { return *m_view; }

    std::shared_ptr<SiLattice> siLattice() const { return m_siLattice; }
    void setSiLattice(const std::shared_ptr<SiLattice> &lattice) { m_siLattice = lattice; }
    /// Replaces the lattice by a new one laid over the current cells (locks them); the old one
    /// goes first, so both never take memory at once.
    std::shared_ptr<SiLattice> createSiLattice(const SiOrientation &orientation = SiOrientation());

    /// Masks: bit (i, j) lies at i * height + j; i runs along x, j along y.
    void setUpperMask(const QBitArray &bits, uint32_t width, uint32_t height);
    QBitArray upperMask() const { return m_upperMask; }
    void upperMaskSize(uint32_t &width, uint32_t &height) const;
    void setLowerMask(const QBitArray &bits, uint32_t width, uint32_t height);
    QBitArray lowerMask() const { return m_lowerMask; }
    void lowerMaskSize(uint32_t &width, uint32_t &height) const;
    void clearUpperMask() { m_upperMask.fill(false); }
    void clearLowerMask() { m_lowerMask.fill(false); }

    /// An invalid variant when `key` is absent; the key is not added.
    QVariant field(const QString &key) const { return m_fields.value(key); }
    void setField(const QString &key, const QVariant &value) { m_fields.insert(key, value); }
    void removeField(const QString &key) { m_fields.remove(key); }
    QStringList fieldNames() const { return m_fields.keys(); }

private:
    void allocate(uint32_t nx, uint32_t ny, uint32_t nz);

    /// The cell arrays come from calloc.
    struct Free {
        void operator()(void *p) const { std::free(p); }
    };
    std::unique_ptr<Cells::State[], Free> m_states;
    std::unique_ptr<uint8_t[], Free> m_cuts;
    std::vector<uint64_t> m_walked;
    mutable std::mutex m_mutex;
    uint32_t m_nx = 0;
    uint32_t m_ny = 0;
    uint32_t m_nz = 0;
    size_t m_cellCount = 0;
    float m_cellSizeX;
    float m_cellSizeY;
    float m_cellSizeZ;
    Util::Vector3D m_position;
    QBitArray m_upperMask;
    uint32_t m_upperMaskWidth = 0;
    uint32_t m_upperMaskHeight = 0;
    QBitArray m_lowerMask;
    uint32_t m_lowerMaskWidth = 0;
    uint32_t m_lowerMaskHeight = 0;
    std::shared_ptr<SiLattice> m_siLattice;
    std::unique_ptr<VolumeView> m_view;
    QMap<QString, QVariant> m_fields;
};

using TotalVolumePtr = std::shared_ptr<TotalVolume>;

/// Locks a volume's cells for the lifetime of the guard.
class CellLock {
public:
    explicit CellLock(TotalVolume &volume)
        : m_volume(volume)
        , m_cells(volume.lockCells())
    {
    }
    ~CellLock() { m_volume.unlockCells(); }
    CellLock(const CellLock &) = delete;
    CellLock &operator=(const CellLock &) = delete;
    Cells cells() const { return m_cells; }

private:
    TotalVolume &m_volume;
    Cells m_cells;
};

} // namespace Automaton
} // namespace Model
