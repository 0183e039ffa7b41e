#include "Core/Processes/anisotropicetchingprocess.h"

#include "Core/Engines/DistanceCounting/filmetchingengine.h"
#include "Core/Processes/parameternames.h"

namespace Core {
namespace Processes {

AnisotropicEtchingProcess::AnisotropicEtchingProcess()
    : TypedProcessDescriptor(
          ProcessType::AnisotropicEtching, QStringLiteral("Anisotropic Etching"), QStringLiteral("Anisotropic Etching"),
          QList<ParameterDefinition>{
              {Parameter::EtchDepth, ParameterKind::Double, Shown::Always, floatLength},
              {Parameter::HorizontalToVerticalRatio, ParameterKind::Double, Shown::Always, floatRatio}} +
              materialParameters(Parameter::Material),
          {{CommandId::AnisotropicEtching, "Anisotropic Etching", 32, "AnisotropicEtching", {}}})
{
}

AnisotropicEtchingParameters AnisotropicEtchingProcess::read(ParameterReader &reader) const
{
    Params params;
    params.material = reader.toUInt(Parameter::MaterialId);
    params.depth = reader.toDouble(Parameter::EtchDepth);
    params.ratio = reader.toDouble(Parameter::HorizontalToVerticalRatio);
    return params;
}

QVariantMap AnisotropicEtchingProcess::values(const Params &params) const
{
    return {{Parameter::MaterialId, QVariant::fromValue<uint>(params.material)},
            {Parameter::EtchDepth, params.depth},
            {Parameter::HorizontalToVerticalRatio, params.ratio}};
}

void AnisotropicEtchingProcess::runEngine(Model::Automaton::TotalVolume &volume, const Params &params,
                                          ProcessRun &run) const
{
    Operations::FilmEtchingEngine engine(volume, params.material, static_cast<float>(params.depth),
                                         static_cast<float>(params.ratio));
    engine.setRunControl(run.control);
    engine.run();
}

} // namespace Processes
} // namespace Core
