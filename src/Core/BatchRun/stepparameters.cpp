#include "Core/BatchRun/stepparameters.h"

#include "Core/BatchRun/parameterranges.h"
#include "Core/Processes/parameternames.h"
#include "Core/Processes/processregistry.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace Core {
namespace BatchRun {

namespace {

bool isWholeNumberText(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*[+-]?\\d+\\s*$"));
    return pattern.match(text).hasMatch();
}

bool isDecimalText(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?\\s*$"));
    return pattern.match(text).hasMatch();
}

} // namespace

bool StepParameters::isNumberOutOfItsKind(const QVariant &value, const QString &text)
{
    switch (value.userType()) {
    case QMetaType::Int:
    case QMetaType::UInt:
        return isWholeNumberText(text);
    case QMetaType::Float:
    case QMetaType::Double:
        return isDecimalText(text);
    default:
        return false;
    }
}

QString StepParameters::rangeRefusal(const Processes::ProcessStep &step, const QString &name, const QVariant &value,
                                     ParameterKind kind)
{
    std::optional<Util::ValueRange> range = parameterRange(step.getProcessType(), name);
    if (!range)
        range = kindRange(kind);
    if (!range)
        return QString();
    const auto unconverted = step.unconvertedParameters();
    if (unconverted.contains(name)) {
        const QString text = unconverted.value(name);
        return isNumberOutOfItsKind(value, text) ? range->refusal(name, text.trimmed()) : QString();
    }
    // Anything that is no number (a text, a colour, a flag) is for the reading to refuse.
    if (value.userType() == QMetaType::Bool)
        return QString();
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || range->contains(number))
        return QString();
    return range->refusal(name, number);
}

QStringList StepParameters::rangeRefusals(const Processes::ProcessStep &step)
{
    const auto parameters = step.getParameters();
    const bool sphere = parameters.value(QStringLiteral("SphericalSubstrate")).toBool();
    const bool byTime = parameters.value(QStringLiteral("OxidationTimeSet")).toBool();
    const bool bath = parameters.contains(QLatin1String(Processes::Parameter::Etchant));
    QStringList refusals;
    for (const ParameterDefinition &definition : parameterDefinitions(step.getProcessType())) {
        if (!parameters.contains(definition.name))
            continue;
        // The fields of the other mode are not read.
        if ((definition.shown == Shown::WhenBox && sphere) || (definition.shown == Shown::WhenSphere && !sphere) ||
            (definition.shown == Shown::WhenByTime && !byTime) ||
            (definition.shown == Shown::WhenByThickness && byTime) ||
            (definition.shown == Shown::WhenEtchant && !bath) || (definition.shown == Shown::WhenNoEtchant && bath))
            continue;
        const QString refusal = rangeRefusal(step, definition.name, parameters.value(definition.name), definition.kind);
        if (!refusal.isEmpty())
            refusals << refusal;
    }
    if (refusals.isEmpty()) {
        if (const auto *descriptor = Processes::ProcessRegistry::descriptor(step.getProcessType()))
            refusals << descriptor->stepRefusals(step);
    }
    return refusals;
}

QVariant StepParameters::fetch(const QString &name)
{
    if (!m_step.hasParameter(name)) {
        m_missing << name;
        return QVariant();
    }
    // Present but invalid: a "parameter-type" that the reader did not know.
    const QVariant value = m_step.getProcessParameter(name);
    if (!value.isValid())
        invalid(name);
    return value;
}

void StepParameters::invalid(const QString &name)
{
    if (!m_invalid.contains(name))
        m_invalid << name;
}

bool StepParameters::inRange(const QString &name, const QVariant &value, ParameterKind kind)
{
    const QString refusal = rangeRefusal(m_step, name, value, kind);
    if (refusal.isEmpty())
        return true;
    if (!m_outOfRange.contains(refusal))
        m_outOfRange << refusal;
    return false;
}

uint32_t StepParameters::toUInt(const QString &name)
{
    const QVariant v = fetch(name);
    if (!v.isValid() || !inRange(name, v, ParameterKind::UInt))
        return 0;
    bool ok = false;
    // A negative number must not wrap around into a huge count.
    const qlonglong wide = v.toLongLong(&ok);
    if (!ok || wide < 0 || wide > std::numeric_limits<uint32_t>::max()) {
        invalid(name);
        return 0;
    }
    return static_cast<uint32_t>(wide);
}

int StepParameters::toInt(const QString &name)
{
    const QVariant v = fetch(name);
    if (!v.isValid() || !inRange(name, v, ParameterKind::Int))
        return 0;
    bool ok = false;
    const qlonglong wide = v.toLongLong(&ok);
    if (!ok || wide < std::numeric_limits<int>::min() || wide > std::numeric_limits<int>::max()) {
        invalid(name);
        return 0;
    }
    return static_cast<int>(wide);
}

double StepParameters::toReal(const QString &name, ParameterKind kind)
{
    const QVariant v = fetch(name);
    if (!v.isValid() || !inRange(name, v, kind))
        return 0.0;
    bool ok = false;
    const double value = v.toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        invalid(name);
        return 0.0;
    }
    return value;
}

double StepParameters::toDouble(const QString &name) { return toReal(name, ParameterKind::Double); }

float StepParameters::toFloat(const QString &name)
{
    const double value = toReal(name, ParameterKind::Float);
    if (std::fabs(value) > std::numeric_limits<float>::max()) {
        m_outOfRange << kindRange(ParameterKind::Float)->refusal(name, value);
        return 0.0f;
    }
    return static_cast<float>(value);
}

bool StepParameters::toBool(const QString &name)
{
    const QVariant v = fetch(name);
    if (!v.isValid())
        return false;
    if (v.userType() == QMetaType::Bool)
        return v.toBool();
    if (v.userType() == QMetaType::QString) {
        const QString text = v.toString();
        if (text == QLatin1String("true") || text == QLatin1String("false"))
            return text == QLatin1String("true");
    }
    invalid(name);
    return false;
}

QString StepParameters::toText(const QString &name)
{
    const QVariant v = fetch(name);
    if (!v.isValid())
        return QString();
    if (v.userType() != QMetaType::QString) {
        invalid(name);
        return QString();
    }
    return v.toString();
}

QByteArray StepParameters::toMask(const QString &name)
{
    const QVariant v = fetch(name);
    if (!v.isValid())
        return QByteArray();
    if (v.userType() != QMetaType::QByteArray) {
        invalid(name);
        return QByteArray();
    }
    return v.toByteArray();
}

Util::Vector3D StepParameters::toVector(const QString &name)
{
    const QVariant v = fetch(name);
    if (!v.isValid())
        return Util::Vector3D(0.0, 0.0, 0.0);
    if (v.userType() != qMetaTypeId<Util::Vector3D>()) {
        invalid(name);
        return Util::Vector3D(0.0, 0.0, 0.0);
    }
    return v.value<Util::Vector3D>();
}

int StepParameters::result() const
{
    if (!m_missing.isEmpty())
        return 1;
    return m_invalid.isEmpty() && m_outOfRange.isEmpty() ? 0 : 2;
}

QString StepParameters::problem() const
{
    if (!m_missing.isEmpty())
        return QStringLiteral("missing: ") + m_missing.join(QStringLiteral(", "));
    QStringList parts = m_outOfRange;
    if (!m_invalid.isEmpty())
        parts.prepend(m_invalid.join(QStringLiteral(", ")));
    return parts.isEmpty() ? QString() : QStringLiteral("invalid: ") + parts.join(QStringLiteral("; "));
}

} // namespace BatchRun
} // namespace Core
