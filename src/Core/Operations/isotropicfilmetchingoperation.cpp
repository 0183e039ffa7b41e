#include "isotropicfilmetchingoperation.h"

#include "isotropicfilmetching.h"

namespace Core {
namespace Operations {

namespace {
Util::ObserverPtr &classObserver()
{
    static Util::ObserverPtr observer;
    return observer;
}
} // namespace

IsotropicFilmEtchingOperation::IsotropicFilmEtchingOperation(Workspace &workspace)
    : UndoableProcessOperation(workspace, QStringLiteral("Isotropic Etching"), 14, QStringLiteral("IsotropicEtching"))
{
}

void IsotropicFilmEtchingOperation::setMaterial(uint32_t material)
{
    m_material = material;
    m_materialSet = true;
}

void IsotropicFilmEtchingOperation::setDepth(double depth)
{
    m_depth = static_cast<float>(depth);
    m_depthSet = true;
}

void IsotropicFilmEtchingOperation::setObserver(const Util::ObserverPtr &observer)
{
    classObserver() = observer;
}

Util::ObserverPtr IsotropicFilmEtchingOperation::optionsObserver() const { return classObserver(); }

void IsotropicFilmEtchingOperation::run(Model::Automaton::TotalVolume &volume)
{
    IsotropicFilmEtching engine(volume, m_material, m_depth);
    engine.run();
}

bool IsotropicFilmEtchingOperation::marksLatticeOutOfDate() const { return m_material == 1; }

} // namespace Operations
} // namespace Core
