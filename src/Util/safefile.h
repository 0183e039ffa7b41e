#pragma once

#include "Util/safefiledevice.h"

#include <QIODevice>
#include <QSaveFile>
#include <QString>

class QImage;

namespace Util {

class RunControl;

/// A file that is written whole or not at all, and never in place of anything but a regular file.
/// The contents go to a temporary file beside the target, which replaces the target only when
/// everything was written, so a failed save leaves the earlier file as it was. Every write is
/// checked, also those whose caller ignores the result: one failed write makes the commit fail. A
/// directory, a device, a pipe or a socket of that name is refused before anything is written.
/// Failures are given in the system's words ("No space left on device").
class SafeFile {
public:
    explicit SafeFile(const QString &fileName);
    ~SafeFile();
    SafeFile(const SafeFile &) = delete;
    SafeFile &operator=(const SafeFile &) = delete;

    /// Opens the temporary file; false with errorString() when the target is refused or the
    /// temporary file cannot be created.
    bool open(QIODevice::OpenMode mode = QIODevice::WriteOnly);
    /// Where the contents are written.
    QIODevice *device() { return &m_device; }
    /// Replaces the target with what was written; false with errorString() (the target unchanged)
    /// when any write failed, the file could not be forced to the disk or the replacement failed.
    bool commit();
    /// Drops what was written; the target stays as it was.
    void cancel();
    /// Drops what was written and says why: the system's reason when a write failed, otherwise
    /// `otherwise` (the writer gave up for a reason of its own).
    QString cancel(const QString &otherwise);
    QString errorString() const { return m_error; }
    /// The reason of a write that has failed so far, or an empty text.
    QString writeError() const;

    /// Why `fileName` must not be written over (it names a directory, device, pipe or socket), or
    /// an empty text when it names a regular file or nothing yet.
    static QString refusal(const QString &fileName);
    /// Why a file could not be saved as `fileName` now, found without touching it: a refusal, a
    /// missing folder, a folder where no file can be created (tried with a probe file that is
    /// removed at once) or an existing file that may not be replaced. Empty when it can be saved.
    static QString unwritable(const QString &fileName);

    /// While `control` is set, a commit after a stop was asked of it fails and leaves the earlier
    /// file as it was: a stop that comes while a file is written keeps it from being completed.
    /// nullptr: commits do not depend on any stop.
    static void holdCommitsOnStop(const RunControl *control);

private:
    QString m_fileName;
    QSaveFile m_file;
    SafeFileDevice m_device;
    QString m_error;
};

/// Writes an image in `format` ("png", "jpg", ...) through a SafeFile; false with the reason.
bool saveImageFile(const QImage &image, const QString &fileName, const QByteArray &format, QString *reason);

} // namespace Util
