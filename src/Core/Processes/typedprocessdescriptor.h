#pragma once

#include "Core/BatchRun/stepparameters.h"
#include "Core/Processes/processdescriptor.h"
#include "Util/runcontrol.h"

namespace Core {
namespace Processes {

/// Reads the parameters of a step, noting the first missing or invalid one.
using ParameterReader = BatchRun::StepParameters;

/// A descriptor whose step reads into a parameter struct: `run` and `finish` are written once
/// here, the process supplies how its values are read, written, checked and run.
template <class Params> class TypedProcessDescriptor : public ProcessDescriptor {
public:
    /// Reads the step's values; a missing or invalid one is noted by the reader, and the step
    /// then fails with what the reader says. Values are read in the order the runner names them.
    virtual Params read(ParameterReader &reader) const = 0;
    /// The values under their list names and kinds (the derived texts are not among them).
    virtual QVariantMap values(const Params &params) const = 0;
    /// What is wrong with values that each lie in their range ("invalid: ..."); empty when nothing is.
    virtual QString validate(const Params &) const { return QString(); }
    /// Completes the values from what the run gives before the engine starts (a layout read from
    /// the list's folder); a ResultCode, with `run.detail` on failure. A step with nothing to do
    /// sets `run.changedNothing` and returns Success: it then ends without running its engine.
    virtual int prepare(Params &, const ProcessStep &, ProcessRun &) const { return Success; }
    /// Runs the engine; it stops at `run.control`'s request.
    virtual void runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const = 0;
    /// What a finished step leaves on the volume, before it is recorded.
    virtual void afterRun(Model::Automaton::TotalVolume &, const Params &, ProcessRun &) const {}
    /// The code recorded as the volume's last operation (the window's command records its own
    /// after it); 0 records nothing (a step that changes no volume).
    virtual uint32_t recordedTypeCode(const Params &) const
    {
        return commands().isEmpty() ? 0 : commands().front().typeCode;
    }
    /// Whether the finished step leaves the volume's silicon lattice out of date.
    virtual bool marksLatticeOutOfDate(const Params &, const ProcessRun &) const { return true; }

    /// Writes the values into the step (keeping the visibility of names it had) and fills the
    /// derived texts.
    void write(const Params &params, ProcessStep &step) const
    {
        applyValues(step, values(params));
        completeDerivedParameters(step);
    }

    int run(ProcessRun &run, const ProcessStep &step) const final
    {
        ParameterReader reader(step);
        Params params = read(reader);
        if (!reader.ok()) {
            run.detail = reader.problem();
            return reader.result();
        }
        const QString problem = validate(params);
        if (!problem.isEmpty()) {
            run.detail = problem;
            return InvalidValue;
        }
        const int prepared = prepare(params, step, run);
        if (prepared != Success || run.changedNothing)
            return prepared;
        runEngine(*run.volume, params, run);
        return run.control && run.control->wasStopped() ? Stopped : Success;
    }

    void finish(ProcessRun &run, const ProcessStep &step) const final
    {
        if (run.changedNothing)
            return;
        ParameterReader reader(step);
        const Params params = read(reader);
        afterRun(*run.volume, params, run);
        if (const uint32_t code = recordedTypeCode(params))
            run.recordStep(code, marksLatticeOutOfDate(params, run));
    }

protected:
    using ProcessDescriptor::ProcessDescriptor;
};

} // namespace Processes
} // namespace Core
