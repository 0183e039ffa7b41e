#include "isotropicfilmdepositionoperation.h"

#include "filmdeposition.h"

namespace Core {
namespace Operations {

IsotropicFilmDepositionOperation::IsotropicFilmDepositionOperation(Workspace &workspace, const QString &name)
    : UndoableProcessOperation(workspace, name, 13, QStringLiteral("IsotropicDeposition"))
{
}

void IsotropicFilmDepositionOperation::run(Model::Automaton::TotalVolume &volume)
{
    FilmDeposition engine(volume, material(), thickness());
    engine.setRunControl(runControl());
    engine.run();
}

} // namespace Operations
} // namespace Core
