#pragma once

#include <QString>

namespace Core {
class Workspace;

namespace BatchRun {

/// Reading and writing whole documents for the command-line runner, through the program's
/// document reader and writer. Material conflicts are resolved as "Add loaded material as a new
/// material" and reported in `notes`.
namespace DocumentIo {

/// False with a message when no document could be saved as `fileName` now (it names a folder, a
/// device or a pipe, its folder is missing or takes no new file, the file may not be replaced), so
/// that a run can be refused before it starts.
bool canWrite(const QString &fileName, QString *error);
/// Adds the objects of the file to the workspace's document; false with a message when the file
/// is missing, unreadable or refused.
bool read(const QString &fileName, Core::Workspace &workspace, QString *error, QStringList *notes);
/// Writes the workspace's document; the file is replaced only when everything was written.
bool write(const QString &fileName, Core::Workspace &workspace, QString *error);

} // namespace DocumentIo
} // namespace BatchRun
} // namespace Core
