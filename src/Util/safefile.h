#pragma once

#include <QIODevice>
#include <QSaveFile>
#include <QString>

class QImage;

namespace Util {

/// A file that is written whole or not at all, and never in place of anything but a regular file.
/// The contents go to a temporary file beside the target, which replaces the target only when
/// everything was written, so a failed save leaves the earlier file as it was. A directory, a
/// device, a pipe or a socket of that name is refused before anything is written. Failures are
/// given in the system's words ("No space left on device").
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
    QIODevice *device() { return &m_file; }
    /// Replaces the target with what was written; false with errorString() (the target unchanged)
    /// when any write failed or the replacement did.
    bool commit();
    /// Drops what was written; the target stays as it was.
    void cancel();
    QString errorString() const { return m_error; }
    /// The reason of a write that has failed so far, or an empty text.
    QString writeError() const;

    /// Why `fileName` must not be written over (it names a directory, device, pipe or socket), or
    /// an empty text when it names a regular file or nothing yet.
    static QString refusal(const QString &fileName);

private:
    QString m_fileName;
    QSaveFile m_file;
    QString m_error;
};

/// Writes an image in `format` ("png", "jpg", ...) through a SafeFile; false with the reason.
bool saveImageFile(const QImage &image, const QString &fileName, const QByteArray &format, QString *reason);

} // namespace Util
