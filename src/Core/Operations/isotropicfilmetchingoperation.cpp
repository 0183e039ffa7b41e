#include "isotropicfilmetchingoperation.h"

#include "isotropicfilmetching.h"

namespace Core {
namespace Operations {

IsotropicFilmEtchingOperation::IsotropicFilmEtchingOperation(Workspace &workspace)
    : UndoableProcessOperation(workspace, QStringLiteral("Isotropic Etching"), 14, QStringLiteral("IsotropicEtching"))
{
}

void IsotropicFilmEtchingOperation::run(Model::Automaton::TotalVolume &volume)
{
    IsotropicFilmEtching engine(volume, material(), depth());
    engine.setRunControl(runControl());
    engine.run();
}

} // namespace Operations
} // namespace Core
