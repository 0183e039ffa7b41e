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
/// Replaces the file's contents atomically: on failure the previous file stays as it was and
/// `error` says why in the system's words.
bool write(const QString &path, const QByteArray &contents, const char *logSource, QString *error = nullptr);
/// Copies a catalogue file aside ("<file>.bak", or "<file>.bak.N" when that exists) before it is
/// replaced, so that hand edits are never lost. Returns the backup's path, or empty with `error`
/// set when no copy could be made.
QString backUp(const QString &path, const char *logSource, QString *error = nullptr);
/// Start-up is about to write `contents` in place of the catalogue file `name` that it read: copies
/// that file aside when it exists and holds anything else. Empty when writing may go ahead;
/// otherwise why the file must be left as it is, for a message ("it could not be read (...)").
/// `copy` gets the path of the copy when one was made.
QString copyAsideBeforeReplacing(const QString &name, const QByteArray &contents, const char *logSource,
                                 QString *copy = nullptr);

} // namespace CatalogFile
} // namespace Materials
} // namespace Model
