#pragma once

#include "processoption.h"

namespace Core {
namespace Operations {

/// What the two atomistic silicon wet etches share as operations: the etch depth, the volume's
/// lattice rebuilt first when it is out of date (and marked up to date after the etch), and undo
/// and redo of the changed cells, atom counts and lattice atoms.
class SiWetEtchOperation : public UndoableProcessOperation {
public:
    /// In cells: how far a (100) surface recedes.
    void setDepth(double depth) { m_depth.set(depth); }
    double depth() const { return m_depth.value(); }

protected:
    SiWetEtchOperation(Workspace &workspace, const QString &name, uint32_t typeCode, const QString &snapshotKey);

    bool hasOptions() const override { return m_depth.isSet(); }
    void run(Model::Automaton::TotalVolume &volume) override;
    bool changesAtomCounts() const override { return true; }
    ProcessSnapshot::Scope snapshotScope() const override;
    /// Runs the etch engine on the volume, whose lattice is up to date.
    virtual void runEngine(Model::Automaton::TotalVolume &volume, double depth) = 0;

private:
    ProcessOption<double> m_depth;
};

} // namespace Operations
} // namespace Core
