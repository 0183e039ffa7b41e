#include "siwetetchoperation.h"

#include "Core/workspace.h"
#include "Model/Automaton/silattice.h"
#include "Util/failuretext.h"

#include <exception>

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

void SiWetEtchOperation::afterRestore(Model::Automaton::TotalVolume &volume)
{
    // The atoms shown and etched next must be those of the restored cells.
    Workspace &ws = workspace();
    ws.setLatticeOutOfDate(volume.id(), true);
    try {
        volume.createSiLattice();
        ws.setLatticeOutOfDate(volume.id(), false);
    } catch (const std::exception &error) {
        // The cells are back; only the atoms wait for the next wet etch to lay them anew.
        volume.setSiLattice(nullptr);
        ws.console().writeMessage(name() + QStringLiteral(": ") +
                                  Util::failureText(error, QStringLiteral("lay the silicon lattice anew")));
    }
}

} // namespace Operations
} // namespace Core
