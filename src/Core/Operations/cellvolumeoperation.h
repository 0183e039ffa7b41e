#pragma once

#include "Core/Operations/operation.h"
#include "Model/Volume/totalvolume.h"
#include "Util/iobserver.h"
#include "Util/runcontrol.h"

#include <cstdint>
#include <vector>

namespace Core {
namespace Operations {

/// The protocol shared by the operations that work on one cell volume:
/// `start` finds the volume (the selection, the only object, or a console prompt) and lets the
/// options observer run the dialog; `execute` runs the engine, prints the timing lines,
/// regenerates the surface, records the step and reports to the workspace.
/// A concrete operation supplies only its options check and its engine run.
template <class Base> class CellVolumeOperation : public Base {
public:
    using Base::Base;

    void start() override;
    void cancel() override;
    void execute() override;

    Model::Automaton::TotalVolumePtr volume() const { return m_volume; }
    /// Gives the operation its volume directly (the batch runner and tests).
    void setVolume(const Model::Automaton::TotalVolumePtr &volume) { m_volume = volume; }

protected:
    /// True when every required option was set by the dialog.
    virtual bool hasOptions() const = 0;
    /// Runs the engine on the locked-free volume (the engine takes the lock itself). The engine
    /// is given `runControl()`, so that it reports progress and stops when the user cancels.
    virtual void run(Model::Automaton::TotalVolume &volume) = 0;
    /// Whether the engine changes the cells' atom counts, which a stopped run (and undo) then puts back too.
    virtual bool changesAtomCounts() const { return false; }
    /// Whether the step invalidates the volume's atomistic lattice.
    virtual bool marksLatticeOutOfDate() const { return false; }
    /// What the console says after the step, behind the step's name.
    virtual QString finishedText() const { return QStringLiteral("Operation finished."); }
    /// Before the run: keeps what a stopped or failed run needs to put the cells back (here a
    /// copy of the states, and of the atom counts when the engine changes them). False when
    /// nothing could be kept: the run then cannot be stopped.
    virtual bool beforeRun(Model::Automaton::TotalVolume &volume);
    /// After a successful run.
    virtual void afterRun(Model::Automaton::TotalVolume &) {}
    /// Puts back the cells kept by beforeRun; false when none were kept.
    virtual bool putBackCells(Model::Automaton::TotalVolume &volume);
    /// Called when the engine threw part way; the cells may hold a half-finished result.
    virtual void afterFailedRun(Model::Automaton::TotalVolume &volume);

    /// The control of the running step (null outside `run`): engines report to it and stop at its request.
    Util::RunControl *runControl() const { return m_control; }

    void chooseVolume(const Model::Automaton::TotalVolumePtr &volume);

private:
    Model::Automaton::TotalVolumePtr m_volume;
    Util::RunControl *m_control = nullptr;
    std::vector<Model::Automaton::Cells::State> m_keptStates;
    /// The atom counts of the volume's silicon lattice, when it has one.
    std::vector<uint8_t> m_keptAtoms;
};

extern template class CellVolumeOperation<Operation>;
extern template class CellVolumeOperation<ObjectOperation>;

} // namespace Operations
} // namespace Core
