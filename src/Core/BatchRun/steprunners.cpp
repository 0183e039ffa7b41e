// The step runners of the batch runner: one function per process type, each running the same
// engine as the interactive operation of that process. A type without an entry here reports
// "Process is not implemented.".
#include "batchrunner.h"
#include "processvocabulary.h"
#include "stepparameters.h"

#include "Core/Operations/mooreneighborhooddeposition.h"
#include "Core/Operations/mooreneighborhoodetching.h"
#include "Core/Operations/photolithography.h"
#include "Core/Operations/planarization.h"
#include "Core/Operations/spincoating.h"
#include "Core/Operations/substratebuilder.h"
#include "Core/workspace.h"

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

// ---- layer and mask engines ----

QBitArray maskBits(const QByteArray &bytes)
{
    QBitArray bits(bytes.size());
    for (int i = 0; i < bytes.size(); ++i)
        bits.setBit(i, bytes.at(i) != 0);
    return bits;
}

int runPhotolithography(StepContext &context, const Ui::ProcessData &step)
{
    StepParameters p(step);
    const uint32_t material = p.toUInt(QStringLiteral("Material_Id"));
    const QByteArray top = p.toMask(QStringLiteral("Top Mask"));
    const uint32_t topHeight = p.toUInt(QStringLiteral("Top Mask Height"));
    const uint32_t topWidth = p.toUInt(QStringLiteral("Top Mask Width"));
    const QByteArray bottom = p.toMask(QStringLiteral("Bottom Mask"));
    const uint32_t bottomHeight = p.toUInt(QStringLiteral("Bottom Mask Height"));
    const uint32_t bottomWidth = p.toUInt(QStringLiteral("Bottom Mask Width"));
    if (!p.ok())
        return fail(context, p);
    Core::Operations::Photolithography(*context.target, material, maskBits(bottom), bottomWidth, bottomHeight,
                                       maskBits(top), topWidth, topHeight)
        .run();
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
    if (!p.ok())
        return fail(context, p);
    if (deposition)
        Core::Operations::MooreNeighborhoodDeposition(*context.target, material, layers).run();
    else
        Core::Operations::MooreNeighborhoodEtching(*context.target, material, layers).run();
    context.recordStep(deposition ? 18 : 19);
    return Success;
}

int runMooreDeposition(StepContext &context, const Ui::ProcessData &step) { return runMoore(context, step, true); }
int runMooreEtching(StepContext &context, const Ui::ProcessData &step) { return runMoore(context, step, false); }

int runPlanarization(StepContext &context, const Ui::ProcessData &step)
{
    StepParameters p(step);
    const uint32_t maximum = p.toUInt(QStringLiteral("Maximum Height"));
    const uint32_t minimum = p.toUInt(QStringLiteral("Minimum Height"));
    if (!p.ok())
        return fail(context, p);
    Core::Operations::Planarization(*context.target, maximum, minimum).run();
    context.recordStep(22);
    return Success;
}

int runSpinCoating(StepContext &context, const Ui::ProcessData &step)
{
    StepParameters p(step);
    const uint32_t height = p.toUInt(QStringLiteral("Maximum Height"));
    const uint32_t material = p.toUInt(QStringLiteral("Material_Id"));
    if (!p.ok())
        return fail(context, p);
    Core::Operations::SpinCoating(*context.target, material, height).run();
    context.recordStep(23, false);
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
    registry.add(Photolithography, runPhotolithography);
    registry.add(MooreDeposition, runMooreDeposition);
    registry.add(MooreEtching, runMooreEtching);
    registry.add(Planarization, runPlanarization);
    registry.add(SpinCoating, runSpinCoating);
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
