#pragma once

#include "Core/Engines/RandomWalk/randomwalkdopinginput.h"
#include "Core/Processes/typedprocessdescriptor.h"

namespace Core {
namespace Processes {

/// The values in the units of the dialog and of process lists, converted to SI for the engine.
using RandomWalkDopingParameters = Operations::RandomWalkDopingInput;

/// "Random Walk Doping": dopant diffused from the surface as a random walk of particle counts,
/// which the volume keeps as a counter field. Its draws follow the run's seed (the dialog's, or
/// one per list step); a step says beforehand how long it will take, and undoing it takes back the
/// counters too.
class RandomWalkDopingProcess : public TypedProcessDescriptor<RandomWalkDopingParameters> {
public:
    using Params = RandomWalkDopingParameters;

    RandomWalkDopingProcess();

    QString canceledText() const override { return QStringLiteral("Operation Canceled!"); }
    StepEstimate estimate(const ProcessStep &step, const Model::Automaton::TotalVolume &volume) const override;
    Operations::ProcessSnapshot::Scope undoScope(const ProcessStep &step) const override;

    Params read(ParameterReader &reader) const override;
    QVariantMap values(const Params &params) const override;
    QString validate(const Params &params) const override;
    void runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const override;
};

} // namespace Processes
} // namespace Core
