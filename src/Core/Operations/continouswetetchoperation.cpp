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
    ContinuosWetEtching(volume, depth).run();
}

} // namespace Operations
} // namespace Core
