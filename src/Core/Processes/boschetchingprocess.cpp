#include "Core/Processes/boschetchingprocess.h"

#include "Core/Engines/LineOfSight/boschetching.h"
#include "Core/Processes/parameternames.h"

namespace Core {
namespace Processes {

namespace {

using Engine = Operations::BoschEtching;

Engine::Settings settingsOf(const BoschEtchingParameters &params)
{
    Engine::Settings settings;
    settings.material = params.material;
    settings.cycles = params.cycles;
    settings.etchPerCycle = params.etchPerCycle;
    settings.passivationThickness = params.passivationThickness;
    settings.reactionProbability = params.reactionProbability;
    settings.passivationMaterial = params.passivationMaterial;
    settings.stripPassivation = params.stripPassivation;
    return settings;
}

} // namespace

BoschEtchingProcess::BoschEtchingProcess()
    : TypedProcessDescriptor(
          ProcessType::BoschEtching, QStringLiteral("Bosch Etching"), QStringLiteral("Bosch Etching"),
          QList<ParameterDefinition>{
              {Parameter::Cycles, ParameterKind::UInt, Shown::Always, Util::ValueRange(1.0, Engine::largestCycleCount)},
              {Parameter::EtchPerCycle, ParameterKind::Double, Shown::Always,
               Util::ValueRange::notNegative(Engine::largestAmount, "cells")},
              {Parameter::PassivationThickness, ParameterKind::Double, Shown::Always,
               Util::ValueRange::notNegative(Engine::largestAmount, "cells")},
              {Parameter::ReactionProbability, ParameterKind::Double, Shown::Always,
               Util::ValueRange::aboveZero(1.0, "")},
              {Parameter::StripPassivation, ParameterKind::Bool, Shown::Always},
              {Parameter::RandomSeed, ParameterKind::UInt, Shown::WhenGiven}} +
              materialParameters(Parameter::Material) + materialParameters(Parameter::PassivationMaterial),
          {{CommandId::BoschEtching, "Bosch Etching", 42, "BoschEtching", {}}})
{
}

BoschEtchingParameters BoschEtchingProcess::read(ParameterReader &reader) const
{
    // Without them a step etches silicon at p = 0.1 under the fluorocarbon polymer, stripped at the end.
    const ProcessStep &step = reader.step();
    const QString passivationId = Parameter::materialId(Parameter::PassivationMaterial);
    Params params;
    if (step.hasParameter(Parameter::MaterialId))
        params.material = reader.toUInt(Parameter::MaterialId);
    params.cycles = reader.toUInt(Parameter::Cycles);
    params.etchPerCycle = reader.toDouble(Parameter::EtchPerCycle);
    params.passivationThickness = reader.toDouble(Parameter::PassivationThickness);
    if (step.hasParameter(Parameter::ReactionProbability))
        params.reactionProbability = reader.toDouble(Parameter::ReactionProbability);
    if (step.hasParameter(passivationId))
        params.passivationMaterial = reader.toUInt(passivationId);
    if (step.hasParameter(Parameter::StripPassivation))
        params.stripPassivation = reader.toBool(Parameter::StripPassivation);
    if (step.hasParameter(Parameter::RandomSeed))
        params.seed = reader.toUInt(Parameter::RandomSeed);
    return params;
}

QVariantMap BoschEtchingProcess::values(const Params &params) const
{
    // An invalid value takes the seed off the step.
    return {
        {Parameter::MaterialId, QVariant::fromValue<uint>(params.material)},
        {Parameter::Cycles, QVariant::fromValue<uint>(params.cycles)},
        {Parameter::EtchPerCycle, params.etchPerCycle},
        {Parameter::PassivationThickness, params.passivationThickness},
        {Parameter::ReactionProbability, params.reactionProbability},
        {Parameter::materialId(Parameter::PassivationMaterial), QVariant::fromValue<uint>(params.passivationMaterial)},
        {Parameter::StripPassivation, params.stripPassivation},
        {Parameter::RandomSeed, params.seed ? QVariant::fromValue<uint>(*params.seed) : QVariant()}};
}

QString BoschEtchingProcess::validate(const Params &params) const
{
    const QString problem = Engine::checkSettings(settingsOf(params));
    return problem.isEmpty() ? QString() : QStringLiteral("invalid: ") + problem;
}

QStringList BoschEtchingProcess::stepRefusals(const ProcessStep &step) const
{
    ParameterReader reader(step);
    const Params params = read(reader);
    if (!reader.ok())
        return QStringList(); // the step's reading says what is wrong when it runs
    const QString problem = Engine::checkSettings(settingsOf(params));
    return problem.isEmpty() ? QStringList() : QStringList{problem.chopped(1)};
}

void BoschEtchingProcess::runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const
{
    Engine engine(volume, settingsOf(params));
    if (params.seed)
        engine.setSeed(*params.seed);
    else if (run.seed)
        engine.setSeed(*run.seed);
    engine.setRunControl(run.control);
    engine.run();
}

} // namespace Processes
} // namespace Core
