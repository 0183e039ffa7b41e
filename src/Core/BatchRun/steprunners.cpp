// The step runners of the batch runner: one function per process type, each running the same
// engine as the interactive operation of that process. A type without an entry here reports
// "Process is not implemented.".
#include "batchrunner.h"
#include "processvocabulary.h"
#include "stepparameters.h"

#include "Core/workspace.h"

namespace Core {
namespace BatchRun {

namespace {

using Model::Automaton::TotalVolume;

// The result of a step whose parameters could not all be read, with the names behind it.
int fail(StepContext &context, const StepParameters &parameters)
{
    context.detail = parameters.problem();
    return parameters.result();
}

// Fills the initial states of a new volume with a box or a sphere of the substrate material,
// exactly as the create-substrate operation does.
std::vector<uint32_t> substrateStates(uint32_t material, uint32_t nx, uint32_t ny, uint32_t nz, bool spherical,
                                      const uint32_t offset[3], const uint32_t size[3], const uint32_t centre[3],
                                      uint32_t radius)
{
    std::vector<uint32_t> states(TotalVolume::checkedCellCount(nx, ny, nz), 0);
    auto index = [ny, nz](uint64_t x, uint64_t y, uint64_t z) { return (x * ny + y) * nz + z; };
    if (!spherical) {
        for (uint64_t x = offset[0]; x < nx && x < uint64_t(offset[0]) + size[0]; ++x)
            for (uint64_t y = offset[1]; y < ny && y < uint64_t(offset[1]) + size[1]; ++y)
                for (uint64_t z = offset[2]; z < nz && z < uint64_t(offset[2]) + size[2]; ++z)
                    states[index(x, y, z)] = material;
        return states;
    }
    const float r2 = static_cast<float>(static_cast<uint32_t>(radius * radius));
    for (uint32_t x = 0; x < nx; ++x)
        for (uint32_t y = 0; y < ny; ++y)
            for (uint32_t z = 0; z < nz; ++z) {
                const float dx = static_cast<float>(static_cast<int32_t>(x - centre[0]));
                const float dy = static_cast<float>(static_cast<int32_t>(y - centre[1]));
                const float dz = static_cast<float>(static_cast<int32_t>(z - centre[2]));
                if (r2 >= dx * dx + dy * dy + dz * dz)
                    states[index(x, y, z)] = material;
            }
    return states;
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
    const auto states = substrateStates(material, nx, ny, nz, spherical, offset, size, centre, radius);
    auto volume = std::make_shared<TotalVolume>(nx, ny, nz, 1.0f, 1.0f, 1.0f, position, states);
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
