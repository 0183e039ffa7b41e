#include "Core/Processes/pvdprocess.h"

#include "Core/Engines/DistanceCounting/simplephysicalvapordeposition.h"
#include "Core/Processes/parameternames.h"

namespace Core {
namespace Processes {

PvdProcess::PvdProcess()
    : TypedProcessDescriptor(
          ProcessType::Pvd, QStringLiteral("PVD"), QStringLiteral("PVD"),
          QList<ParameterDefinition>{
              {Parameter::Thickness, ParameterKind::Double, Shown::Always, floatLength},
              {Parameter::DepositOnValue, ParameterKind::Int, Shown::Never, Util::ValueRange(1, 3)},
              {Parameter::DepositOn, ParameterKind::String, Shown::Always},
              {Parameter::HorizontalToVerticalRatio, ParameterKind::Double, Shown::Always, floatRatio}} +
              materialParameters(Parameter::Material),
          {{CommandId::Pvd, "Isotropic Deposition", 31, "IsotropicDeposition", {}}})
{
}

PvdParameters PvdProcess::read(ParameterReader &reader) const
{
    Params params;
    params.material = reader.toUInt(Parameter::MaterialId);
    params.thickness = reader.toDouble(Parameter::Thickness);
    params.ratio = reader.toDouble(Parameter::HorizontalToVerticalRatio);
    params.side = PvdSide(reader.toInt(Parameter::DepositOnValue));
    return params;
}

QVariantMap PvdProcess::values(const Params &params) const
{
    return {{Parameter::MaterialId, QVariant::fromValue<uint>(params.material)},
            {Parameter::Thickness, params.thickness},
            {Parameter::HorizontalToVerticalRatio, params.ratio},
            {Parameter::DepositOnValue, int(params.side)}};
}

QString PvdProcess::validate(const Params &params) const
{
    if (int(params.side) < int(PvdSide::Top) || int(params.side) > int(PvdSide::TopAndBottom))
        return QStringLiteral("invalid: DepositOn must be 1 (top), 2 (bottom) or 3 (both)");
    return QString();
}

void PvdProcess::runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const
{
    Operations::SimplePhysicalVaporDeposition engine(volume, params.material, static_cast<float>(params.thickness),
                                                     static_cast<float>(params.ratio),
                                                     static_cast<uint32_t>(params.side));
    engine.setRunControl(run.control);
    engine.run();
}

QString PvdProcess::sideText(int side)
{
    static const char *const texts[] = {"", "On Top", "On Bottom", "On Top and Bottom"};
    return QLatin1String(side >= 1 && side <= 3 ? texts[side] : "");
}

void PvdProcess::completeDerivedParameters(ProcessStep &step) const
{
    TypedProcessDescriptor::completeDerivedParameters(step);
    if (step.hasParameter(Parameter::DepositOnValue))
        step.setParameterValue(Parameter::DepositOn,
                               sideText(step.getParameters().value(Parameter::DepositOnValue).toInt()));
}

} // namespace Processes
} // namespace Core
