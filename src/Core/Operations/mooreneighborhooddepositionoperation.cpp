#include "mooreneighborhooddepositionoperation.h"

#include "mooreneighborhooddeposition.h"

namespace Core {
namespace Operations {

MooreNeighborhoodDepositionOperation::MooreNeighborhoodDepositionOperation(Workspace &workspace)
    : UndoableProcessOperation(workspace, QStringLiteral("Moore film deposition"), 18, QStringLiteral("MooreFilmDep"))
{
}

void MooreNeighborhoodDepositionOperation::setMaterial(uint32_t material)
{
    m_material = material;
    m_materialSet = true;
}

void MooreNeighborhoodDepositionOperation::setLayerCount(uint32_t count)
{
    m_layerCount = count;
    m_countSet = true;
}

void MooreNeighborhoodDepositionOperation::run(Model::Automaton::TotalVolume &volume)
{
    MooreNeighborhoodDeposition engine(volume, m_material, m_layerCount);
    engine.run();
}

} // namespace Operations
} // namespace Core
