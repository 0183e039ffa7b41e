#include "Core/Processes/createsubstrateprocess.h"

#include "Core/Engines/Volume/sideplacement.h"
#include "Core/Processes/parameternames.h"
#include "Core/workspace.h"

namespace Core {
namespace Processes {

namespace {

constexpr char axes[] = {'X', 'Y', 'Z'};

QList<ParameterDefinition> definitions()
{
    QList<ParameterDefinition> list = materialParameters(Parameter::Material);
    list << ParameterDefinition{Parameter::LowerLeftFrontCorner, ParameterKind::Vector3D, Shown::Always};
    for (const char axis : axes)
        list << ParameterDefinition{Parameter::volumeSize(axis), ParameterKind::UInt, Shown::Always};
    list << ParameterDefinition{Parameter::SphericalSubstrate, ParameterKind::Bool, Shown::Never};
    for (const char axis : axes) {
        list << ParameterDefinition{Parameter::substrateSize(axis), ParameterKind::UInt, Shown::WhenBox}
             << ParameterDefinition{Parameter::substrateDelta(axis), ParameterKind::UInt, Shown::WhenBox}
             << ParameterDefinition{Parameter::substrateCenter(axis), ParameterKind::UInt, Shown::WhenSphere};
    }
    list << ParameterDefinition{Parameter::SubstrateRadius, ParameterKind::UInt, Shown::WhenSphere};
    return list;
}

CellTriple readTriple(ParameterReader &reader, QString (*name)(char))
{
    CellTriple triple{};
    for (int i = 0; i < 3; ++i)
        triple[i] = reader.toUInt(name(axes[i]));
    return triple;
}

void insertTriple(QVariantMap &values, QString (*name)(char), const CellTriple &triple)
{
    for (int i = 0; i < 3; ++i)
        values.insert(name(axes[i]), QVariant::fromValue<uint>(triple[i]));
}

} // namespace

CreateSubstrateProcess::CreateSubstrateProcess()
    : TypedProcessDescriptor(ProcessType::CreateSubstrate, QStringLiteral("Create Substrate"),
                             QStringLiteral("Create Substrate"), definitions(), {})
{
}

CreateSubstrateParameters CreateSubstrateProcess::read(ParameterReader &reader) const
{
    Params params;
    params.material = reader.toUInt(Parameter::MaterialId);
    params.corner = reader.toVector(Parameter::LowerLeftFrontCorner);
    params.volumeSize = readTriple(reader, &Parameter::volumeSize);
    params.spherical = reader.toBool(Parameter::SphericalSubstrate);
    if (params.spherical) {
        params.substrateCenter = readTriple(reader, &Parameter::substrateCenter);
        params.radius = reader.toUInt(Parameter::SubstrateRadius);
    } else {
        params.substrateSize = readTriple(reader, &Parameter::substrateSize);
        params.substrateDelta = readTriple(reader, &Parameter::substrateDelta);
    }
    return params;
}

QVariantMap CreateSubstrateProcess::values(const Params &params) const
{
    QVariantMap values{{Parameter::MaterialId, QVariant::fromValue<uint>(params.material)},
                       {Parameter::LowerLeftFrontCorner, QVariant::fromValue(params.corner)},
                       {Parameter::SphericalSubstrate, params.spherical},
                       {Parameter::SubstrateRadius, QVariant::fromValue<uint>(params.radius)}};
    insertTriple(values, &Parameter::volumeSize, params.volumeSize);
    insertTriple(values, &Parameter::substrateSize, params.substrateSize);
    insertTriple(values, &Parameter::substrateDelta, params.substrateDelta);
    insertTriple(values, &Parameter::substrateCenter, params.substrateCenter);
    return values;
}

Operations::SubstrateBuilder CreateSubstrateProcess::builder(const Params &params)
{
    const CellTriple &n = params.volumeSize;
    if (params.spherical) {
        const CellTriple &c = params.substrateCenter;
        return Operations::SubstrateBuilder(params.material, n[0], n[1], n[2], params.corner, c[0], c[1], c[2],
                                            params.radius);
    }
    const CellTriple &offset = params.substrateDelta;
    const CellTriple &size = params.substrateSize;
    return Operations::SubstrateBuilder(params.material, n[0], n[1], n[2], params.corner, offset[0], offset[1],
                                        offset[2], size[0], size[1], size[2]);
}

std::optional<Operations::SubstrateBuilder> CreateSubstrateProcess::builder(const QVariantMap &values) const
{
    ProcessStep step{int(type())};
    applyValues(step, values);
    ParameterReader reader(step);
    const Params params = read(reader);
    if (!reader.ok())
        return std::nullopt;
    return builder(params);
}

int CreateSubstrateProcess::prepare(Params &params, const ProcessStep &, ProcessRun &run) const
{
    auto volume = builder(params).buildVolume();
    // A volume never lands inside one that is there already (a document opened, or an earlier run).
    double x = 0.0;
    if (Operations::SidePlacement::besideAll(run.workspace.document().allObjects(), *volume, x)) {
        volume->translate(Util::Vector4D(x - volume->position().x, 0.0, 0.0, 0.0));
        const Util::Vector3D corner = volume->position();
        run.detail = QStringLiteral("placed beside the volumes already there, lower left front corner at "
                                    "(%1, %2, %3)")
                         .arg(corner.x)
                         .arg(corner.y)
                         .arg(corner.z);
    }
    run.workspace.document().addObject(volume);
    run.volume = volume;
    return Success;
}

} // namespace Processes
} // namespace Core
