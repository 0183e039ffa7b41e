#include "isotropicfilmdepositionoperation.h"

#include "isotropicfilmdeposition.h"

namespace Core {
namespace Operations {

namespace {
Util::ObserverPtr &classObserver()
{
    static Util::ObserverPtr observer;
    return observer;
}
} // namespace

IsotropicFilmDepositionOperation::IsotropicFilmDepositionOperation(Workspace &workspace, const QString &name)
    : UndoableProcessOperation(workspace, name, 13, QStringLiteral("IsotropicDeposition"))
{
}

void IsotropicFilmDepositionOperation::setMaterial(uint32_t material)
{
    m_material = material;
    m_materialSet = true;
}

void IsotropicFilmDepositionOperation::setThickness(double thickness)
{
    m_thickness = static_cast<float>(thickness);
    m_thicknessSet = true;
}

void IsotropicFilmDepositionOperation::setObserver(const Util::ObserverPtr &observer)
{
    classObserver() = observer;
}

Util::ObserverPtr IsotropicFilmDepositionOperation::optionsObserver() const { return classObserver(); }

void IsotropicFilmDepositionOperation::run(Model::Automaton::TotalVolume &volume)
{
    IsotropicFilmDeposition engine(volume, m_material, m_thickness);
    engine.run();
}

bool IsotropicFilmDepositionOperation::marksLatticeOutOfDate() const { return m_material == 1; }

} // namespace Operations
} // namespace Core
