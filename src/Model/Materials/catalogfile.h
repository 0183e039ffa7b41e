#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <mutex>

class QXmlStreamReader;

namespace Model {
namespace Materials {

/// The file of one catalogue (the materials, the processes): where it lives, reading its root
/// element, writing it safely, and replacing it at start-up with the old file copied aside, with a
/// report of what happened in words for the user. The catalogues add only their own elements.
class CatalogFile {
public:
    /// The words that differ from one catalogue to the other.
    struct Names {
        QString fileName; ///< "materials.xml"
        QString root;     ///< the root element, "Materials"
        QString kind;     ///< "material", in the report
        QString kinds;    ///< "materials"
        QString dialog;   ///< the dialog that writes the file, "Manage Materials"
        const char *logSource;
    };

    explicit CatalogFile(Names names);

    /// The file the catalogue is read from.
    QString filePath() const { return readPath(m_names.fileName); }
    /// Opens the file and, when its root element is the catalogue's, lets `readElements` read on
    /// from there. False when the file cannot be opened, has another root or is not well-formed;
    /// why is kept for the start-up report.
    bool read(const std::function<void(QXmlStreamReader &)> &readElements);
    /// Writes the catalogue; false with the system's reason in `error` (the old file stays intact).
    bool save(const QByteArray &contents, QString *error) const;
    /// The end of the start-up, once the catalogue holds what it uses (`loaded`: the file's
    /// entries): writes `contents` in place of the file after copying a file that differs aside;
    /// a file that cannot be copied aside is left as it is. The start-up report says so, or names
    /// the copy of a file that could not be loaded.
    void replaceAtStartUp(const QByteArray &contents, bool loaded);
    /// Empty when all went well.
    QString startUpReport() const;
    void setStartUpReport(const QString &report);

    /// "~/Cellforge/<name>" when that folder exists, else "~/<name>" (where older set-ups kept it).
    static QString readPath(const QString &name);
    /// "~/Cellforge/<name>"; the folder is created when missing.
    static QString writePath(const QString &name);
    /// Replaces the file's contents atomically: on failure the previous file stays as it was and
    /// `error` says why in the system's words.
    static bool write(const QString &path, const QByteArray &contents, const char *logSource, QString *error = nullptr);
    /// Copies a catalogue file aside ("<file>.bak", or "<file>.bak.N" when that exists) before it is
    /// replaced, so that hand edits are never lost. Returns the backup's path, or empty with `error`
    /// set when no copy could be made.
    static QString backUp(const QString &path, const char *logSource, QString *error = nullptr);
    /// Start-up is about to write `contents` in place of the catalogue file `name` that it read: copies
    /// that file aside when it exists and holds anything else. Empty when writing may go ahead;
    /// otherwise why the file must be left as it is, for a message ("it could not be read (...)").
    /// `copy` gets the path of the copy when one was made.
    static QString copyAsideBeforeReplacing(const QString &name, const QByteArray &contents, const char *logSource,
                                            QString *copy = nullptr);

private:
    void setLoadProblem(const QString &problem);

    const Names m_names;
    mutable std::mutex m_mutex;
    QString m_startUpReport;
    QString m_loadProblem; ///< why the file could not be loaded, for the start-up report
};

} // namespace Materials
} // namespace Model
