#include "isotropicfilmetchingoperation.h"

#include "filmetching.h"

namespace Core {
namespace Operations {

IsotropicFilmEtchingOperation::IsotropicFilmEtchingOperation(Workspace &workspace)
    : UndoableProcessOperation(workspace, QStringLiteral("Isotropic Etching"), 14, QStringLiteral("IsotropicEtching"))
{
}

void IsotropicFilmEtchingOperation::run(Model::Automaton::TotalVolume &volume)
{
    FilmEtching engine(volume, material(), depth());
    engine.setRunControl(runControl());
    engine.run();
}

} // namespace Operations
} // namespace Core
