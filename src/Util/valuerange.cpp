#include "Util/valuerange.h"

#include <cmath>

namespace Util {

bool ValueRange::contains(double value) const
{
    return (m_aboveMinimum ? value > m_minimum : value >= m_minimum) && value <= m_maximum;
}

QString ValueRange::number(double value)
{
    if (std::fabs(value) < 1e10 && value == std::trunc(value))
        return QString::number(static_cast<qlonglong>(value));
    return QString::number(value, 'g', 6);
}

QString ValueRange::text() const
{
    const QString unit = *m_unit ? QLatin1Char(' ') + QString::fromUtf8(m_unit) : QString();
    return QStringLiteral("%1 %2 %3 %4%5")
        .arg(m_aboveMinimum ? QStringLiteral("above") : QStringLiteral("from"), number(m_minimum),
             m_aboveMinimum ? QStringLiteral("and up to") : QStringLiteral("to"), number(m_maximum), unit);
}

QString ValueRange::refusal(const QString &name, const QString &value) const
{
    return QStringLiteral("\"%1\" of %2 is out of range: it must be %3").arg(name, value, text());
}

} // namespace Util
