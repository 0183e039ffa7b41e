#include "Core/Processes/parameterdefinition.h"

#include "Core/Processes/parameternames.h"

#include <cstdint>
#include <limits>

namespace Core {
namespace Processes {

QString kindName(ParameterKind kind)
{
    switch (kind) {
    case ParameterKind::Bool:
        return QStringLiteral("bool");
    case ParameterKind::Int:
        return QStringLiteral("int");
    case ParameterKind::UInt:
        return QStringLiteral("uint");
    case ParameterKind::Float:
        return QStringLiteral("float");
    case ParameterKind::Double:
        return QStringLiteral("double");
    case ParameterKind::String:
        return QStringLiteral("QString");
    case ParameterKind::Color:
        return QStringLiteral("QColor");
    case ParameterKind::Mask:
        return QStringLiteral("vector");
    case ParameterKind::Vector3D:
        return QStringLiteral("Util::Vector3D");
    }
    return QString();
}

std::optional<Util::ValueRange> kindRange(ParameterKind kind)
{
    switch (kind) {
    case ParameterKind::UInt:
        return Util::ValueRange(0, std::numeric_limits<uint32_t>::max());
    case ParameterKind::Int:
        return Util::ValueRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    case ParameterKind::Float:
        return Util::ValueRange(-FLT_MAX, FLT_MAX);
    case ParameterKind::Double:
        return Util::ValueRange(-DBL_MAX, DBL_MAX);
    default:
        return std::nullopt;
    }
}

QList<ParameterDefinition> materialParameters(const QString &base, Shown idShown)
{
    return {{Parameter::materialId(base), ParameterKind::UInt, idShown},
            {base, ParameterKind::String, Shown::Always},
            {Parameter::materialColor(base), ParameterKind::Color, Shown::Never}};
}

} // namespace Processes
} // namespace Core
