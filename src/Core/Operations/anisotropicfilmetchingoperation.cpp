#include "anisotropicfilmetchingoperation.h"

#include "anisotropicfilmetching.h"

namespace Core {
namespace Operations {

namespace {
Util::ObserverPtr &classObserver()
{
    static Util::ObserverPtr observer;
    return observer;
}
} // namespace

AnisotropicFilmEtchingOperation::AnisotropicFilmEtchingOperation(Workspace &workspace)
    : UndoableProcessOperation(workspace, QStringLiteral("Anisotropic Etching"), 13,
                               QStringLiteral("AnisotropicEtching"))
{
}

void AnisotropicFilmEtchingOperation::setMaterial(uint32_t material)
{
    m_material = material;
    m_materialSet = true;
}

void AnisotropicFilmEtchingOperation::setDepth(double depth)
{
    m_depth = static_cast<float>(depth);
    m_depthSet = true;
}

void AnisotropicFilmEtchingOperation::setRatio(double ratio)
{
    m_ratio = static_cast<float>(ratio);
    m_ratioSet = true;
}

void AnisotropicFilmEtchingOperation::setObserver(const Util::ObserverPtr &observer)
{
    classObserver() = observer;
}

Util::ObserverPtr AnisotropicFilmEtchingOperation::optionsObserver() const { return classObserver(); }

void AnisotropicFilmEtchingOperation::run(Model::Automaton::TotalVolume &volume)
{
    AnisotropicFilmEtching engine(volume, m_material, m_depth, m_ratio);
    engine.run();
}

} // namespace Operations
} // namespace Core
