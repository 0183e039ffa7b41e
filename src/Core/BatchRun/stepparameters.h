#pragma once

#include "Core/BatchRun/processvocabulary.h"
#include "Core/Processes/processstep.h"
#include "Util/vector3d.h"

#include <QByteArray>

namespace Core {
namespace BatchRun {

/// Reads the parameters one step needs and remembers the first problem: a name that is absent
/// gives "missing parameter", a value that does not convert to the wanted kind or lies outside the
/// values its step takes (parameterRange) gives "invalid value". Values of failed reads are 0, so a
/// step reads everything and then checks result().
class StepParameters {
public:
    explicit StepParameters(const Processes::ProcessStep &step)
        : m_step(step)
    {
    }

    /// The step being read, for values that are not read as numbers or flags.
    const Processes::ProcessStep &step() const { return m_step; }

    uint32_t toUInt(const QString &name);
    int toInt(const QString &name);
    float toFloat(const QString &name);
    double toDouble(const QString &name);
    bool toBool(const QString &name);
    /// A text; any value that is not one (a colour, a mask, a vector) is invalid.
    QString toText(const QString &name);
    /// A mask bitmap: one byte 0 or 1 per cell.
    QByteArray toMask(const QString &name);
    Util::Vector3D toVector(const QString &name);

    /// 0 when everything was read, 1 when a parameter was missing, else 2.
    int result() const;
    bool ok() const { return result() == 0; }
    /// A number was read but lies outside its range.
    bool outOfRange() const { return !m_outOfRange.isEmpty(); }
    /// The names behind the result, for the step's report: "missing: A", "invalid: B", or
    /// "invalid: \"C\" of -1 is out of range: it must be ...".
    QString problem() const;

    /// Why the number `name` of the step, read as `kind`, is out of range, or empty (also when it
    /// is no number at all: that is a typo, not a range). `value` is what the list reader made of it.
    static QString rangeRefusal(const Processes::ProcessStep &step, const QString &name, const QVariant &value,
                                ParameterKind kind);
    /// The out-of-range numbers among the parameters the step's mode uses, checked before a run;
    /// when there are none, what the step's process refuses of the step as a whole (stepRefusals).
    static QStringList rangeRefusals(const Processes::ProcessStep &step);
    /// The text of a number that the list reader could not convert is a number all the same, beyond
    /// what `value`'s kind holds ("1e39" for a float, "-1" for a uint), rather than a typo.
    static bool isNumberOutOfItsKind(const QVariant &value, const QString &text);

private:
    QVariant fetch(const QString &name);
    void invalid(const QString &name);
    double toReal(const QString &name, ParameterKind kind);
    /// False, with the reason kept, when the number is out of range.
    bool inRange(const QString &name, const QVariant &value, ParameterKind kind);

    const Processes::ProcessStep &m_step;
    QStringList m_missing;
    QStringList m_invalid;
    QStringList m_outOfRange;
};

} // namespace BatchRun
} // namespace Core
