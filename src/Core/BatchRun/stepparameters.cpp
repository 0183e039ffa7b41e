#include "stepparameters.h"

#include <cmath>
#include <limits>

namespace Core {
namespace BatchRun {

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

uint32_t StepParameters::toUInt(const QString &name)
{
    const QVariant v = fetch(name);
    if (!v.isValid())
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
    if (!v.isValid())
        return 0;
    bool ok = false;
    const qlonglong wide = v.toLongLong(&ok);
    if (!ok || wide < std::numeric_limits<int>::min() || wide > std::numeric_limits<int>::max()) {
        invalid(name);
        return 0;
    }
    return static_cast<int>(wide);
}

double StepParameters::toDouble(const QString &name)
{
    const QVariant v = fetch(name);
    if (!v.isValid())
        return 0.0;
    bool ok = false;
    const double value = v.toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        invalid(name);
        return 0.0;
    }
    return value;
}

float StepParameters::toFloat(const QString &name)
{
    const double value = toDouble(name);
    if (std::fabs(value) > std::numeric_limits<float>::max()) {
        invalid(name);
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
    return m_invalid.isEmpty() ? 0 : 2;
}

QString StepParameters::problem() const
{
    if (!m_missing.isEmpty())
        return QStringLiteral("missing: ") + m_missing.join(QStringLiteral(", "));
    if (!m_invalid.isEmpty())
        return QStringLiteral("invalid: ") + m_invalid.join(QStringLiteral(", "));
    return QString();
}

} // namespace BatchRun
} // namespace Core
