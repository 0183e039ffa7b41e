#include "Core/Processes/spincoatingprocess.h"

#include "Core/Engines/Columns/spincoating.h"
#include "Core/Processes/parameternames.h"

namespace Core {
namespace Processes {

SpinCoatingProcess::SpinCoatingProcess()
    : TypedProcessDescriptor(
          ProcessType::SpinCoating, QStringLiteral("Spin Coating"), QStringLiteral("Pour Material"),
          materialParameters(Parameter::Material) +
              QList<ParameterDefinition>{{Parameter::MaximumHeight, ParameterKind::UInt, Shown::Always}},
          {{CommandId::SpinCoating, "Spin Coating", 23, "SpinCoating", {}}})
{
}

SpinCoatingParameters SpinCoatingProcess::read(ParameterReader &reader) const
{
    Params params;
    params.height = reader.toUInt(Parameter::MaximumHeight);
    params.material = reader.toUInt(Parameter::MaterialId);
    return params;
}

QVariantMap SpinCoatingProcess::values(const Params &params) const
{
    return {{Parameter::MaterialId, QVariant::fromValue<uint>(params.material)},
            {Parameter::MaximumHeight, QVariant::fromValue<uint>(params.height)}};
}

void SpinCoatingProcess::runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const
{
    Operations::SpinCoating engine(volume, params.material, params.height);
    engine.setRunControl(run.control);
    engine.run();
}

} // namespace Processes
} // namespace Core
