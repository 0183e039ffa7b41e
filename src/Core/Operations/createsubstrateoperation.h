#pragma once

#include "Model/Automaton/totalvolume.h"
#include "Util/iobserver.h"
#include "Util/vector3d.h"
#include "documentchange.h"
#include "operation.h"

namespace Core {
namespace Operations {

/// "Create Substrate": a new cell volume with a box or ball of one material, added to the document.
/// Undo takes the volume out of the document, redo puts the same volume back.
class CreateSubstrateOperation : public ObjectOperation {
public:
    explicit CreateSubstrateOperation(Workspace &workspace);

    void start() override;
    void cancel() override;
    void execute() override;
    bool undo() override;
    bool redo() override;

    void setBoxSubstrate(uint32_t material, uint32_t nx, uint32_t ny, uint32_t nz, const Util::Vector3D &position,
                         uint32_t offsetX, uint32_t offsetY, uint32_t offsetZ, uint32_t sizeX, uint32_t sizeY,
                         uint32_t sizeZ);
    void setSphericalSubstrate(uint32_t material, uint32_t nx, uint32_t ny, uint32_t nz, const Util::Vector3D &position,
                               uint32_t centreX, uint32_t centreY, uint32_t centreZ, uint32_t radius);

    Model::Automaton::TotalVolumePtr volume() const { return m_volume; }
    bool isReady() const { return m_ready; }

private:
    Model::Automaton::TotalVolumePtr m_volume;
    uint32_t m_material = 0;
    uint32_t m_nx = 0;
    uint32_t m_ny = 0;
    uint32_t m_nz = 0;
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
    Util::Vector3D m_position;
    bool m_spherical = false;
    bool m_ready = false;
    DocumentChange m_change;
};

} // namespace Operations
} // namespace Core
