// The step runners of the batch runner for the processes that have no descriptor yet: one
// function per process type, each running the same engine as the interactive operation of that
// process. The processes with a descriptor run through it (Core/Processes).
#include "batchrunner.h"
#include "processvocabulary.h"
#include "stepparameters.h"

#include "Core/Operations/ionimplantation.h"
#include "Core/Operations/planarization.h"
#include "Core/Operations/randomwalkdoping.h"
#include "Core/Operations/randomwalkdopinginput.h"
#include "Core/Operations/sideplacement.h"
#include "Core/Operations/simpledoping.h"
#include "Core/Operations/simplesioxidation.h"
#include "Core/Operations/spincoating.h"
#include "Core/Operations/substratebuilder.h"
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

int runCreateSubstrate(StepContext &context, const Ui::ProcessData &step)
{
    StepParameters p(step);
    const uint32_t material = p.toUInt(QStringLiteral("Material_Id"));
    const Util::Vector3D position = p.toVector(QStringLiteral("Lower Left Front Corner"));
    const uint32_t nx = p.toUInt(QStringLiteral("Volume Size X"));
    const uint32_t ny = p.toUInt(QStringLiteral("Volume Size Y"));
    const uint32_t nz = p.toUInt(QStringLiteral("Volume Size Z"));
    const bool spherical = p.toBool(QStringLiteral("SphericalSubstrate"));
    uint32_t offset[3] = {0, 0, 0};
    uint32_t size[3] = {0, 0, 0};
    uint32_t centre[3] = {0, 0, 0};
    uint32_t radius = 0;
    if (spherical) {
        centre[0] = p.toUInt(QStringLiteral("Substrate Center X"));
        centre[1] = p.toUInt(QStringLiteral("Substrate Center Y"));
        centre[2] = p.toUInt(QStringLiteral("Substrate Center Z"));
        radius = p.toUInt(QStringLiteral("Substrate Radius"));
    } else {
        size[0] = p.toUInt(QStringLiteral("Substrate Size X"));
        size[1] = p.toUInt(QStringLiteral("Substrate Size Y"));
        size[2] = p.toUInt(QStringLiteral("Substrate Size Z"));
        offset[0] = p.toUInt(QStringLiteral("Substrate Delta X"));
        offset[1] = p.toUInt(QStringLiteral("Substrate Delta Y"));
        offset[2] = p.toUInt(QStringLiteral("Substrate Delta Z"));
    }
    // A step that cannot build its volume fails here, rather than letting the next step find
    // no volume.
    if (!p.ok())
        return fail(context, p);
    const Core::Operations::SubstrateBuilder builder =
        spherical ? Core::Operations::SubstrateBuilder(material, nx, ny, nz, position, centre[0], centre[1], centre[2],
                                                       radius)
                  : Core::Operations::SubstrateBuilder(material, nx, ny, nz, position, offset[0], offset[1], offset[2],
                                                       size[0], size[1], size[2]);
    auto volume = builder.buildVolume();
    // A volume never lands inside one that is there already (a document opened, or an earlier run).
    double x = 0.0;
    if (Core::Operations::SidePlacement::besideAll(context.workspace.document().allObjects(), *volume, x)) {
        volume->translate(Util::Vector4D(x - volume->position().x, 0.0, 0.0, 0.0));
        const Util::Vector3D corner = volume->position();
        context.detail = QStringLiteral("placed beside the volumes already there, lower left front corner at "
                                        "(%1, %2, %3)")
                             .arg(corner.x)
                             .arg(corner.y)
                             .arg(corner.z);
    }
    context.workspace.document().addObject(volume);
    context.volume = volume;
    return Success;
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

int runPlanarization(StepContext &context, const Ui::ProcessData &step)
{
    StepParameters p(step);
    const uint32_t maximum = p.toUInt(QStringLiteral("Maximum Height"));
    const uint32_t minimum = p.toUInt(QStringLiteral("Minimum Height"));
    return runEngine<Core::Operations::Planarization>(context, p, 22, maximum, minimum);
}

int runSpinCoating(StepContext &context, const Ui::ProcessData &step)
{
    StepParameters p(step);
    const uint32_t height = p.toUInt(QStringLiteral("Maximum Height"));
    const uint32_t material = p.toUInt(QStringLiteral("Material_Id"));
    if (!p.ok())
        return fail(context, p);
    Core::Operations::SpinCoating engine(*context.volume, material, height);
    engine.setRunControl(context.control);
    engine.run();
    return finishEngine(context, 23, false);
}

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

int runSaveImage(StepContext &context, const Ui::ProcessData &step)
{
    if (!step.hasParameter(QStringLiteral("Filename")))
        return MissingParameter;
    QString fileName = step.getProcessParameter(QStringLiteral("Filename")).toString();
    if (!context.saveImage) {
        context.detail = QStringLiteral("No view is available to render the image.");
        return InvalidValue;
    }
    QString error;
    // The list names a file in the images folder; anything else is refused before drawing.
    if (context.images) {
        fileName = context.images->claim(fileName, &error);
        if (fileName.isEmpty()) {
            context.detail = error;
            return InvalidValue;
        }
    }
    if (!context.saveImage(fileName, &error)) {
        context.detail = error;
        return InvalidValue;
    }
    return Success;
}

} // namespace

void StepRegistry::addUndescribed(StepRegistry &registry)
{
    registry.add(Doping, runDoping);
    registry.add(IonImplantation, runIonImplantation);
    registry.add(SiOxidation, runSiOxidation);
    registry.add(Planarization, runPlanarization);
    registry.add(SpinCoating, runSpinCoating);
    registry.add(RandomWalkDoping, runRandomWalkDoping);
    registry.addEstimate(RandomWalkDoping, estimateRandomWalkDoping);
    registry.add(CreateSubstrate, runCreateSubstrate);
    registry.add(SaveImage, runSaveImage);
}

} // namespace BatchRun
} // namespace Core
