#include "Core/Processes/measureprocess.h"

#include "Core/Processes/parameternames.h"
#include "Model/Materials/materialfactory.h"

namespace Core {
namespace Processes {

namespace {

using Operations::MeasurementAxis;
using Operations::MeasurementKind;

std::optional<MeasurementAxis> axisNamed(const QString &text)
{
    if (text.compare(QLatin1String("x"), Qt::CaseInsensitive) == 0)
        return MeasurementAxis::X;
    if (text.compare(QLatin1String("y"), Qt::CaseInsensitive) == 0)
        return MeasurementAxis::Y;
    return std::nullopt;
}

/// The identifier of a material's name, 0 for an empty name; none for a name the catalogue lacks.
std::optional<uint32_t> materialNamed(const QString &name)
{
    if (name.isEmpty())
        return 0u;
    const auto material = Model::Materials::MaterialFactory::instance()->getMaterialByName(name);
    if (material.name() != name)
        return std::nullopt;
    return material.id();
}

bool usesMaterial(MeasurementKind kind) { return kind != MeasurementKind::Height && kind != MeasurementKind::Depth; }

} // namespace

MeasureProcess::MeasureProcess()
    : TypedProcessDescriptor(ProcessType::Measure, QStringLiteral("Measure"), QStringLiteral("Measure"),
                             {{Parameter::Name, ParameterKind::String, Shown::Always},
                              {Parameter::Kind, ParameterKind::String, Shown::Always},
                              {Parameter::Material, ParameterKind::String, Shown::Always},
                              {Parameter::X, ParameterKind::UInt, Shown::Always},
                              {Parameter::Y, ParameterKind::UInt, Shown::Always},
                              {Parameter::Z, ParameterKind::UInt, Shown::Always},
                              {Parameter::Axis, ParameterKind::String, Shown::Always},
                              {Parameter::Z1, ParameterKind::UInt, Shown::Always},
                              {Parameter::Z2, ParameterKind::UInt, Shown::Always}},
                             {})
{
}

MeasureParameters MeasureProcess::read(ParameterReader &reader) const
{
    Params params;
    params.name = reader.toText(Parameter::Name);
    params.kind = reader.toText(Parameter::Kind);
    const auto kind = Operations::measurementKindNamed(params.kind);
    if (!kind)
        return params; // refused by `validate`, whatever else is missing
    if (usesMaterial(*kind))
        params.material = reader.toText(Parameter::Material);
    if (*kind != MeasurementKind::Volume) {
        params.x = reader.toUInt(Parameter::X);
        params.y = reader.toUInt(Parameter::Y);
    }
    if (*kind == MeasurementKind::Width || *kind == MeasurementKind::SidewallAngle)
        params.axis = reader.toText(Parameter::Axis);
    if (*kind == MeasurementKind::Width)
        params.z = reader.toUInt(Parameter::Z);
    if (*kind == MeasurementKind::SidewallAngle) {
        params.z1 = reader.toUInt(Parameter::Z1);
        params.z2 = reader.toUInt(Parameter::Z2);
    }
    return params;
}

QVariantMap MeasureProcess::values(const Params &params) const
{
    return {{Parameter::Name, params.name},
            {Parameter::Kind, params.kind},
            {Parameter::Material, params.material},
            {Parameter::X, QVariant::fromValue<uint>(params.x)},
            {Parameter::Y, QVariant::fromValue<uint>(params.y)},
            {Parameter::Z, QVariant::fromValue<uint>(params.z)},
            {Parameter::Axis, params.axis},
            {Parameter::Z1, QVariant::fromValue<uint>(params.z1)},
            {Parameter::Z2, QVariant::fromValue<uint>(params.z2)}};
}

QString MeasureProcess::validate(const Params &params) const
{
    const auto kind = Operations::measurementKindNamed(params.kind);
    if (!kind)
        return QStringLiteral("invalid: \"Kind\" is \"%1\"; it must be one of %2")
            .arg(params.kind, Operations::measurementKindNames().join(QStringLiteral(", ")));
    if (params.name.trimmed().isEmpty())
        return QStringLiteral("invalid: \"Name\" is empty");
    if ((*kind == MeasurementKind::Width || *kind == MeasurementKind::SidewallAngle) && !axisNamed(params.axis))
        return QStringLiteral("invalid: \"Axis\" is \"%1\"; it must be x or y").arg(params.axis);
    if (usesMaterial(*kind) && !materialNamed(params.material))
        return QStringLiteral("invalid: \"Material\" is \"%1\", which the material catalogue does not hold")
            .arg(params.material);
    return QString();
}

Operations::MeasurementRequest MeasureProcess::request(const Params &params)
{
    Operations::MeasurementRequest request;
    request.kind = Operations::measurementKindNamed(params.kind).value_or(MeasurementKind::Thickness);
    request.material = materialNamed(params.material).value_or(0u);
    request.x = params.x;
    request.y = params.y;
    request.z = params.z;
    request.axis = axisNamed(params.axis).value_or(MeasurementAxis::X);
    request.z1 = params.z1;
    request.z2 = params.z2;
    return request;
}

void MeasureProcess::runEngine(Model::Automaton::TotalVolume &volume, const Params &params, ProcessRun &run) const
{
    const Operations::MeasurementRequest wanted = request(params);
    Operations::Measurement measurement;
    measurement.name = params.name;
    measurement.kind = wanted.kind;
    measurement.value = Operations::VolumeMeasurement(volume).measure(wanted);
    run.measurements.push_back(measurement);
}

QString MeasureProcess::problem(const ProcessStep &step)
{
    const MeasureProcess process;
    ParameterReader reader(step);
    const Params params = process.read(reader);
    // An unknown kind is named before what that kind would have needed.
    if (!Operations::measurementKindNamed(params.kind) || reader.ok())
        return process.validate(params);
    return reader.problem();
}

} // namespace Processes
} // namespace Core
