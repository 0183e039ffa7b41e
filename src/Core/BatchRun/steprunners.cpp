// The step runners of the batch runner for the processes that have no descriptor yet: one
// function per process type, each running the same engine as the interactive operation of that
// process. The processes with a descriptor run through it (Core/Processes).
#include "batchrunner.h"
#include "processvocabulary.h"
#include "stepparameters.h"

#include "Core/Operations/electrodeposition.h"
#include "Core/Operations/filmdeposition.h"
#include "Core/Operations/filmetching.h"
#include "Core/Operations/ionimplantation.h"
#include "Core/Operations/mooreneighborhooddeposition.h"
#include "Core/Operations/mooreneighborhoodetching.h"
#include "Core/Operations/randomwalkdoping.h"
#include "Core/Operations/randomwalkdopinginput.h"
#include "Core/Operations/simpledoping.h"
#include "Core/Operations/simplephysicalvapordeposition.h"
#include "Core/Operations/simplesioxidation.h"
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

// ---- doping and oxidation ----

// A step whose process finds no material to act on changes nothing; it still succeeds, and its
// line in the report says why nothing changed.
bool noMaterialToChange(StepContext &context, const Core::Operations::MaterialSet &materials, uint32_t processId,
                        const char *verb)
{
    if (!materials.isEmpty())
        return false;
    context.detail = Core::Operations::noCompatibleMaterialsText(processId, QLatin1String(verb));
    return true;
}

int runDoping(StepContext &context, const Ui::ProcessData &step)
{
    using Core::Operations::SimpleDoping;
    StepParameters p(step);
    const float depth = p.toFloat(QStringLiteral("Doping Depth"));
    const uint32_t material = p.toUInt(QStringLiteral("Doped Material_Id"));
    if (!p.ok())
        return fail(context, p);
    SimpleDoping engine(*context.volume, material, depth);
    if (noMaterialToChange(context, engine.dopableMaterials(), SimpleDoping::dopableProcess, "doped"))
        return Success;
    engine.setRunControl(context.control);
    engine.run();
    return finishEngine(context, 17, material == 1);
}

int runIonImplantation(StepContext &context, const Ui::ProcessData &step)
{
    using Core::Operations::IonImplantation;
    StepParameters p(step);
    const float annealing = p.toFloat(QStringLiteral("Annealing Distance"));
    const float depth = p.toFloat(QStringLiteral("Implantation Depth"));
    const uint32_t material = p.toUInt(QStringLiteral("Doped Material_Id"));
    const float spread = p.toFloat(QStringLiteral("Vertical Spread"));
    if (!p.ok())
        return fail(context, p);
    IonImplantation engine(*context.volume, material, depth, spread, annealing);
    if (noMaterialToChange(context, engine.dopableMaterials(), IonImplantation::dopableProcess, "implanted"))
        return Success;
    engine.setRunControl(context.control);
    engine.run();
    return finishEngine(context, 3, material == 1);
}

