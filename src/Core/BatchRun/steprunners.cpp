// The step runners of the batch runner for the processes that have no descriptor yet: one
// function per process type, each running the same engine as the interactive operation of that
// process. The processes with a descriptor run through it (Core/Processes).
#include "batchrunner.h"
#include "processvocabulary.h"
#include "stepparameters.h"

#include "Core/Operations/electrodeposition.h"
#include "Core/Operations/filmdeposition.h"
#include "Core/Operations/filmetching.h"
#include "Core/Operations/mooreneighborhooddeposition.h"
#include "Core/Operations/mooreneighborhoodetching.h"
#include "Core/Operations/simplephysicalvapordeposition.h"
#include "Core/workspace.h"
#include "Util/runcontrol.h"

namespace Core {
namespace BatchRun {

namespace {

// The result of a step whose parameters could not all be read, with the names behind it.
int fail(StepContext &context, const StepParameters &parameters)
{
    context.detail = parameters.problem();
    return parameters.result();
}

// A stopped engine leaves the step Stopped (the runner puts the cells back); a finished one is recorded.
int finishEngine(StepContext &context, uint32_t typeCode, bool changesSilicon = true)
{
    if (context.control && context.control->wasStopped())
        return Stopped;
    context.recordStep(typeCode, changesSilicon);
    return Success;
}

// Runs an engine on the step's volume once every parameter was read, and records the step.
// The caller reads the parameters first, so that a missing one is named in the order it is read.
template <class Engine, class... Arguments>
int runEngine(StepContext &context, const StepParameters &parameters, uint32_t typeCode, Arguments... arguments)
{
    if (!parameters.ok())
        return fail(context, parameters);
    Engine engine(*context.volume, arguments...);
    engine.setRunControl(context.control);
    engine.run();
    return finishEngine(context, typeCode);
}

// ---- distance-counting engines ----

int runIsotropicEtching(StepContext &context, const Ui::ProcessData &step)
{
    StepParameters p(step);
    const uint32_t material = p.toUInt(QStringLiteral("Material_Id"));
    const float depth = p.toFloat(QStringLiteral("Depth"));
    return runEngine<Core::Operations::FilmEtching>(context, p, 14, material, depth);
}

int runElectroplating(StepContext &context, const Ui::ProcessData &step)
{
    StepParameters p(step);
    const float thickness = p.toFloat(QStringLiteral("Film Thickness"));
    const uint32_t conducting = p.toUInt(QStringLiteral("Conducting Material_Id"));
    const uint32_t deposited = p.toUInt(QStringLiteral("Deposited Material_Id"));
    return runEngine<Core::Operations::Electrodeposition>(context, p, 15, deposited, conducting, thickness);
}

int runAnisotropicDeposition(StepContext &context, const Ui::ProcessData &step)
{
    StepParameters p(step);
    const uint32_t material = p.toUInt(QStringLiteral("Material_Id"));
    const float thickness = p.toFloat(QStringLiteral("Film Thickness"));
    const float ratio = p.toFloat(QStringLiteral("Horizontal to Vertical Ratio"));
    return runEngine<Core::Operations::FilmDeposition>(context, p, 27, material, thickness, ratio);
}

int runAnisotropicEtching(StepContext &context, const Ui::ProcessData &step)
{
    StepParameters p(step);
    const uint32_t material = p.toUInt(QStringLiteral("Material_Id"));
    const float depth = p.toFloat(QStringLiteral("Etch Depth"));
    const float ratio = p.toFloat(QStringLiteral("Horizontal to Vertical Ratio"));
    return runEngine<Core::Operations::FilmEtching>(context, p, 32, material, depth, ratio);
}

int runPvd(StepContext &context, const Ui::ProcessData &step)
{
    StepParameters p(step);
    const uint32_t material = p.toUInt(QStringLiteral("Material_Id"));
    const float thickness = p.toFloat(QStringLiteral("Thickness"));
    const float ratio = p.toFloat(QStringLiteral("Horizontal to Vertical Ratio"));
    const int side = p.toInt(QStringLiteral("DepositOn"));
    if (!p.ok())
        return fail(context, p);
    if (side < 1 || side > 3) {
        context.detail = QStringLiteral("invalid: DepositOn must be 1 (top), 2 (bottom) or 3 (both)");
        return InvalidValue;
    }
    Core::Operations::SimplePhysicalVaporDeposition engine(*context.volume, material, thickness, ratio,
                                                           static_cast<uint32_t>(side));
    engine.setRunControl(context.control);
    engine.run();
    return finishEngine(context, 31);
}

// ---- layer engines ----

int runMoore(StepContext &context, const Ui::ProcessData &step, bool deposition)
{
    StepParameters p(step);
    const uint32_t material = p.toUInt(QStringLiteral("Material_Id"));
    const uint32_t layers = p.toUInt(deposition ? QStringLiteral("Thickness") : QStringLiteral("Depth"));
    if (deposition)
        return runEngine<Core::Operations::MooreNeighborhoodDeposition>(context, p, 18, material, layers);
    return runEngine<Core::Operations::MooreNeighborhoodEtching>(context, p, 19, material, layers);
}

int runMooreDeposition(StepContext &context, const Ui::ProcessData &step) { return runMoore(context, step, true); }
int runMooreEtching(StepContext &context, const Ui::ProcessData &step) { return runMoore(context, step, false); }

} // namespace

void StepRegistry::addUndescribed(StepRegistry &registry)
{
    registry.add(IsotropicEtching, runIsotropicEtching);
    registry.add(Electroplating, runElectroplating);
    registry.add(Pvd, runPvd);
    registry.add(AnisotropicDeposition, runAnisotropicDeposition);
    registry.add(AnisotropicEtching, runAnisotropicEtching);
    registry.add(MooreDeposition, runMooreDeposition);
    registry.add(MooreEtching, runMooreEtching);
}

} // namespace BatchRun
} // namespace Core
