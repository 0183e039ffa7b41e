#include "Core/Processes/electroplatingprocess.h"

#include "Core/Engines/DistanceCounting/electrodeposition.h"
#include "Core/Processes/parameternames.h"

namespace Core {
namespace Processes {

ElectroplatingProcess::ElectroplatingProcess()
    : TypedProcessDescriptor(
          ProcessType::Electroplating, QStringLiteral("Electroplating"), QStringLiteral("Electroplating"),
          QList<ParameterDefinition>{{Parameter::FilmThickness, ParameterKind::Double, Shown::Always, floatLength}} +
              materialParameters(Parameter::ConductingMaterial) + materialParameters(Parameter::DepositedMaterial),
          {{CommandId::Electroplating, "Electroplating", 15, "Electroplating", {}}})
{
}

ElectroplatingParameters ElectroplatingProcess::read(ParameterReader &reader) const
{
    Params params;
    params.thickness = reader.toDouble(Parameter::FilmThickness);
    params.conductingMaterial = reader.toUInt(Parameter::materialId(Parameter::ConductingMaterial));
    params.depositedMaterial = reader.toUInt(Parameter::materialId(Parameter::DepositedMaterial));
    return params;
}

QVariantMap ElectroplatingProcess::values(const Params &params) const
{
    return {
        {Parameter::FilmThickness, params.thickness},
        {Parameter::materialId(Parameter::DepositedMaterial), QVariant::fromValue<uint>(params.depositedMaterial)},
        {Parameter::materialId(Parameter::ConductingMaterial), QVariant::fromValue<uint>(params.conductingMaterial)}};
}

void ElectroplatingProcess::runEngine(Model::Automaton::TotalVolume &volume, const Params &params,
                                      ProcessRun &run) const
{
    Operations::Electrodeposition engine(volume, params.depositedMaterial, params.conductingMaterial,
                                         static_cast<float>(params.thickness));
    engine.setRunControl(run.control);
    engine.run();
}

} // namespace Processes
} // namespace Core
