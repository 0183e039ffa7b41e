#include "Util/safefile.h"

#include "Util/runcontrol.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <atomic>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Util {

namespace {

std::atomic<const RunControl *> commitStop{nullptr};

QString systemReason(int error)
{
    return error != 0 ? QString::fromLocal8Bit(std::strerror(error)) : QStringLiteral("the reason is not known");
}

// The reason the device gives, unless it has none to give.
QString reasonOf(const QFileDevice &file, int savedErrno)
{
    const QString text = file.errorString();
    if (file.error() != QFileDevice::NoError && !text.isEmpty() && text != QLatin1String("Unknown error"))
        return text;
    return systemReason(savedErrno);
}

// The file a save of `fileName` replaces: the end of a chain of symbolic links, as QSaveFile resolves it.
QString finalFileName(const QString &fileName)
{
    QFileInfo info(fileName);
    for (int depth = 0; depth < 128 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.isSymLink() ? fileName : info.filePath();
}

} // namespace

SafeFile::SafeFile(const QString &fileName)
    : m_fileName(fileName)
    , m_file(fileName)
{
}

SafeFile::~SafeFile() { cancel(); }

QString SafeFile::refusal(const QString &fileName)
{
    if (fileName.isEmpty())
        return QStringLiteral("no file name was given.");
    // stat follows symbolic links: a link to a device is refused like the device itself.
    struct stat status;
    if (::stat(QFile::encodeName(fileName).constData(), &status) != 0)
        return QString(); // nothing there yet (or unreachable: opening will say why)
    if (S_ISREG(status.st_mode))
        return QString();
    if (S_ISDIR(status.st_mode))
        return QStringLiteral("\"%1\" is a folder, not a file.").arg(fileName);
    return QStringLiteral("\"%1\" is not a regular file (it is a device, a pipe or a socket); it is left as it is.")
        .arg(fileName);
}

QString SafeFile::unwritable(const QString &fileName)
{
    const QString refused = refusal(fileName);
    if (!refused.isEmpty())
        return refused;
    const QString target = finalFileName(fileName);
    const QByteArray targetName = QFile::encodeName(target);
    struct stat status;
    if (::stat(targetName.constData(), &status) == 0 && ::access(targetName.constData(), W_OK) != 0)
        return QStringLiteral("\"%1\" may not be replaced: %2.").arg(fileName, systemReason(errno));
    // The temporary file is made in the folder of the file it replaces.
    const QString folder = QFileInfo(target).absolutePath();
    if (::stat(QFile::encodeName(folder).constData(), &status) != 0)
        return QStringLiteral("the folder \"%1\" cannot be reached: %2.").arg(folder, systemReason(errno));
    if (!S_ISDIR(status.st_mode))
        return QStringLiteral("\"%1\" is not a folder.").arg(folder);
    // Permissions alone do not tell (a read-only file system, root's rights): a file made exclusively and
    // removed at once does.
    QByteArray probe = QFile::encodeName(QDir(folder).filePath(QStringLiteral(".cellforge-probe-XXXXXX")));
    const int descriptor = ::mkostemp(probe.data(), O_CLOEXEC);
    if (descriptor < 0)
        return QStringLiteral("no file can be created in the folder \"%1\": %2.").arg(folder, systemReason(errno));
    ::close(descriptor);
    ::unlink(probe.constData());
    return QString();
}

void SafeFile::holdCommitsOnStop(const RunControl *control) { commitStop.store(control); }

bool SafeFile::open(QIODevice::OpenMode mode)
{
    m_error = refusal(m_fileName);
    if (!m_error.isEmpty())
        return false;
    errno = 0;
    if (!m_file.open(mode | QIODevice::WriteOnly)) {
        m_error = reasonOf(m_file, errno);
        return false;
    }
    // The writers write through the device, never through QSaveFile's own buffer, whose short
    // writes go unnoticed.
    if (!m_device.start(m_file.handle())) {
        m_error = systemReason(m_device.failure());
        m_file.cancelWriting();
        return false;
    }
    return true;
}

bool SafeFile::commit()
{
    if (!m_file.isOpen()) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("the file was not open for writing.");
        return false;
    }
    const bool complete = m_device.finish();
    m_device.close();
    if (!complete) {
        m_error = systemReason(m_device.failure());
        m_file.cancelWriting();
        return false;
    }
    const RunControl *control = commitStop.load();
    if (control && control->stopRequested()) {
        m_error = QStringLiteral("a stop was asked for before the file was complete.");
        m_file.cancelWriting();
        return false;
    }
    errno = 0;
    if (!m_file.commit()) {
        m_error = reasonOf(m_file, errno);
        return false;
    }
    return true;
}

void SafeFile::cancel()
{
    m_device.close();
    if (m_file.isOpen())
        m_file.cancelWriting();
}

QString SafeFile::cancel(const QString &otherwise)
{
    const QString failed = writeError();
    cancel();
    return failed.isEmpty() ? otherwise : failed;
}

QString SafeFile::writeError() const { return m_device.failure() != 0 ? systemReason(m_device.failure()) : QString(); }

bool saveImageFile(const QImage &image, const QString &fileName, const QByteArray &format, QString *reason)
{
    SafeFile file(fileName);
    QString problem;
    if (!file.open()) {
        problem = file.errorString();
    } else if (!image.save(file.device(), format.constData())) {
        // A failed write has its reason in the device; otherwise the encoder refused the image.
        problem = file.cancel(QStringLiteral("the image could not be encoded as %1.").arg(QString::fromLatin1(format)));
    } else if (!file.commit()) {
        problem = file.errorString();
    }
    if (reason)
        *reason = problem;
    return problem.isEmpty();
}

} // namespace Util
