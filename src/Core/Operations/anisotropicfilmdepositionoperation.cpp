#include "anisotropicfilmdepositionoperation.h"

#include "filmdeposition.h"

namespace Core {
namespace Operations {

AnisotropicFilmDepositionOperation::AnisotropicFilmDepositionOperation(Workspace &workspace)
    : UndoableProcessOperation(workspace, QStringLiteral("Anisotropic Deposition"), 13,
                               QStringLiteral("AnisotropicDeposition"))
{
}

void AnisotropicFilmDepositionOperation::run(Model::Automaton::TotalVolume &volume)
{
    FilmDeposition engine(volume, material(), thickness(), ratio());
    engine.setRunControl(runControl());
    engine.run();
}

} // namespace Operations
} // namespace Core
