#include "totalvolume.h"

#include "Model/Materials/materialfactory.h"
#include "Model/Volume/silattice.h"

#include <QObject>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace Model {
namespace Automaton {

static_assert(Cells::maximumState == Materials::MaterialFactory::largestId,
              "a cell holds every material identifier of the catalogue");

namespace {

QString sizeText(uint32_t nx, uint32_t ny, uint32_t nz)
{
    return QStringLiteral("%1 x %2 x %3").arg(nx).arg(ny).arg(nz);
}

[[noreturn]] void refuse(uint32_t nx, uint32_t ny, uint32_t nz, const QString &reason, bool doesNotFit = false)
{
    throw VolumeAllocationError(
        QStringLiteral("Cannot create a cell volume of %1 cells: %2").arg(sizeText(nx, ny, nz), reason).toStdString(),
        doesNotFit);
}

constexpr size_t neededBytesPerCell = TotalVolume::bytesPerCell + TotalVolume::engineBytesPerCell;

// The bytes of the cells and an engine's work in floating point, which no size can overflow.
double cellBytes(uint32_t nx, uint32_t ny, uint32_t nz)
{
    return static_cast<double>(nx) * static_cast<double>(ny) * static_cast<double>(nz) *
           static_cast<double>(neededBytesPerCell);
}

// Zeroed by the system: pages that are never written (the cut counts of a volume nobody cuts) take
// no memory.
template <class T> T *zeroedArray(size_t count) { return static_cast<T *>(std::calloc(count, sizeof(T))); }

// `outcome` has %1 for the bytes needed, %2 for those available and %3 for what limits them.
[[noreturn]] void refuseTooLarge(uint32_t nx, uint32_t ny, uint32_t nz, const Util::AvailableMemory &available,
                                 const QString &outcome)
{
    refuse(nx, ny, nz,
           QStringLiteral("it is too large for the memory: ") +
               outcome.arg(Util::AvailableMemory::bytesText(cellBytes(nx, ny, nz)),
                           Util::AvailableMemory::bytesText(available.bytes()), available.sourceText()),
           true);
}

} // namespace

size_t TotalVolume::checkedCellCount(uint32_t nx, uint32_t ny, uint32_t nz)
{
    return checkedCellCount(nx, ny, nz, Util::AvailableMemory::ofThisProcess());
}

size_t TotalVolume::checkedCellCount(uint32_t nx, uint32_t ny, uint32_t nz, const Util::AvailableMemory &available)
{
    if (nx == 0 || ny == 0 || nz == 0)
        refuse(nx, ny, nz, QStringLiteral("every size must be at least 1."));
    // Beyond the physical memory or the control group's limit the allocation might succeed lazily
    // and the system would kill the program when the cells are first written; refuse it up front.
    size_t count = 0;
    size_t bytes = 0;
    if (__builtin_mul_overflow(static_cast<size_t>(nx), static_cast<size_t>(ny), &count) ||
        __builtin_mul_overflow(count, static_cast<size_t>(nz), &count) ||
        __builtin_mul_overflow(count, neededBytesPerCell, &bytes) || static_cast<double>(bytes) > available.bytes())
        refuseTooLarge(nx, ny, nz, available, QStringLiteral("it needs %1, but only %2 are available (%3)."));
    return count;
}

void TotalVolume::allocate(uint32_t nx, uint32_t ny, uint32_t nz)
{
    const Util::AvailableMemory available = Util::AvailableMemory::ofThisProcess();
    m_cellCount = checkedCellCount(nx, ny, nz, available);
    m_states.reset(zeroedArray<Cells::State>(m_cellCount));
    m_cuts.reset(zeroedArray<uint8_t>(m_cellCount));
    if (!m_states || !m_cuts)
        refuseTooLarge(
            nx, ny, nz, available,
            QStringLiteral("it needs %1, and the system did not give them although %2 were available (%3)."));
    m_nx = nx;
    m_ny = ny;
    m_nz = nz;
}

TotalVolume::TotalVolume(uint32_t nx, uint32_t ny, uint32_t nz, float cellSizeX, float cellSizeY, float cellSizeZ,
                         const Util::Vector3D &position, const std::vector<uint32_t> &states)
    : m_cellSizeX(cellSizeX)
    , m_cellSizeY(cellSizeY)
    , m_cellSizeZ(cellSizeZ)
    , m_position(position)
{
    allocate(nx, ny, nz);
    if (states.size() < m_cellCount) {
        throw VolumeAllocationError(QStringLiteral("Cannot create a cell volume of %1 cells from %2 cell states.")
                                        .arg(sizeText(nx, ny, nz))
                                        .arg(states.size())
                                        .toStdString());
    }
    for (size_t i = 0; i < m_cellCount; ++i) {
        if (states[i] > Cells::maximumState) {
            throw VolumeAllocationError(QStringLiteral("Cannot create a cell volume of %1 cells: cell %2 holds the "
                                                       "state %3, and states go up to %4.")
                                            .arg(sizeText(nx, ny, nz))
                                            .arg(i)
                                            .arg(states[i])
                                            .arg(Cells::maximumState)
                                            .toStdString());
        }
        m_states[i] = static_cast<Cells::State>(states[i]);
    }
    m_view = std::make_unique<VolumeView>(m_nx, m_ny, m_nz);
}

TotalVolume::TotalVolume(uint32_t nx, uint32_t ny, uint32_t nz, float cellSizeX, float cellSizeY, float cellSizeZ,
                         const Util::Vector3D &position, uint32_t fillState)
    : m_cellSizeX(cellSizeX)
    , m_cellSizeY(cellSizeY)
    , m_cellSizeZ(cellSizeZ)
    , m_position(position)
{
    allocate(nx, ny, nz);
    if (fillState > Cells::maximumState) {
        throw VolumeAllocationError(QStringLiteral("Cannot create a cell volume of %1 cells filled with the state %2: "
                                                   "states go up to %3.")
                                        .arg(sizeText(nx, ny, nz))
                                        .arg(fillState)
                                        .arg(Cells::maximumState)
                                        .toStdString());
    }
    if (fillState != 0)
        std::fill(m_states.get(), m_states.get() + m_cellCount, static_cast<Cells::State>(fillState));
    m_view = std::make_unique<VolumeView>(m_nx, m_ny, m_nz);
}

TotalVolume::~TotalVolume() = default;

std::optional<Extent> TotalVolume::extent() const
{
    const Util::Vector3D size(double(m_nx) * m_cellSizeX, double(m_ny) * m_cellSizeY, double(m_nz) * m_cellSizeZ);
    return Extent{m_position, Util::Vector3D(m_position.x + size.x, m_position.y + size.y, m_position.z + size.z)};
}

ObjectPtr TotalVolume::clone() const
{
    // Only the states are copied: a copy has no cuts, lattice, masks or fields.
    auto copy = std::make_shared<TotalVolume>(m_nx, m_ny, m_nz, m_cellSizeX, m_cellSizeY, m_cellSizeZ, m_position);
    std::lock_guard<std::mutex> lock(m_mutex);
    std::memcpy(copy->m_states.get(), m_states.get(), m_cellCount * sizeof(Cells::State));
    return copy;
}

void TotalVolume::translate(const Util::Vector4D &offset)
{
    m_position.x += offset.x;
    m_position.y += offset.y;
    m_position.z += offset.z;
    m_position.w += offset.w;
}

Cells TotalVolume::lockCells()
{
    m_mutex.lock();
    return Cells(m_states.get(), m_cuts.get(), m_cellCount);
}

void TotalVolume::unlockCells() { m_mutex.unlock(); }

void TotalVolume::setUpperMask(const QBitArray &bits, uint32_t width, uint32_t height)
{
    m_upperMask = bits;
    m_upperMaskWidth = width;
    m_upperMaskHeight = height;
}

void TotalVolume::upperMaskSize(uint32_t &width, uint32_t &height) const
{
    width = m_upperMaskWidth;
    height = m_upperMaskHeight;
}

void TotalVolume::setLowerMask(const QBitArray &bits, uint32_t width, uint32_t height)
{
    m_lowerMask = bits;
    m_lowerMaskWidth = width;
    m_lowerMaskHeight = height;
}

void TotalVolume::lowerMaskSize(uint32_t &width, uint32_t &height) const
{
    width = m_lowerMaskWidth;
    height = m_lowerMaskHeight;
}

std::shared_ptr<SiLattice> TotalVolume::createSiLattice(const SiOrientation &orientation)
{
    m_siLattice.reset();
    auto lattice = std::make_shared<SiLattice>(*this, orientation);
    lattice->build();
    m_siLattice = lattice;
    return lattice;
}

} // namespace Automaton
} // namespace Model
