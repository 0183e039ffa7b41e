#include "createsubstrateoperation.h"

#include "Core/workspace.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Util/debugoutput.h"
#include "Util/failuretext.h"
#include "substratebuilder.h"

#include <QElapsedTimer>

#include <exception>

namespace Core {
namespace Operations {

CreateSubstrateOperation::CreateSubstrateOperation(Workspace &workspace)
    : ObjectOperation(workspace, QStringLiteral("Create Substrate"), 2)
{
}

void CreateSubstrateOperation::setBoxSubstrate(uint32_t material, uint32_t nx, uint32_t ny, uint32_t nz,
                                               const Util::Vector3D &position, uint32_t offsetX, uint32_t offsetY,
                                               uint32_t offsetZ, uint32_t sizeX, uint32_t sizeY, uint32_t sizeZ)
{
    m_material = material;
    m_nx = nx;
    m_ny = ny;
    m_nz = nz;
    m_position = position;
    m_offsetX = offsetX;
    m_offsetY = offsetY;
    m_offsetZ = offsetZ;
    m_sizeX = sizeX;
    m_sizeY = sizeY;
    m_sizeZ = sizeZ;
    m_spherical = false;
    m_ready = true;
}

void CreateSubstrateOperation::setSphericalSubstrate(uint32_t material, uint32_t nx, uint32_t ny, uint32_t nz,
                                                     const Util::Vector3D &position, uint32_t centreX, uint32_t centreY,
                                                     uint32_t centreZ, uint32_t radius)
{
    m_material = material;
    m_nx = nx;
    m_ny = ny;
    m_nz = nz;
    m_position = position;
    m_centreX = centreX;
    m_centreY = centreY;
    m_centreZ = centreZ;
    m_radius = radius;
    m_spherical = true;
    m_ready = true;
}

void CreateSubstrateOperation::start()
{
    if (const auto &dialog = observer())
        dialog->notify();
    execute();
}

void CreateSubstrateOperation::execute()
{
    // Not ready: the dialog was rejected; the operation waits until it is canceled.
    if (!m_ready)
        return;
    Workspace &ws = workspace();

    QElapsedTimer timer;
    timer.start();
    const SubstrateBuilder builder = m_spherical ? SubstrateBuilder(m_material, m_nx, m_ny, m_nz, m_position, m_centreX,
                                                                    m_centreY, m_centreZ, m_radius)
                                                 : SubstrateBuilder(m_material, m_nx, m_ny, m_nz, m_position, m_offsetX,
                                                                    m_offsetY, m_offsetZ, m_sizeX, m_sizeY, m_sizeZ);
    try {
        m_volume = builder.buildVolume();
    } catch (const std::exception &error) {
        // A volume too large for the machine: tell the user, add nothing, keep running.
        const QString text = Util::failureText(error, QStringLiteral("create this cell volume"));
        ws.console().writeMessage(name() + QStringLiteral(": ") + text);
        ws.reportError(name(), text);
        m_ready = false;
        ws.console().reset();
        ws.operationCanceled();
        return;
    }
    Util::DebugOutput::line(QStringLiteral("Time to simulate") + name() + QStringLiteral(": ") +
                            QString::number(timer.elapsed()) + QStringLiteral(" ms"));

    timer.restart();
    m_volume->painter().regenerateSurface();
    Util::DebugOutput::line(QStringLiteral("Time to update surface: ") + QString::number(timer.elapsed()) +
                            QStringLiteral(" ms"));

    m_change.make(ws, {m_volume});
    ws.console().writeMessage(QStringLiteral("Create Substrate: substrate created successfully."));
    ws.operationFinished();
}

void CreateSubstrateOperation::cancel() { workspace().operationCanceled(); }

bool CreateSubstrateOperation::undo() { return m_change.undo(workspace()); }

bool CreateSubstrateOperation::redo() { return m_change.redo(workspace()); }

} // namespace Operations
} // namespace Core
