#include "anisotropicfilmdepositionoperation.h"

#include "anisotropicfilmdeposition.h"

namespace Core {
namespace Operations {

namespace {
Util::ObserverPtr &classObserver()
{
    static Util::ObserverPtr observer;
    return observer;
}
} // namespace

AnisotropicFilmDepositionOperation::AnisotropicFilmDepositionOperation(Workspace &workspace)
    : UndoableProcessOperation(workspace, QStringLiteral("Anisotropic Deposition"), 13,
                               QStringLiteral("AnisotropicDeposition"))
{
}

void AnisotropicFilmDepositionOperation::setMaterial(uint32_t material)
{
    m_material = material;
    m_materialSet = true;
}

void AnisotropicFilmDepositionOperation::setThickness(double thickness)
{
    m_thickness = static_cast<float>(thickness);
    m_thicknessSet = true;
}

void AnisotropicFilmDepositionOperation::setRatio(double ratio)
{
    m_ratio = static_cast<float>(ratio);
    m_ratioSet = true;
}

void AnisotropicFilmDepositionOperation::setObserver(const Util::ObserverPtr &observer)
{
    classObserver() = observer;
}

Util::ObserverPtr AnisotropicFilmDepositionOperation::optionsObserver() const { return classObserver(); }

void AnisotropicFilmDepositionOperation::run(Model::Automaton::TotalVolume &volume)
{
    AnisotropicFilmDeposition engine(volume, m_material, m_thickness, m_ratio);
    engine.run();
}

} // namespace Operations
} // namespace Core
