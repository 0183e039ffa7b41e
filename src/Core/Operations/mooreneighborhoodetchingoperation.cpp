#include "mooreneighborhoodetchingoperation.h"

#include "mooreneighborhoodetching.h"

namespace Core {
namespace Operations {

MooreNeighborhoodEtchingOperation::MooreNeighborhoodEtchingOperation(Workspace &workspace)
    : UndoableProcessOperation(workspace, QStringLiteral("Moore film deposition"), 19, QStringLiteral("MooreFilmDep"))
{
}

void MooreNeighborhoodEtchingOperation::setMaterial(uint32_t material)
{
    m_material = material;
    m_materialSet = true;
}

void MooreNeighborhoodEtchingOperation::setLayerCount(uint32_t count)
{
    m_layerCount = count;
    m_countSet = true;
}

void MooreNeighborhoodEtchingOperation::run(Model::Automaton::TotalVolume &volume)
{
    MooreNeighborhoodEtching engine(volume, m_material, m_layerCount);
    engine.run();
}

} // namespace Operations
} // namespace Core
