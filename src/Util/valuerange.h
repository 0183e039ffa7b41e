#pragma once

#include <QString>

#include <cfloat>

namespace Util {

/// The values a number given from outside (a process list, a dialog, the command line) may take,
/// in its unit, so that a value outside is refused with what is wrong: "out of range", and the range.
class ValueRange {
public:
    /// From `minimum` (or, when `aboveMinimum`, anything above it) to `maximum`.
    constexpr ValueRange(double minimum, double maximum, const char *unit = "", bool aboveMinimum = false)
        : m_minimum(minimum)
        , m_maximum(maximum)
        , m_unit(unit)
        , m_aboveMinimum(aboveMinimum)
    {
    }
    /// Anything above 0 up to `maximum`.
    static constexpr ValueRange aboveZero(double maximum, const char *unit)
    {
        return ValueRange(0.0, maximum, unit, true);
    }
    /// 0 up to `maximum`.
    static constexpr ValueRange notNegative(double maximum, const char *unit) { return ValueRange(0.0, maximum, unit); }

    double minimum() const { return m_minimum; }
    double maximum() const { return m_maximum; }
    /// False for a value that is not a number.
    bool contains(double value) const;
    /// "from 0 to 3.40282e+38 units", "above 0 and up to 1.79769e+308 K".
    QString text() const;
    /// "\"Oxidation Pressure\" of -1 is out of range: it must be above 0 and up to 1.79769e+308 atm";
    /// `value` as it was given.
    QString refusal(const QString &name, const QString &value) const;
    QString refusal(const QString &name, double value) const { return refusal(name, number(value)); }

    /// A whole number below 10^10 in full, anything else in six significant digits.
    static QString number(double value);

private:
    double m_minimum;
    double m_maximum;
    const char *m_unit;
    bool m_aboveMinimum;
};

} // namespace Util
