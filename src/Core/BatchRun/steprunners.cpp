// The step runners of the batch runner: one function per process type, each running the same
// engine as the interactive operation of that process. A type without an entry here reports
// "Process is not implemented.".
#include "batchrunner.h"
#include "layoutmaskstep.h"
#include "processvocabulary.h"
#include "stepparameters.h"

#include "Core/Operations/atomicstructuresimplesiwetetch.h"
#include "Core/Operations/continuoswetetching.h"
#include "Core/Operations/electrodeposition.h"
#include "Core/Operations/filmdeposition.h"
#include "Core/Operations/filmetching.h"
#include "Core/Operations/ionimplantation.h"
#include "Core/Operations/mooreneighborhooddeposition.h"
#include "Core/Operations/mooreneighborhoodetching.h"
#include "Core/Operations/photolithography.h"
#include "Core/Operations/planarization.h"
#include "Core/Operations/randomwalkdoping.h"
#include "Core/Operations/randomwalkdopinginput.h"
#include "Core/Operations/sideplacement.h"
#include "Core/Operations/simpledoping.h"
#include "Core/Operations/simplephysicalvapordeposition.h"
#include "Core/Operations/simplereactiveionetching.h"
#include "Core/Operations/simplesioxidation.h"
#include "Core/Operations/spincoating.h"
#include "Core/Operations/substratebuilder.h"
#include "Core/workspace.h"
#include "Util/runcontrol.h"

#include <QBitArray>

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
    Engine engine(*context.target, arguments...);
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
    context.target = volume;
    return Success;
}

// ---- distance-counting engines ----

int runIsotropicDeposition(StepContext &context, const Ui::ProcessData &step, const char *thicknessName)
{
    StepParameters p(step);
    const uint32_t material = p.toUInt(QStringLiteral("Material_Id"));
    const float thickness = p.toFloat(QLatin1String(thicknessName));
    return runEngine<Core::Operations::FilmDeposition>(context, p, 13, material, thickness);
}

int runCvd(StepContext &context, const Ui::ProcessData &step)
{
    return runIsotropicDeposition(context, step, "Thickness");
}

int runFilmDeposition(StepContext &context, const Ui::ProcessData &step)
{
    return runIsotropicDeposition(context, step, "Film Thickness");
}

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
    Core::Operations::SimplePhysicalVaporDeposition engine(*context.target, material, thickness, ratio,
                                                           static_cast<uint32_t>(side));
    engine.setRunControl(context.control);
    engine.run();
    return finishEngine(context, 31);
}

int runSimpleRie(StepContext &context, const Ui::ProcessData &step)
{
    StepParameters p(step);
    const uint32_t material = p.toUInt(QStringLiteral("Material_Id"));
    const uint32_t depth = p.toUInt(QStringLiteral("Etch Depth"));
    const int direction = p.toInt(QStringLiteral("EtchDirectionValue"));
    if (!p.ok())
        return fail(context, p);
    if (direction < 0 || direction > 3) {
        context.detail = QStringLiteral("invalid: EtchDirectionValue must be 0 to 3");
        return InvalidValue;
    }
    Core::Operations::SimpleReactiveIonEtching engine(*context.target, material, depth,
                                                      static_cast<uint8_t>(direction));
    engine.setRunControl(context.control);
    engine.run();
    return finishEngine(context, 30);
}

// ---- atomistic silicon wet etching ----

