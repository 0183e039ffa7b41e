#include "documentio.h"

#include <QStringList>

namespace Core {
namespace BatchRun {
namespace DocumentIo {

namespace {
QString unavailable()
{
    return QStringLiteral("Reading and writing documents is not available in this build of Cellforge.");
}
} // namespace

bool isAvailable() { return false; }

bool read(const QString &, Core::Workspace &, QString *error, QStringList *)
{
    if (error)
        *error = unavailable();
    return false;
}

bool write(const QString &, Core::Workspace &, QString *error)
{
    if (error)
        *error = unavailable();
    return false;
}

} // namespace DocumentIo
} // namespace BatchRun
} // namespace Core
