#include "totalvolume.h"

#include "silattice.h"
#include "totalvolumepainter.h"

#include <QObject>

#include <limits>
#include <new>

#include <unistd.h>

namespace Model {
namespace Automaton {

namespace {

QString sizeText(uint32_t nx, uint32_t ny, uint32_t nz)
{
    return QStringLiteral("%1 x %2 x %3").arg(nx).arg(ny).arg(nz);
}

[[noreturn]] void refuse(uint32_t nx, uint32_t ny, uint32_t nz, const QString &reason)
{
    throw VolumeAllocationError(
        QStringLiteral("Cannot create a cell volume of %1 cells: %2").arg(sizeText(nx, ny, nz), reason).toStdString());
}

double physicalMemoryBytes()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return std::numeric_limits<double>::infinity();
    return static_cast<double>(pages) * static_cast<double>(pageSize);
}

} // namespace

size_t TotalVolume::checkedCellCount(uint32_t nx, uint32_t ny, uint32_t nz)
{
    if (nx == 0 || ny == 0 || nz == 0)
        refuse(nx, ny, nz, QStringLiteral("every size must be at least 1."));
    size_t count = 0;
    size_t bytes = 0;
    if (__builtin_mul_overflow(static_cast<size_t>(nx), static_cast<size_t>(ny), &count) ||
        __builtin_mul_overflow(count, static_cast<size_t>(nz), &count) ||
        __builtin_mul_overflow(count, sizeof(Voxel), &bytes))
        refuse(nx, ny, nz, QStringLiteral("the number of cells is too large."));
    // Beyond the physical memory the allocation might succeed lazily and the system would
    // kill the program when the cells are first written; refuse it up front instead.
    const double available = physicalMemoryBytes();
    if (static_cast<double>(bytes) > available) {
        refuse(nx, ny, nz,
               QStringLiteral("it needs %1 GiB of memory but this machine has %2 GiB.")
                   .arg(static_cast<double>(bytes) / (1 << 30), 0, 'f', 1)
                   .arg(available / (1 << 30), 0, 'f', 1));
    }
    return count;
}

void TotalVolume::allocate(uint32_t nx, uint32_t ny, uint32_t nz)
{
    m_cellCount = checkedCellCount(nx, ny, nz);
    m_cells.reset(new (std::nothrow) Voxel[m_cellCount]);
    if (!m_cells)
        refuse(nx, ny, nz, QStringLiteral("not enough memory."));
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
    for (size_t i = 0; i < m_cellCount; ++i)
        m_cells[i] = Voxel(states[i]);
    m_painter = std::make_unique<TotalVolumePainter>(*this);
}

TotalVolume::TotalVolume(uint32_t nx, uint32_t ny, uint32_t nz, float cellSizeX, float cellSizeY, float cellSizeZ,
                         const Util::Vector3D &position, uint32_t fillState)
    : m_cellSizeX(cellSizeX)
    , m_cellSizeY(cellSizeY)
    , m_cellSizeZ(cellSizeZ)
    , m_position(position)
{
    allocate(nx, ny, nz);
    if (fillState != 0) {
        for (size_t i = 0; i < m_cellCount; ++i)
            m_cells[i].setState(fillState);
    }
    m_painter = std::make_unique<TotalVolumePainter>(*this);
}

TotalVolume::~TotalVolume() = default;

void TotalVolume::draw(bool showSurface, bool showEdges, const Util::Vector3D &eye)
{
    m_painter->draw(showSurface, showEdges, eye);
}

void TotalVolume::drawForPicking() { m_painter->drawForPicking(); }

std::optional<Extent> TotalVolume::extent() const
{
    const Util::Vector3D size(double(m_nx) * m_cellSizeX, double(m_ny) * m_cellSizeY, double(m_nz) * m_cellSizeZ);
    return Extent{m_position, Util::Vector3D(m_position.x + size.x, m_position.y + size.y, m_position.z + size.z)};
}

ObjectPtr TotalVolume::clone() const
{
    std::vector<uint32_t> states(m_cellCount);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (size_t i = 0; i < m_cellCount; ++i)
            states[i] = m_cells[i].state();
    }
    return std::make_shared<TotalVolume>(m_nx, m_ny, m_nz, m_cellSizeX, m_cellSizeY, m_cellSizeZ, m_position, states);
}

void TotalVolume::translate(const Util::Vector4D &offset)
{
    m_position.x += offset.x;
    m_position.y += offset.y;
    m_position.z += offset.z;
    m_position.w += offset.w;
}

Voxel *TotalVolume::lockCells()
{
    m_mutex.lock();
    return m_cells.get();
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

std::shared_ptr<SiLattice> TotalVolume::createSiLattice()
{
    m_siLattice.reset();
    auto lattice = std::make_shared<SiLattice>(*this);
    lattice->build();
    m_siLattice = lattice;
    return lattice;
}

} // namespace Automaton
} // namespace Model
