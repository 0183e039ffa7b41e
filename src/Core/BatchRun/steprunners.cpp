// The step runners of the batch runner: one function per process type, each running the same
// engine as the interactive operation of that process. A type without an entry here reports
// "Process is not implemented.".
#include "batchrunner.h"
#include "processvocabulary.h"
#include "stepparameters.h"

#include "Core/Operations/substratebuilder.h"
#include "Core/workspace.h"

namespace Core {
namespace BatchRun {

namespace {

// The result of a step whose parameters could not all be read, with the names behind it.
int fail(StepContext &context, const StepParameters &parameters)
{
    context.detail = parameters.problem();
    return parameters.result();
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
    context.workspace.document().addObject(volume);
    context.target = volume;
    return Success;
}

int runSaveImage(StepContext &context, const Ui::ProcessData &step)
{
    if (!step.hasParameter(QStringLiteral("Filename")))
        return MissingParameter;
    const QString fileName = step.getProcessParameter(QStringLiteral("Filename")).toString();
    if (!context.saveImage) {
        context.detail = QStringLiteral("No view is available to render the image.");
        return InvalidValue;
    }
    QString error;
    if (!context.saveImage(fileName, &error)) {
        context.detail = error;
        return InvalidValue;
    }
    return Success;
}

StepRegistry makeStandardRegistry()
{
    StepRegistry registry;
    registry.add(CreateSubstrate, runCreateSubstrate);
    registry.add(SaveImage, runSaveImage);
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
