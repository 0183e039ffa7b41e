#include "Core/Processes/mooreprocess.h"

#include "Core/Engines/Moore/mooreneighborhooddeposition.h"
#include "Core/Engines/Moore/mooreneighborhoodetching.h"
#include "Core/Processes/parameternames.h"

namespace Core {
namespace Processes {

namespace {

bool deposits(MooreProcess::Kind kind) { return kind == MooreProcess::Kind::Deposition; }

QString layersNameOf(MooreProcess::Kind kind)
{
    return QLatin1String(deposits(kind) ? Parameter::Thickness : Parameter::Depth);
}

} // namespace

MooreProcess::MooreProcess(Kind kind)
    : TypedProcessDescriptor(
          deposits(kind) ? ProcessType::MooreDeposition : ProcessType::MooreEtching,
          deposits(kind) ? QStringLiteral("Moore deposition") : QStringLiteral("Moore etching"),
          deposits(kind) ? QStringLiteral("Moore Deposition") : QStringLiteral("Moore Etching"),
          QList<ParameterDefinition>{{layersNameOf(kind), ParameterKind::UInt, Shown::Always}} +
              materialParameters(Parameter::Material),
          {deposits(kind) ? ProcessCommand{CommandId::MooreDeposition, "Moore film deposition", 18, "MooreFilmDep", {}}
                          : ProcessCommand{CommandId::MooreEtching, "Moore film deposition", 19, "MooreFilmDep", {}}})
    , m_kind(kind)
    , m_layersName(layersNameOf(kind))
{
}

MooreParameters MooreProcess::read(ParameterReader &reader) const
{
    Params params;
    params.material = reader.toUInt(Parameter::MaterialId);
    params.layers = reader.toUInt(m_layersName);
    return params;
}

QVariantMap MooreProcess::values(const Params &params) const
{
    return {{Parameter::MaterialId, QVariant::fromValue<uint>(params.material)},
            {m_layersName, QVariant::fromValue<uint>(params.layers)}};
}

void MooreProcess::runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const
{
    if (deposits(m_kind)) {
        Operations::MooreNeighborhoodDeposition engine(volume, params.material, params.layers);
        engine.setRunControl(run.control);
        engine.run();
    } else {
        Operations::MooreNeighborhoodEtching engine(volume, params.material, params.layers);
        engine.setRunControl(run.control);
        engine.run();
    }
}

} // namespace Processes
} // namespace Core
