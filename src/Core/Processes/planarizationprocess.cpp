#include "Core/Processes/planarizationprocess.h"

#include "Core/Engines/Columns/planarization.h"
#include "Core/Processes/parameternames.h"

namespace Core {
namespace Processes {

PlanarizationProcess::PlanarizationProcess()
    : TypedProcessDescriptor(ProcessType::Planarization, QStringLiteral("Planarization"),
                             QStringLiteral("Planarization"),
                             {{Parameter::MaximumHeight, ParameterKind::UInt, Shown::Always},
                              {Parameter::MinimumHeight, ParameterKind::UInt, Shown::Always}},
                             {{CommandId::Planarization, "Planarization", 22, "Planarization", {}}})
{
}

PlanarizationParameters PlanarizationProcess::read(ParameterReader &reader) const
{
    Params params;
    params.maximumHeight = reader.toUInt(Parameter::MaximumHeight);
    params.minimumHeight = reader.toUInt(Parameter::MinimumHeight);
    return params;
}

QVariantMap PlanarizationProcess::values(const Params &params) const
{
    return {{Parameter::MaximumHeight, QVariant::fromValue<uint>(params.maximumHeight)},
            {Parameter::MinimumHeight, QVariant::fromValue<uint>(params.minimumHeight)}};
}

void PlanarizationProcess::runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const
{
    Operations::Planarization engine(volume, params.maximumHeight, params.minimumHeight);
    engine.setRunControl(run.control);
    engine.run();
}

} // namespace Processes
} // namespace Core
