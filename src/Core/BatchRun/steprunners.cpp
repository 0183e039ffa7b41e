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
#include "Core/Operations/planarization.h"
#include "Core/Operations/sideplacement.h"
#include "Core/Operations/simplephysicalvapordeposition.h"
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
    registry.add(IsotropicEtching, runIsotropicEtching);
    registry.add(Electroplating, runElectroplating);
    registry.add(Pvd, runPvd);
    registry.add(AnisotropicDeposition, runAnisotropicDeposition);
    registry.add(AnisotropicEtching, runAnisotropicEtching);
    registry.add(MooreDeposition, runMooreDeposition);
    registry.add(MooreEtching, runMooreEtching);
    registry.add(Planarization, runPlanarization);
    registry.add(SpinCoating, runSpinCoating);
    registry.add(CreateSubstrate, runCreateSubstrate);
    registry.add(SaveImage, runSaveImage);
}

} // namespace BatchRun
} // namespace Core
