#include "safefile.h"

#include <QFile>
#include <QImage>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

namespace Util {

namespace {

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

} // namespace

SafeFile::SafeFile(const QString &fileName)
    : m_fileName(fileName)
    , m_file(fileName)
{
}

SafeFile::~SafeFile()
{
    if (m_file.isOpen())
        m_file.cancelWriting();
}

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
    return true;
}

bool SafeFile::commit()
{
    if (!m_file.isOpen()) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("the file was not open for writing.");
        return false;
    }
    // A write error seen now keeps its reason; QSaveFile's commit would report it as unknown.
    errno = 0;
    if (m_file.error() != QFileDevice::NoError || !m_file.flush()) {
        m_error = reasonOf(m_file, errno);
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
    if (m_file.isOpen())
        m_file.cancelWriting();
}

QString SafeFile::writeError() const
{
    return m_file.error() != QFileDevice::NoError ? reasonOf(m_file, errno) : QString();
}

bool saveImageFile(const QImage &image, const QString &fileName, const QByteArray &format, QString *reason)
{
    SafeFile file(fileName);
    QString problem;
    if (!file.open()) {
        problem = file.errorString();
    } else if (!image.save(file.device(), format.constData())) {
        // A failed write has its reason in the device; otherwise the encoder refused the image.
        problem = file.writeError();
        if (problem.isEmpty())
            problem = QStringLiteral("the image could not be encoded as %1.").arg(QString::fromLatin1(format));
        file.cancel();
    } else if (!file.commit()) {
        problem = file.errorString();
    }
    if (reason)
        *reason = problem;
    return problem.isEmpty();
}

} // namespace Util
