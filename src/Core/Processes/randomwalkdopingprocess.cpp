#include "Core/Processes/randomwalkdopingprocess.h"

#include "Core/Engines/RandomWalk/randomwalkdoping.h"
#include "Core/Processes/parameternames.h"
#include "Model/Volume/particlecounts.h"

namespace Core {
namespace Processes {

namespace {

using Walk = Operations::RandomWalkDopingInput;

QList<ParameterDefinition> definitions()
{
    return QList<ParameterDefinition>{
               {Parameter::DiffusionCoefficient, ParameterKind::Double, Shown::Always, Walk::diffusionCoefficientRange},
               {Parameter::CellSize, ParameterKind::Double, Shown::Always, Walk::cellSizeRange},
               {Parameter::TimeStepDuration, ParameterKind::Double, Shown::Always, Walk::timeStepRange},
               {Parameter::SurfaceConcentration, ParameterKind::Double, Shown::Always, Walk::surfaceConcentrationRange},
               {Parameter::DopingTime, ParameterKind::Double, Shown::Always, Walk::dopingTimeRange},
               {Parameter::DopingThreshold, ParameterKind::Double, Shown::Always, Walk::thresholdRange}} +
           materialParameters(Parameter::Material, Shown::Always);
}

} // namespace

RandomWalkDopingProcess::RandomWalkDopingProcess()
    : TypedProcessDescriptor(ProcessType::RandomWalkDoping, QStringLiteral("Doping (Random Walk CA)"),
                             QStringLiteral("Random Walk Doping"), definitions(),
                             {{CommandId::RandomWalkDoping, "Random Walk Doping", 36, "RandomWalkDoping", {}}})
{
}

RandomWalkDopingParameters RandomWalkDopingProcess::read(ParameterReader &reader) const
{
    Params params;
    params.cellSizeMicrometres = reader.toDouble(Parameter::CellSize);
    params.timeStepSeconds = reader.toDouble(Parameter::TimeStepDuration);
    params.diffusionCoefficientCm2PerS = reader.toDouble(Parameter::DiffusionCoefficient);
    params.material = reader.toUInt(Parameter::MaterialId);
    params.dopingTimeMinutes = reader.toDouble(Parameter::DopingTime);
    params.thresholdPercent = reader.toDouble(Parameter::DopingThreshold);
    params.surfaceConcentrationPerCm3 = reader.toDouble(Parameter::SurfaceConcentration);
    return params;
}

QVariantMap RandomWalkDopingProcess::values(const Params &params) const
{
    return {{Parameter::DopingTime, params.dopingTimeMinutes},
            {Parameter::MaterialId, QVariant::fromValue<uint>(params.material)},
            {Parameter::DiffusionCoefficient, params.diffusionCoefficientCm2PerS},
            {Parameter::CellSize, params.cellSizeMicrometres},
            {Parameter::TimeStepDuration, params.timeStepSeconds},
            {Parameter::SurfaceConcentration, params.surfaceConcentrationPerCm3},
            {Parameter::DopingThreshold, params.thresholdPercent}};
}

QString RandomWalkDopingProcess::validate(const Params &params) const { return params.problem(); }

void RandomWalkDopingProcess::runEngine(Model::Automaton::TotalVolume &volume, const Params &params,
                                        ProcessRun &run) const
{
    Operations::RandomWalkDoping engine(volume, params.material, params.diffusionCoefficient(), params.timeStep(),
                                        params.cellSize(), params.dopantConcentration(),
                                        params.thresholdConcentration());
    if (run.seed)
        engine.setSeed(*run.seed);
    engine.setRunControl(run.control);
    engine.dope(params.dopingTime());
}

StepEstimate RandomWalkDopingProcess::estimate(const Core::Processes::ProcessStep &step,
                                               const Model::Automaton::TotalVolume &volume) const
{
    ParameterReader reader(step);
    const Params params = read(reader);
    if (!reader.ok())
        return StepEstimate();
    return {params.estimatedSeconds(volume.cellCount()), params.estimateText(volume.cellCount())};
}

Operations::ProcessSnapshot::Scope RandomWalkDopingProcess::undoScope(const Core::Processes::ProcessStep &step) const
{
    Operations::ProcessSnapshot::Scope scope;
    scope.atomCounts = true;
    // The counters of the doping material: a field the run makes goes again with the undo.
    const uint32_t material = step.getParameters().value(Parameter::MaterialId).toUInt();
    scope.counterFields << Model::Automaton::ParticleCounts::fieldNameFor(material);
    return scope;
}

} // namespace Processes
} // namespace Core
