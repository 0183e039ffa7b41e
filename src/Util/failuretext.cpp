#include "Util/failuretext.h"

#include <new>

namespace Util {

QString failureText(const std::exception &error, const QString &task)
{
    if (dynamic_cast<const std::bad_alloc *>(&error))
        return QStringLiteral("Not enough memory to %1.").arg(task);
    return QString::fromLocal8Bit(error.what());
}

} // namespace Util
