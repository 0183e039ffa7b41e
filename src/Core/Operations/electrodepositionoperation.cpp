#include "electrodepositionoperation.h"

#include "electrodeposition.h"

namespace Core {
namespace Operations {

ElectrodepositionOperation::ElectrodepositionOperation(Workspace &workspace)
    : UndoableProcessOperation(workspace, QStringLiteral("Electroplating"), 15, QStringLiteral("Electroplating"))
{
}

void ElectrodepositionOperation::run(Model::Automaton::TotalVolume &volume)
{
    Electrodeposition engine(volume, depositedMaterial(), conductingMaterial(), thickness());
    engine.setRunControl(runControl());
    engine.run();
}

} // namespace Operations
} // namespace Core
