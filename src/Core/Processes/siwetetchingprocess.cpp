#include "Core/Processes/siwetetchingprocess.h"

#include "Core/Engines/Lattice/bondcountingwetetchengine.h"
#include "Core/Engines/Lattice/continuouswetetchengine.h"
#include "Core/Processes/parameternames.h"
#include "Core/workspace.h"
#include "Model/Volume/silattice.h"

namespace Core {
namespace Processes {

namespace {

constexpr const char *bondCounting = "BCA";
constexpr const char *continuousAutomaton = "CCA";

} // namespace

SiWetEtchingProcess::SiWetEtchingProcess()
    : TypedProcessDescriptor(
          ProcessType::SiWetEtching, QStringLiteral("Si wet etching"), QStringLiteral("Si Wet Etching"),
          {{Parameter::Depth, ParameterKind::Double, Shown::Always, Util::ValueRange::notNegative(DBL_MAX, "units")},
           // May be absent: such a step etches by bond counting.
           {Parameter::EtchModel, ParameterKind::String, Shown::Always}},
          {{CommandId::BondCountingWetEtch, "BCA Wet Etch", 28, "BCAWetEtch", {{Parameter::EtchModel, bondCounting}}},
           {CommandId::ContinuousWetEtch,
            "Continuous Wet Etch",
            29,
            "CCAWetEtch",
            {{Parameter::EtchModel, continuousAutomaton}}}})
{
}

SiWetEtchingParameters SiWetEtchingProcess::read(ParameterReader &reader) const
{
    Params params;
    params.depth = reader.toDouble(Parameter::Depth);
    // Lists written before the model could be chosen etch by bond counting, as they always did.
    if (reader.step().hasParameter(Parameter::EtchModel))
        params.model = reader.step().getProcessParameter(Parameter::EtchModel).toString();
    return params;
}

QVariantMap SiWetEtchingProcess::values(const Params &params) const
{
    return {{Parameter::Depth, params.depth}, {Parameter::EtchModel, params.model}};
}

QString SiWetEtchingProcess::validate(const Params &params) const
{
    if (params.model != QLatin1String(bondCounting) && params.model != QLatin1String(continuousAutomaton))
        return QStringLiteral("invalid: Etch Model must be BCA or CCA, not \"%1\"").arg(params.model);
    return QString();
}

void SiWetEtchingProcess::runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const
{
    Core::Workspace &workspace = run.workspace;
    if (!volume.siLattice() || workspace.isLatticeOutOfDate(volume.id())) {
        // Marked first: a build that fails part way leaves no lattice to trust.
        workspace.setLatticeOutOfDate(volume.id(), true);
        volume.createSiLattice();
    }
    if (params.model == QLatin1String(continuousAutomaton)) {
        Operations::ContinuousWetEtchEngine engine(volume, params.depth);
        engine.setRunControl(run.control);
        engine.run();
    } else {
        Operations::BondCountingWetEtchEngine engine(volume, params.depth);
        engine.setRunControl(run.control);
        engine.run();
    }
    // The atoms are those of a partial etch; the next wet etch lays them anew from the cells.
    if (run.control && run.control->wasStopped())
        workspace.setLatticeOutOfDate(volume.id(), true);
}

void SiWetEtchingProcess::afterRun(Model::Automaton::TotalVolume &volume, const Params &, ProcessRun &run) const
{
    run.workspace.setLatticeOutOfDate(volume.id(), false);
}

uint32_t SiWetEtchingProcess::recordedTypeCode(const Params &params) const
{
    return commands().at(params.model == QLatin1String(continuousAutomaton) ? 1 : 0).typeCode;
}

Operations::ProcessSnapshot::Scope SiWetEtchingProcess::undoScope(const Core::Processes::ProcessStep &) const
{
    Operations::ProcessSnapshot::Scope scope;
    scope.atomCounts = true;
    scope.lattice = true;
    return scope;
}

} // namespace Processes
} // namespace Core
