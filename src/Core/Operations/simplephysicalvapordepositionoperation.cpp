#include "simplephysicalvapordepositionoperation.h"

#include "simplephysicalvapordeposition.h"

namespace Core {
namespace Operations {

namespace {
Util::ObserverPtr &classObserver()
{
    static Util::ObserverPtr observer;
    return observer;
}
} // namespace

// The menu says "PVD", but the step reports and undoes itself under the isotropic deposition's name.
SimplePhysicalVaporDepositionOperation::SimplePhysicalVaporDepositionOperation(Workspace &workspace)
    : UndoableProcessOperation(workspace, QStringLiteral("Isotropic Deposition"), 13,
                               QStringLiteral("IsotropicDeposition"))
{
}

void SimplePhysicalVaporDepositionOperation::setMaterial(uint32_t material)
{
    m_material = material;
    m_materialSet = true;
}

void SimplePhysicalVaporDepositionOperation::setThickness(double thickness)
{
    m_thickness = static_cast<float>(thickness);
    m_thicknessSet = true;
}

void SimplePhysicalVaporDepositionOperation::setRatio(double ratio)
{
    m_ratio = static_cast<float>(ratio);
    m_ratioSet = true;
}

void SimplePhysicalVaporDepositionOperation::setSide(uint32_t side)
{
    m_side = side;
    m_sideSet = true;
}

void SimplePhysicalVaporDepositionOperation::setObserver(const Util::ObserverPtr &observer)
{
    classObserver() = observer;
}

Util::ObserverPtr SimplePhysicalVaporDepositionOperation::optionsObserver() const { return classObserver(); }

void SimplePhysicalVaporDepositionOperation::run(Model::Automaton::TotalVolume &volume)
{
    SimplePhysicalVaporDeposition engine(volume, m_material, m_thickness, m_ratio, m_side);
    engine.run();
}

} // namespace Operations
} // namespace Core
