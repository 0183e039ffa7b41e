#include "Core/Processes/dopingprocess.h"

#include "Core/Engines/DistanceCounting/simpledoping.h"
#include "Core/Processes/compatiblematerials.h"
#include "Core/Processes/parameternames.h"

namespace Core {
namespace Processes {

namespace {

/// The catalogue process whose materials the dialogs offer as doped materials.
constexpr uint32_t dopedMaterialsProcess = 13;

} // namespace

DopingProcess::DopingProcess()
    : TypedProcessDescriptor(
          ProcessType::Doping, QStringLiteral("Doping"), QStringLiteral("Doping"),
          QList<ParameterDefinition>{{Parameter::DopingDepth, ParameterKind::Float, Shown::Always, floatLength}} +
              materialParameters(Parameter::DopedMaterial, Shown::Always),
          {{CommandId::Doping, "Doping", 17, "Doping", {}}})
{
}

uint32_t DopingProcess::compatibleProcessId() const { return dopedMaterialsProcess; }

DopingParameters DopingProcess::read(ParameterReader &reader) const
{
    Params params;
    params.depth = reader.toFloat(Parameter::DopingDepth);
    params.material = reader.toUInt(Parameter::materialId(Parameter::DopedMaterial));
    return params;
}

QVariantMap DopingProcess::values(const Params &params) const
{
    return {{Parameter::DopingDepth, params.depth},
            {Parameter::materialId(Parameter::DopedMaterial), QVariant::fromValue<uint>(params.material)}};
}

int DopingProcess::prepare(Params &, const ProcessStep &, ProcessRun &run) const
{
    return requireCompatibleMaterials(run, Operations::SimpleDoping::dopableProcess, "doped");
}

void DopingProcess::runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const
{
    Operations::SimpleDoping engine(volume, params.material, params.depth);
    engine.setRunControl(run.control);
    engine.run();
}

} // namespace Processes
} // namespace Core
