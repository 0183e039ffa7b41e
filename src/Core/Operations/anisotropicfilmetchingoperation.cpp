#include "anisotropicfilmetchingoperation.h"

#include "filmetching.h"

namespace Core {
namespace Operations {

AnisotropicFilmEtchingOperation::AnisotropicFilmEtchingOperation(Workspace &workspace)
    : UndoableProcessOperation(workspace, QStringLiteral("Anisotropic Etching"), 13,
                               QStringLiteral("AnisotropicEtching"))
{
}

void AnisotropicFilmEtchingOperation::run(Model::Automaton::TotalVolume &volume)
{
    FilmEtching engine(volume, material(), depth(), ratio());
    engine.setRunControl(runControl());
    engine.run();
}

} // namespace Operations
} // namespace Core
