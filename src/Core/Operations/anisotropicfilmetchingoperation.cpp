#include "anisotropicfilmetchingoperation.h"

#include "anisotropicfilmetching.h"

namespace Core {
namespace Operations {

AnisotropicFilmEtchingOperation::AnisotropicFilmEtchingOperation(Workspace &workspace)
    : UndoableProcessOperation(workspace, QStringLiteral("Anisotropic Etching"), 13,
                               QStringLiteral("AnisotropicEtching"))
{
}

void AnisotropicFilmEtchingOperation::run(Model::Automaton::TotalVolume &volume)
{
    AnisotropicFilmEtching engine(volume, material(), depth(), ratio());
    engine.setRunControl(runControl());
    engine.run();
}

} // namespace Operations
} // namespace Core
