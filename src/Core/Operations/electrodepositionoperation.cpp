#include "electrodepositionoperation.h"

#include "electrodeposition.h"

namespace Core {
namespace Operations {

namespace {
Util::ObserverPtr &classObserver()
{
    static Util::ObserverPtr observer;
    return observer;
}
} // namespace

ElectrodepositionOperation::ElectrodepositionOperation(Workspace &workspace)
    : UndoableProcessOperation(workspace, QStringLiteral("Electroplating"), 15, QStringLiteral("Electroplating"))
{
}

void ElectrodepositionOperation::setDepositedMaterial(uint32_t material)
{
    m_depositedMaterial = material;
    m_depositedSet = true;
}

void ElectrodepositionOperation::setConductingMaterial(uint32_t material)
{
    m_conductingMaterial = material;
    m_conductingSet = true;
}

void ElectrodepositionOperation::setThickness(double thickness)
{
    m_thickness = static_cast<float>(thickness);
    m_thicknessSet = true;
}

void ElectrodepositionOperation::setObserver(const Util::ObserverPtr &observer) { classObserver() = observer; }

Util::ObserverPtr ElectrodepositionOperation::optionsObserver() const { return classObserver(); }

void ElectrodepositionOperation::run(Model::Automaton::TotalVolume &volume)
{
    Electrodeposition engine(volume, m_depositedMaterial, m_conductingMaterial, m_thickness);
    engine.run();
}

} // namespace Operations
} // namespace Core
