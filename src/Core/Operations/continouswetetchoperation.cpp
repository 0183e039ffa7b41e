#include "continouswetetchoperation.h"

#include "continuoswetetching.h"

namespace Core {
namespace Operations {

ContinousWetEtchOperation::ContinousWetEtchOperation(Workspace &workspace)
    : SiWetEtchOperation(workspace, QStringLiteral("Continuous Wet Etch"), 29, QStringLiteral("CCAWetEtch"))
{
}

void ContinousWetEtchOperation::runEngine(Model::Automaton::TotalVolume &volume, double depth)
{
    ContinuosWetEtching engine(volume, depth);
    engine.setRunControl(runControl());
    engine.run();
}

} // namespace Operations
} // namespace Core
