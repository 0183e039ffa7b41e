#include "simplephysicalvapordepositionoperation.h"

#include "simplephysicalvapordeposition.h"

namespace Core {
namespace Operations {

// The menu says "PVD", but the step reports and undoes itself under the isotropic deposition's name.
SimplePhysicalVaporDepositionOperation::SimplePhysicalVaporDepositionOperation(Workspace &workspace)
    : UndoableProcessOperation(workspace, QStringLiteral("Isotropic Deposition"), 13,
                               QStringLiteral("IsotropicDeposition"))
{
}

void SimplePhysicalVaporDepositionOperation::run(Model::Automaton::TotalVolume &volume)
{
    SimplePhysicalVaporDeposition engine(volume, material(), thickness(), ratio(), side());
    engine.setRunControl(runControl());
    engine.run();
}

} // namespace Operations
} // namespace Core
