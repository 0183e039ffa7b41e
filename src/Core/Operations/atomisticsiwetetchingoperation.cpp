#include "atomisticsiwetetchingoperation.h"

#include "atomicstructuresimplesiwetetch.h"

namespace Core {
namespace Operations {

AtomisticSiWetEtchingOperation::AtomisticSiWetEtchingOperation(Workspace &workspace)
    : SiWetEtchOperation(workspace, QStringLiteral("BCA Wet Etch"), 28, QStringLiteral("BCAWetEtch"))
{
}

void AtomisticSiWetEtchingOperation::runEngine(Model::Automaton::TotalVolume &volume, double depth)
{
    AtomicStructureSimpleSiWetEtch engine(volume, depth);
    engine.setRunControl(runControl());
    engine.run();
}

} // namespace Operations
} // namespace Core
