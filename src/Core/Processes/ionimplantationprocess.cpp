#include "Core/Processes/ionimplantationprocess.h"

#include "Core/Engines/DistanceCounting/ionimplantation.h"
#include "Core/Processes/compatiblematerials.h"
#include "Core/Processes/parameternames.h"

namespace Core {
namespace Processes {

namespace {

/// The catalogue process whose materials the dialogs offer as implanted materials.
constexpr uint32_t implantedMaterialsProcess = 15;

} // namespace

IonImplantationProcess::IonImplantationProcess()
    : TypedProcessDescriptor(
          ProcessType::IonImplantation, QStringLiteral("Ion Implantation"), QStringLiteral("Ion Implantation"),
          QList<ParameterDefinition>{{Parameter::AnnealingDistance, ParameterKind::Float, Shown::Always, floatLength},
                                     {Parameter::ImplantationDepth, ParameterKind::Float, Shown::Always, floatLength},
                                     {Parameter::VerticalSpread, ParameterKind::Float, Shown::Always, floatLength}} +
              materialParameters(Parameter::DopedMaterial, Shown::Always),
          {{CommandId::IonImplantation, "Ion Implantation", 3, "IonImplantation", {}}})
{
}

uint32_t IonImplantationProcess::compatibleProcessId() const { return implantedMaterialsProcess; }

IonImplantationParameters IonImplantationProcess::read(ParameterReader &reader) const
{
    Params params;
    params.annealingDistance = reader.toFloat(Parameter::AnnealingDistance);
    params.depth = reader.toFloat(Parameter::ImplantationDepth);
    params.material = reader.toUInt(Parameter::materialId(Parameter::DopedMaterial));
    params.spread = reader.toFloat(Parameter::VerticalSpread);
    return params;
}

QVariantMap IonImplantationProcess::values(const Params &params) const
{
    return {{Parameter::AnnealingDistance, params.annealingDistance},
            {Parameter::ImplantationDepth, params.depth},
            {Parameter::VerticalSpread, params.spread},
            {Parameter::materialId(Parameter::DopedMaterial), QVariant::fromValue<uint>(params.material)}};
}

int IonImplantationProcess::prepare(Params &, const ProcessStep &, ProcessRun &run) const
{
    return requireCompatibleMaterials(run, Operations::IonImplantation::dopableProcess, "implanted");
}

void IonImplantationProcess::runEngine(Model::Automaton::TotalVolume &volume, const Params &params,
                                       ProcessRun &run) const
{
    Operations::IonImplantation engine(volume, params.material, params.depth, params.spread, params.annealingDistance);
    engine.setRunControl(run.control);
    engine.run();
}

} // namespace Processes
} // namespace Core
