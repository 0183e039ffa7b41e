#pragma once

#include "Core/Processes/processstep.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace Core {
namespace BatchRun {

/// One parameter of one step of a list, given anew for a run: `--set STEP.PARAMETER=VALUE` or a
/// column of a sweep table. The value is text, read as the list reads the parameter's kind: a
/// number that does not convert runs as 0 with the list's warning, one out of range is refused
/// with the list's message. A material (the base name, "Material") is given by its name.
struct ParameterOverride {
    int step = 0; ///< 1-based
    QString parameter;
    QString value;

    /// "STEP.PARAMETER" as a sweep table's header names it.
    QString column() const { return QString::number(step) + QLatin1Char('.') + parameter; }

    /// "3.Film Thickness" (without a value); none when it is not that.
    static std::optional<ParameterOverride> fromColumn(const QString &text);
    /// "3.Film Thickness=2.5"; none when it is not that.
    static std::optional<ParameterOverride> fromText(const QString &text);

    /// Puts the values into the steps; the first problem, in words for the user ("step 7 does not
    /// exist: the list has 5 steps"), when one names no step or parameter of the list.
    static QString apply(const QList<ParameterOverride> &overrides, QList<Processes::ProcessStep> &steps);
};

} // namespace BatchRun
} // namespace Core
