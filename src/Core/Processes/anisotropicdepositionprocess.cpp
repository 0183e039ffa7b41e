#include "Core/Processes/anisotropicdepositionprocess.h"

#include "Core/Engines/DistanceCounting/filmdepositionengine.h"
#include "Core/Processes/parameternames.h"

namespace Core {
namespace Processes {

AnisotropicDepositionProcess::AnisotropicDepositionProcess()
    : TypedProcessDescriptor(
          ProcessType::AnisotropicDeposition, QStringLiteral("Anisotropic Deposition"),
          QStringLiteral("Anisotropic Deposition"),
          QList<ParameterDefinition>{
              {Parameter::FilmThickness, ParameterKind::Double, Shown::Always, floatLength},
              {Parameter::HorizontalToVerticalRatio, ParameterKind::Double, Shown::Always, floatRatio}} +
              materialParameters(Parameter::Material),
          {{CommandId::AnisotropicDeposition, "Anisotropic Deposition", 27, "AnisotropicDeposition", {}}})
{
}

AnisotropicDepositionParameters AnisotropicDepositionProcess::read(ParameterReader &reader) const
{
    Params params;
    params.material = reader.toUInt(Parameter::MaterialId);
    params.thickness = reader.toDouble(Parameter::FilmThickness);
    params.ratio = reader.toDouble(Parameter::HorizontalToVerticalRatio);
    return params;
}

QVariantMap AnisotropicDepositionProcess::values(const Params &params) const
{
    return {{Parameter::MaterialId, QVariant::fromValue<uint>(params.material)},
            {Parameter::FilmThickness, params.thickness},
            {Parameter::HorizontalToVerticalRatio, params.ratio}};
}

void AnisotropicDepositionProcess::runEngine(Model::Automaton::TotalVolume &volume, const Params &params,
                                             ProcessRun &run) const
{
    Operations::FilmDepositionEngine engine(volume, params.material, static_cast<float>(params.thickness),
                                            static_cast<float>(params.ratio));
    engine.setRunControl(run.control);
    engine.run();
}

} // namespace Processes
} // namespace Core
