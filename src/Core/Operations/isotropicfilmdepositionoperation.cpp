#include "isotropicfilmdepositionoperation.h"

#include "isotropicfilmdeposition.h"

namespace Core {
namespace Operations {

IsotropicFilmDepositionOperation::IsotropicFilmDepositionOperation(Workspace &workspace, const QString &name)
    : UndoableProcessOperation(workspace, name, 13, QStringLiteral("IsotropicDeposition"))
{
}

void IsotropicFilmDepositionOperation::run(Model::Automaton::TotalVolume &volume)
{
    IsotropicFilmDeposition engine(volume, material(), thickness());
    engine.setRunControl(runControl());
    engine.run();
}

} // namespace Operations
} // namespace Core
