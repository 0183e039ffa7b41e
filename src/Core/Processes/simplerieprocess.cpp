#include "Core/Processes/simplerieprocess.h"

#include "Core/Engines/Columns/simplereactiveionetching.h"
#include "Core/Processes/parameternames.h"

namespace Core {
namespace Processes {

SimpleRieProcess::SimpleRieProcess()
    : TypedProcessDescriptor(
          ProcessType::SimpleRie, QStringLiteral("Simple RIE"), QStringLiteral("RIE"),
          materialParameters(Parameter::Material) +
              QList<ParameterDefinition>{
                  {Parameter::EtchDepth, ParameterKind::UInt, Shown::Always},
                  {Parameter::EtchDirectionValue, ParameterKind::Int, Shown::Never, Util::ValueRange(0, 3)},
                  {Parameter::EtchDirection, ParameterKind::String, Shown::Always}},
          {{CommandId::SimpleRie, "Simple RIE", 30, "SimpleRIE", {}}})
{
}

SimpleRieParameters SimpleRieProcess::read(ParameterReader &reader) const
{
    Params params;
    params.material = reader.toUInt(Parameter::MaterialId);
    params.depth = reader.toUInt(Parameter::EtchDepth);
    params.direction = reader.toInt(Parameter::EtchDirectionValue);
    return params;
}

QVariantMap SimpleRieProcess::values(const Params &params) const
{
    return {{Parameter::MaterialId, QVariant::fromValue<uint>(params.material)},
            {Parameter::EtchDepth, QVariant::fromValue<uint>(params.depth)},
            {Parameter::EtchDirectionValue, params.direction}};
}

QString SimpleRieProcess::validate(const Params &params) const
{
    if (params.direction < 0 || params.direction > 3)
        return QStringLiteral("invalid: EtchDirectionValue must be 0 to 3");
    return QString();
}

void SimpleRieProcess::runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const
{
    Operations::SimpleReactiveIonEtching engine(volume, params.material, params.depth,
                                                static_cast<uint8_t>(params.direction));
    engine.setRunControl(run.control);
    engine.run();
}

QString SimpleRieProcess::directionText(int direction)
{
    QStringList parts;
    if (direction & Operations::SimpleReactiveIonEtching::fromBelow)
        parts << QStringLiteral("Bottom");
    if (direction & Operations::SimpleReactiveIonEtching::fromTop)
        parts << QStringLiteral("Top");
    return parts.join(QStringLiteral(" and "));
}

void SimpleRieProcess::completeDerivedParameters(ProcessStep &step) const
{
    TypedProcessDescriptor::completeDerivedParameters(step);
    if (step.hasParameter(Parameter::EtchDirectionValue))
        step.setParameterValue(Parameter::EtchDirection,
                               directionText(step.getParameters().value(Parameter::EtchDirectionValue).toInt()));
}

} // namespace Processes
} // namespace Core
