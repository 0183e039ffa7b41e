#include "Core/Processes/isotropicdepositionprocess.h"

#include "Core/Engines/DistanceCounting/filmdepositionengine.h"
#include "Core/Processes/parameternames.h"

namespace Core {
namespace Processes {

IsotropicDepositionProcess::IsotropicDepositionProcess()
    : IsotropicDepositionProcess(
          ProcessType::IsotropicDeposition, QStringLiteral("Isotropic Deposition"), Parameter::FilmThickness, 18,
          {CommandId::IsotropicDeposition, "Isotropic Deposition", 13, "IsotropicDeposition", {}})
{
}

IsotropicDepositionProcess::IsotropicDepositionProcess(ProcessType type, const QString &name,
                                                       const QString &thicknessName, uint32_t compatibleProcess,
                                                       const ProcessCommand &command)
    : TypedProcessDescriptor(
          type, name, name,
          QList<ParameterDefinition>{{thicknessName, ParameterKind::Double, Shown::Always, floatLength}} +
              materialParameters(Parameter::Material),
          {command})
    , m_thicknessName(thicknessName)
    , m_compatibleProcess(compatibleProcess)
{
}

IsotropicDepositionParameters IsotropicDepositionProcess::read(ParameterReader &reader) const
{
    Params params;
    params.material = reader.toUInt(Parameter::MaterialId);
    params.thickness = reader.toDouble(m_thicknessName);
    return params;
}

QVariantMap IsotropicDepositionProcess::values(const Params &params) const
{
    return {{Parameter::MaterialId, QVariant::fromValue<uint>(params.material)}, {m_thicknessName, params.thickness}};
}

void IsotropicDepositionProcess::runEngine(Model::Automaton::TotalVolume &volume, const Params &params,
                                           ProcessRun &run) const
{
    Operations::FilmDepositionEngine engine(volume, params.material, static_cast<float>(params.thickness));
    engine.setRunControl(run.control);
    engine.run();
}

} // namespace Processes
} // namespace Core