// Reads only the parameters of the chosen mode. A missing one or one out of its range (a pressure
// of 0 or below) fails the step; a value that does not convert (including the mode itself) runs
// nothing, and the step still counts as done.
int runSiOxidation(StepContext &context, const Ui::ProcessData &step)
{
    using Core::Operations::SimpleSiOxidation;
    StepParameters mode(step);
    const bool byTime = mode.toBool(QStringLiteral("OxidationTimeSet"));
    StepParameters p(step);
    const double conversion = p.toDouble(QStringLiteral("Micron Conversion"));
    double time = 0.0, temperature = 0.0, pressure = 0.0, thickness = 0.0;
    if (mode.ok() && byTime) {
        pressure = p.toDouble(QStringLiteral("Oxidation Pressure"));
        temperature = p.toDouble(QStringLiteral("Oxidation Temperature"));
        time = p.toDouble(QStringLiteral("Oxidation Time"));
    } else if (mode.ok()) {
        thickness = p.toDouble(QStringLiteral("Oxidation Thickness"));
    }
    if (mode.result() == MissingParameter)
        return fail(context, mode);
    if (p.result() == MissingParameter || p.outOfRange())
        return fail(context, p);
    if (!mode.ok() || !p.ok()) {
        context.detail = QStringLiteral("not run: ") + (mode.ok() ? p.problem() : mode.problem());
        return Success;
    }
    SimpleSiOxidation engine(*context.volume, conversion);
    if (noMaterialToChange(context, engine.oxidizableMaterials(), SimpleSiOxidation::oxidizableProcess, "oxidized"))
        return Success;
    engine.setRunControl(context.control);
    if (byTime)
        engine.runForTime(time, temperature, pressure);
    else
        engine.runWithThickness(thickness);
    if (context.control && context.control->wasStopped())
        return Stopped;
    if (!(engine.thickness() > 0.0)) {
        context.detail =
            QStringLiteral("the oxide thickness is %1 cell units; nothing was oxidized").arg(engine.thickness());
        return Success;
    }
    context.recordStep(26);
    return Success;
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

// ---- doping ----

// The step holds the dialog's values in the dialog's units; they are converted as the dialog's are.
Core::Operations::RandomWalkDopingInput randomWalkInput(StepParameters &p)
{
    Core::Operations::RandomWalkDopingInput input;
    input.cellSizeMicrometres = p.toDouble(QStringLiteral("Cell Size"));
    input.timeStepSeconds = p.toDouble(QStringLiteral("Time Step Duration"));
    input.diffusionCoefficientCm2PerS = p.toDouble(QStringLiteral("Diffusion Coefficient"));
    input.material = p.toUInt(QStringLiteral("Material_Id"));
    input.dopingTimeMinutes = p.toDouble(QStringLiteral("Doping Time"));
    input.thresholdPercent = p.toDouble(QStringLiteral("Doping Threshold"));
    input.surfaceConcentrationPerCm3 = p.toDouble(QStringLiteral("Surface Concentration"));
    return input;
}

StepEstimate estimateRandomWalkDoping(const Ui::ProcessData &step, const Model::Automaton::TotalVolumePtr &target)
{
    StepParameters p(step);
    const Core::Operations::RandomWalkDopingInput input = randomWalkInput(p);
    if (!p.ok())
        return StepEstimate();
    return {input.estimatedSeconds(target->cellCount()), input.estimateText(target->cellCount())};
}

int runRandomWalkDoping(StepContext &context, const Ui::ProcessData &step)
{
    StepParameters p(step);
    const Core::Operations::RandomWalkDopingInput input = randomWalkInput(p);
    if (!p.ok())
        return fail(context, p);
    const QString problem = input.problem();
    if (!problem.isEmpty()) {
        context.detail = problem;
        return InvalidValue;
    }
    Core::Operations::RandomWalkDoping engine(*context.volume, input.material, input.diffusionCoefficient(),
                                              input.timeStep(), input.cellSize(), input.dopantConcentration(),
                                              input.thresholdConcentration());
    if (context.seed)
        engine.setSeed(*context.seed);
    engine.setRunControl(context.control);
    engine.dope(input.dopingTime());
    return finishEngine(context, 36);
}

} // namespace

void StepRegistry::addUndescribed(StepRegistry &registry)
{
    registry.add(IsotropicEtching, runIsotropicEtching);
    registry.add(Electroplating, runElectroplating);
    registry.add(Doping, runDoping);
    registry.add(IonImplantation, runIonImplantation);
    registry.add(SiOxidation, runSiOxidation);
    registry.add(Pvd, runPvd);
    registry.add(AnisotropicDeposition, runAnisotropicDeposition);
    registry.add(AnisotropicEtching, runAnisotropicEtching);
    registry.add(MooreDeposition, runMooreDeposition);
    registry.add(MooreEtching, runMooreEtching);
    registry.add(RandomWalkDoping, runRandomWalkDoping);
    registry.addEstimate(RandomWalkDoping, estimateRandomWalkDoping);
}

} // namespace BatchRun
} // namespace Core
