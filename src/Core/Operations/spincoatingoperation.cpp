#include "spincoatingoperation.h"

#include "spincoating.h"

namespace Core {
namespace Operations {

SpinCoatingOperation::SpinCoatingOperation(Workspace &workspace)
    : UndoableProcessOperation(workspace, QStringLiteral("Spin Coating"), 23, QStringLiteral("SpinCoating"))
{
}

void SpinCoatingOperation::setMaterial(uint32_t material)
{
    m_material = material;
    m_materialSet = true;
}

void SpinCoatingOperation::setDepositionHeight(uint32_t height)
{
    m_height = height;
    m_heightSet = true;
}

uint32_t SpinCoatingOperation::volumeSizeZ() const
{
    auto v = volume();
    return v ? v->sizeZ() : 0;
}

void SpinCoatingOperation::run(Model::Automaton::TotalVolume &volume)
{
    SpinCoating engine(volume, m_material, m_height);
    engine.setRunControl(runControl());
    engine.run();
}

} // namespace Operations
} // namespace Core
