#include "siwetetchoperation.h"

#include "Core/workspace.h"
#include "Model/Automaton/silattice.h"

namespace Core {
namespace Operations {

SiWetEtchOperation::SiWetEtchOperation(Workspace &workspace, const QString &name, uint32_t typeCode,
                                       const QString &snapshotKey)
    : UndoableProcessOperation(workspace, name, typeCode, snapshotKey)
{
}

void SiWetEtchOperation::run(Model::Automaton::TotalVolume &volume)
{
    Workspace &ws = workspace();
    if (!volume.siLattice() || ws.isLatticeOutOfDate(volume.id())) {
        // Marked first: a build that fails part way leaves no lattice to trust.
        ws.setLatticeOutOfDate(volume.id(), true);
        volume.createSiLattice();
    }
    runEngine(volume, depth());
    ws.setLatticeOutOfDate(volume.id(), false);
}

ProcessSnapshot::Scope SiWetEtchOperation::snapshotScope() const
{
    ProcessSnapshot::Scope scope = UndoableProcessOperation::snapshotScope();
    scope.lattice = true;
    return scope;
}

} // namespace Operations
} // namespace Core
