#pragma once

#include "Util/valuerange.h"
#include "processvocabulary.h"

#include <QString>

#include <optional>

namespace Core {
namespace BatchRun {

/// The values a number of a step may take: the range of its kind (uint 0 to 4294967295, float up
/// to 3.40282e+38, ...), narrowed where a value means nothing physically (a negative depth or
/// time, a temperature of 0 K or below, a negative concentration) or cannot be run.
std::optional<Util::ValueRange> parameterRange(int processType, const QString &name);
/// The values a kind of number holds; none for the kinds that are not numbers.
std::optional<Util::ValueRange> kindRange(ParameterKind kind);

} // namespace BatchRun
} // namespace Core
