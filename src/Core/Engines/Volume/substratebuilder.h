#pragma once

#include "Model/Volume/totalvolume.h"
#include "Util/vector3d.h"

#include <cstdint>

namespace Core {
namespace Operations {

/// Builds a new cell volume holding a box- or ball-shaped substrate of one material.
/// Used by Create Substrate and by the batch runner; no widgets.
class SubstrateBuilder {
public:
    /// A box of `size` cells with its lowest corner at `offset`; parts outside the volume are dropped.
    SubstrateBuilder(uint32_t material, uint32_t nx, uint32_t ny, uint32_t nz, const Util::Vector3D &position,
                     uint32_t offsetX, uint32_t offsetY, uint32_t offsetZ, uint32_t sizeX, uint32_t sizeY,
                     uint32_t sizeZ);
    /// A ball around `centre`; cells at exactly `radius` belong to it.
    SubstrateBuilder(uint32_t material, uint32_t nx, uint32_t ny, uint32_t nz, const Util::Vector3D &position,
                     uint32_t centreX, uint32_t centreY, uint32_t centreZ, uint32_t radius);

    /// The new volume; throws Model::Automaton::VolumeAllocationError when it cannot be created.
    Model::Automaton::TotalVolumePtr buildVolume() const;

    bool isSpherical() const { return m_spherical; }

private:
    void fillBox(Model::Automaton::TotalVolume &volume) const;
    void fillSphere(Model::Automaton::TotalVolume &volume) const;

    uint32_t m_material;
    uint32_t m_nx;
    uint32_t m_ny;
    uint32_t m_nz;
    uint32_t m_sizeX = 0;
    uint32_t m_sizeY = 0;
    uint32_t m_sizeZ = 0;
    uint32_t m_offsetX = 0;
    uint32_t m_offsetY = 0;
    uint32_t m_offsetZ = 0;
    uint32_t m_radius = 0;
    uint32_t m_centreX = 0;
    uint32_t m_centreY = 0;
    uint32_t m_centreZ = 0;
    bool m_spherical;
    float m_cellSizeX = 1.0f;
    float m_cellSizeY = 1.0f;
    float m_cellSizeZ = 1.0f;
    Util::Vector3D m_position;
};

} // namespace Operations
} // namespace Core
