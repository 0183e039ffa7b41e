#pragma once

#include <QByteArray>
#include <QString>

namespace Model {
namespace Materials {

/// File handling shared by the material and process catalogues.
namespace CatalogFile {

/// "~/Cellforge/<name>" when that folder exists, else "~/<name>" (where older set-ups kept it).
QString readPath(const QString &name);
/// "~/Cellforge/<name>"; the folder is created when missing.
QString writePath(const QString &name);
/// Replaces the file's contents atomically: on failure the previous file stays as it was.
bool write(const QString &path, const QByteArray &contents, const char *logSource);
/// Copies an unreadable catalogue aside ("<file>.bak", or "<file>.bak.N" when that exists)
/// before it is replaced, so that hand edits are never lost. Returns the backup's path or empty.
QString backUp(const QString &path, const char *logSource);

} // namespace CatalogFile
} // namespace Materials
} // namespace Model
