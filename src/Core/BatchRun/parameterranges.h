#pragma once

#include "Core/BatchRun/processvocabulary.h"
#include "Util/valuerange.h"

#include <QString>

#include <optional>

namespace Core {
namespace BatchRun {

/// The values a number of a step may take where they are narrower than its kind's (see kindRange):
/// where a value means nothing physically (a negative depth or time, a temperature of 0 K or
/// below, a negative concentration) or cannot be run. None: the kind's range applies.
std::optional<Util::ValueRange> parameterRange(int processType, const QString &name);
using Processes::kindRange;

} // namespace BatchRun
} // namespace Core
