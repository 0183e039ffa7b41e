#include "Core/Processes/isotropicetchingprocess.h"

#include "Core/Engines/DistanceCounting/filmetchingengine.h"
#include "Core/Processes/parameternames.h"

namespace Core {
namespace Processes {

IsotropicEtchingProcess::IsotropicEtchingProcess()
    : TypedProcessDescriptor(
          ProcessType::IsotropicEtching, QStringLiteral("Isotropic etching"), QStringLiteral("Isotropic Etching"),
          QList<ParameterDefinition>{{Parameter::Depth, ParameterKind::Double, Shown::Always, floatLength}} +
              materialParameters(Parameter::Material),
          {{CommandId::IsotropicEtching, "Isotropic Etching", 14, "IsotropicEtching", {}}})
{
}

IsotropicEtchingParameters IsotropicEtchingProcess::read(ParameterReader &reader) const
{
    Params params;
    params.material = reader.toUInt(Parameter::MaterialId);
    params.depth = reader.toDouble(Parameter::Depth);
    return params;
}

QVariantMap IsotropicEtchingProcess::values(const Params &params) const
{
    return {{Parameter::MaterialId, QVariant::fromValue<uint>(params.material)}, {Parameter::Depth, params.depth}};
}

void IsotropicEtchingProcess::runEngine(Model::Automaton::TotalVolume &volume, const Params &params,
                                        ProcessRun &run) const
{
    Operations::FilmEtchingEngine engine(volume, params.material, static_cast<float>(params.depth));
    engine.setRunControl(run.control);
    engine.run();
}

} // namespace Processes
} // namespace Core
