#pragma once

#include <QString>

#include <exception>

namespace Util {

/// The words a user reads for a failure caught where work meets the user (console, message box,
/// command line). Running out of memory is said as such: "Not enough memory to <task>."; any other
/// failure gives its own text.
QString failureText(const std::exception &error, const QString &task);

} // namespace Util
