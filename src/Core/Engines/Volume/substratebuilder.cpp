#include "Core/Engines/Volume/substratebuilder.h"

#include <algorithm>

namespace Core {
namespace Operations {

using Model::Automaton::CellLock;
using Model::Automaton::TotalVolume;

SubstrateBuilder::SubstrateBuilder(uint32_t material, uint32_t nx, uint32_t ny, uint32_t nz,
                                   const Util::Vector3D &position, uint32_t offsetX, uint32_t offsetY, uint32_t offsetZ,
                                   uint32_t sizeX, uint32_t sizeY, uint32_t sizeZ)
    : m_material(material)
    , m_nx(nx)
    , m_ny(ny)
    , m_nz(nz)
    , m_sizeX(sizeX)
    , m_sizeY(sizeY)
    , m_sizeZ(sizeZ)
    , m_offsetX(offsetX)
    , m_offsetY(offsetY)
    , m_offsetZ(offsetZ)
    , m_spherical(false)
    , m_position(position)
{
}

SubstrateBuilder::SubstrateBuilder(uint32_t material, uint32_t nx, uint32_t ny, uint32_t nz,
                                   const Util::Vector3D &position, uint32_t centreX, uint32_t centreY, uint32_t centreZ,
                                   uint32_t radius)
    : m_material(material)
    , m_nx(nx)
    , m_ny(ny)
    , m_nz(nz)
    , m_radius(radius)
    , m_centreX(centreX)
    , m_centreY(centreY)
    , m_centreZ(centreZ)
    , m_spherical(true)
    , m_position(position)
{
}

Model::Automaton::TotalVolumePtr SubstrateBuilder::buildVolume() const
{
    // The cells start empty and the substrate is written into them directly: a separate list of
    // initial states would double the memory a large volume needs.
    auto volume =
        std::make_shared<TotalVolume>(m_nx, m_ny, m_nz, m_cellSizeX, m_cellSizeY, m_cellSizeZ, m_position, 0u);
    if (m_spherical)
        fillSphere(*volume);
    else
        fillBox(*volume);
    return volume;
}

void SubstrateBuilder::fillBox(TotalVolume &volume) const
{
    CellLock lock(volume);
    Model::Automaton::Cells cells = lock.cells();
    // 64-bit ends: offset + size may exceed the 32-bit range.
    const uint64_t endX = std::min<uint64_t>(m_nx, uint64_t(m_offsetX) + m_sizeX);
    const uint64_t endY = std::min<uint64_t>(m_ny, uint64_t(m_offsetY) + m_sizeY);
    const uint64_t endZ = std::min<uint64_t>(m_nz, uint64_t(m_offsetZ) + m_sizeZ);
    for (uint64_t x = m_offsetX; x < endX; ++x)
        for (uint64_t y = m_offsetY; y < endY; ++y)
            for (uint64_t z = m_offsetZ; z < endZ; ++z)
                cells.setState(volume.index(uint32_t(x), uint32_t(y), uint32_t(z)), m_material);
}

void SubstrateBuilder::fillSphere(TotalVolume &volume) const
{
    CellLock lock(volume);
    Model::Automaton::Cells cells = lock.cells();
    // The squared radius in 64 bits: a radius above 46340 would overflow 32.
    const float r2 = static_cast<float>(int64_t(m_radius) * int64_t(m_radius)) * m_cellSizeZ * m_cellSizeZ;
    for (uint32_t x = 0; x < m_nx; ++x) {
        const float dx = static_cast<float>(int32_t(x - m_centreX)) * m_cellSizeX;
        for (uint32_t y = 0; y < m_ny; ++y) {
            const float dy = static_cast<float>(int32_t(y - m_centreY)) * m_cellSizeY;
            const float dxy = dx * dx + dy * dy;
            if (dxy > r2)
                continue;
            for (uint32_t z = 0; z < m_nz; ++z) {
                const float dz = static_cast<float>(int32_t(z - m_centreZ)) * m_cellSizeZ;
                if (r2 >= dxy + dz * dz)
                    cells.setState(volume.index(x, y, z), m_material);
            }
        }
    }
}

} // namespace Operations
} // namespace Core