// "Etch Model" is optional: lists without it etch by bond counting, as they always did.
int runSiWetEtching(StepContext &context, const Ui::ProcessData &step)
{
    StepParameters p(step);
    const double depth = p.toDouble(QStringLiteral("Depth"));
    if (!p.ok())
        return fail(context, p);
    const QString model = step.hasParameter(QStringLiteral("Etch Model"))
                              ? step.getProcessParameter(QStringLiteral("Etch Model")).toString()
                              : QStringLiteral("BCA");
    if (model != QLatin1String("BCA") && model != QLatin1String("CCA")) {
        context.detail = QStringLiteral("invalid: Etch Model must be BCA or CCA, not \"%1\"").arg(model);
        return InvalidValue;
    }
    Model::Automaton::TotalVolume &volume = *context.target;
    Core::Workspace &workspace = context.workspace;
    if (!volume.siLattice() || workspace.isLatticeOutOfDate(volume.id())) {
        workspace.setLatticeOutOfDate(volume.id(), true);
        volume.createSiLattice();
    }
    if (model == QLatin1String("CCA")) {
        Core::Operations::ContinuosWetEtching engine(volume, depth);
        engine.setRunControl(context.control);
        engine.run();
    } else {
        Core::Operations::AtomicStructureSimpleSiWetEtch engine(volume, depth);
        engine.setRunControl(context.control);
        engine.run();
    }
    if (context.control && context.control->wasStopped()) {
        // The atoms are those of a partial etch; the next wet etch lays them anew from the cells.
        workspace.setLatticeOutOfDate(volume.id(), true);
        return Stopped;
    }
    context.recordStep(model == QLatin1String("CCA") ? 29 : 28, false);
    workspace.setLatticeOutOfDate(volume.id(), false);
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
    SimpleDoping engine(*context.target, material, depth);
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
    IonImplantation engine(*context.target, material, depth, spread, annealing);
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
    SimpleSiOxidation engine(*context.target, conversion);
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

// ---- layer and mask engines ----

QBitArray maskBits(const QByteArray &bytes)
{
    QBitArray bits(bytes.size());
    for (int i = 0; i < bytes.size(); ++i)
        bits.setBit(i, bytes.at(i) != 0);
    return bits;
}

// The top mask is a bitmap of the list, or a layout that the step names and that is read again now.
int runPhotolithography(StepContext &context, const Ui::ProcessData &step)
{
    StepParameters p(step);
    const bool fromLayout = LayoutMaskStep::named(step);
    const uint32_t material = p.toUInt(QStringLiteral("Material_Id"));
    QBitArray top;
    uint32_t topHeight = 0;
    uint32_t topWidth = 0;
    if (!fromLayout) {
        top = maskBits(p.toMask(QStringLiteral("Top Mask")));
        topHeight = p.toUInt(QStringLiteral("Top Mask Height"));
        topWidth = p.toUInt(QStringLiteral("Top Mask Width"));
    }
    const QByteArray bottom = p.toMask(QStringLiteral("Bottom Mask"));
    const uint32_t bottomHeight = p.toUInt(QStringLiteral("Bottom Mask Height"));
    const uint32_t bottomWidth = p.toUInt(QStringLiteral("Bottom Mask Width"));
    if (!p.ok())
        return fail(context, p);
    if (fromLayout) {
        Core::Operations::MaskBits mask;
        const int code = LayoutMaskStep::readMask(step, context.listFolder, context.target->sizeX(),
                                                  context.target->sizeY(), context.control, mask, context.detail);
        if (code != Success)
            return code;
        top = mask.bits;
        topWidth = mask.width;
        topHeight = mask.height;
    }
    Core::Operations::Photolithography engine(*context.target, material, maskBits(bottom), bottomWidth, bottomHeight,
                                              top, topWidth, topHeight);
    engine.setRunControl(context.control);
    engine.run();
    if (context.control && context.control->wasStopped())
        return Stopped;
    context.target->setLowerMask(QBitArray(), 0, 0);
    context.target->setUpperMask(QBitArray(), 0, 0);
    context.recordStep(20);
    return Success;
}

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
    Core::Operations::SpinCoating engine(*context.target, material, height);
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
    Core::Operations::RandomWalkDoping engine(*context.target, input.material, input.diffusionCoefficient(),
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

StepRegistry makeStandardRegistry()
{
    StepRegistry registry;
    registry.add(Cvd, runCvd);
    registry.add(IsotropicEtching, runIsotropicEtching);
    registry.add(Electroplating, runElectroplating);
    registry.add(Doping, runDoping);
    registry.add(IonImplantation, runIonImplantation);
    registry.add(SiOxidation, runSiOxidation);
    registry.add(Pvd, runPvd);
    registry.add(SimpleRie, runSimpleRie);
    registry.add(IsotropicDeposition, runFilmDeposition);
    registry.add(AnisotropicDeposition, runAnisotropicDeposition);
    registry.add(AnisotropicEtching, runAnisotropicEtching);
    registry.add(Photolithography, runPhotolithography);
    registry.add(MooreDeposition, runMooreDeposition);
    registry.add(MooreEtching, runMooreEtching);
    registry.add(Planarization, runPlanarization);
    registry.add(SpinCoating, runSpinCoating);
    registry.add(RandomWalkDoping, runRandomWalkDoping);
    registry.addEstimate(RandomWalkDoping, estimateRandomWalkDoping);
    registry.add(CreateSubstrate, runCreateSubstrate);
    registry.add(SaveImage, runSaveImage);
    registry.add(SiWetEtching, runSiWetEtching);
    return registry;
}

} // namespace

const StepRegistry &StepRegistry::standard()
{
    static const StepRegistry registry = makeStandardRegistry();
    return registry;
}

} // namespace BatchRun
} // namespace Core
