#include "Core/Processes/lineofsightprocess.h"

#include "Core/Processes/parameternames.h"
#include "Model/Volume/surfaceflux.h"
#include "Util/runcontrol.h"

namespace Core {
namespace Processes {

namespace {

using Transport = Operations::LineOfSightTransport;

bool isDeposition(Transport::Mode mode) { return mode == Transport::Mode::Deposition; }

QList<ParameterDefinition> definitions(Transport::Mode mode)
{
    const bool deposition = isDeposition(mode);
    return QList<ParameterDefinition>{{deposition ? Parameter::FilmThickness : Parameter::EtchDepth,
                                       ParameterKind::Double, Shown::Always,
                                       Util::ValueRange::notNegative(Transport::largestAmount, "cells")},
                                      {deposition ? Parameter::StickingCoefficient : Parameter::ReactionProbability,
                                       ParameterKind::Double, Shown::Always, Util::ValueRange::aboveZero(1.0, "")},
                                      {Parameter::SourceExponent, ParameterKind::Double, Shown::Always,
                                       Util::ValueRange(1.0, Transport::largestExponent)},
                                      {Parameter::RandomSeed, ParameterKind::UInt, Shown::WhenGiven}} +
           materialParameters(Parameter::Material);
}

ProcessCommand ownCommand(Transport::Mode mode)
{
    if (isDeposition(mode))
        return {CommandId::LineOfSightDeposition, "Line-of-Sight Deposition", 40, "LineOfSightDeposition", {}};
    return {CommandId::LineOfSightEtching, "Line-of-Sight Etching", 41, "LineOfSightEtching", {}};
}

QString name(Transport::Mode mode)
{
    return isDeposition(mode) ? QStringLiteral("Line-of-Sight Deposition") : QStringLiteral("Line-of-Sight Etching");
}

} // namespace

LineOfSightProcess::LineOfSightProcess(Mode mode)
    : TypedProcessDescriptor(isDeposition(mode) ? ProcessType::LineOfSightDeposition : ProcessType::LineOfSightEtching,
                             name(mode), name(mode), definitions(mode), {ownCommand(mode)})
    , m_mode(mode)
{
}

QString LineOfSightProcess::amountName() const
{
    return isDeposition(m_mode) ? Parameter::FilmThickness : Parameter::EtchDepth;
}

QString LineOfSightProcess::stickingName() const
{
    return isDeposition(m_mode) ? Parameter::StickingCoefficient : Parameter::ReactionProbability;
}

// The catalogue's processes whose materials the dialogs offer: those of PVD (a line-of-sight
// deposition itself) and of isotropic etching.
uint32_t LineOfSightProcess::compatibleProcessId() const { return isDeposition(m_mode) ? 4 : 10; }

LineOfSightParameters LineOfSightProcess::read(ParameterReader &reader) const
{
    Params params;
    params.material = reader.toUInt(Parameter::MaterialId);
    params.amount = reader.toDouble(amountName());
    params.sticking = reader.toDouble(stickingName());
    // A step without an exponent has a cosine source.
    if (reader.step().hasParameter(Parameter::SourceExponent))
        params.sourceExponent = reader.toDouble(Parameter::SourceExponent);
    if (reader.step().hasParameter(Parameter::RandomSeed))
        params.seed = reader.toUInt(Parameter::RandomSeed);
    return params;
}

QVariantMap LineOfSightProcess::values(const Params &params) const
{
    // An invalid value takes the seed off the step.
    return {{Parameter::MaterialId, QVariant::fromValue<uint>(params.material)},
            {amountName(), params.amount},
            {stickingName(), params.sticking},
            {Parameter::SourceExponent, params.sourceExponent},
            {Parameter::RandomSeed, params.seed ? QVariant::fromValue<uint>(*params.seed) : QVariant()}};
}

QString LineOfSightProcess::validate(const Params &params) const
{
    const QString problem =
        Transport::checkSettings({m_mode, params.material, params.amount, params.sticking, params.sourceExponent});
    return problem.isEmpty() ? QString() : QStringLiteral("invalid: ") + problem;
}

void LineOfSightProcess::runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const
{
    Transport engine(volume, {m_mode, params.material, params.amount, params.sticking, params.sourceExponent});
    if (params.seed)
        engine.setSeed(*params.seed);
    else if (run.seed)
        engine.setSeed(*run.seed);
    engine.setRunControl(run.control);
    engine.run();
    // The flux of the last round, for the field view and the CSV export.
    if (!run.control || !run.control->wasStopped())
        Model::Automaton::SurfaceFlux::attach(volume, std::make_shared<Model::Automaton::SurfaceFlux>(engine.lastFlux()));
}

} // namespace Processes
} // namespace Core
