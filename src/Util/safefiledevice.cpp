#include "Util/safefiledevice.h"

#include <algorithm>
#include <cerrno>

#include <unistd.h>

namespace Util {

SafeFileDevice::~SafeFileDevice() { close(); }

bool SafeFileDevice::start(int descriptor)
{
    close();
    m_descriptor = descriptor;
    m_buffer.clear();
    m_buffer.reserve(bufferBytes);
    m_end = 0;
    m_failure = descriptor >= 0 ? 0 : EBADF;
    return open(QIODevice::WriteOnly);
}

bool SafeFileDevice::fail(int error)
{
    // The first reason stays: later failures are its consequences.
    if (m_failure == 0)
        m_failure = error != 0 ? error : EIO;
    m_buffer.clear();
    return false;
}

bool SafeFileDevice::writeAll(const char *data, qint64 length)
{
    while (length > 0) {
        const ssize_t written = ::write(m_descriptor, data, size_t(length));
        if (written < 0 && errno == EINTR)
            continue;
        // A regular file takes fewer bytes than offered only when it can take no more (a full disk,
        // a file-size limit); the next call then says why. Zero bytes would loop forever.
        if (written <= 0)
            return fail(written < 0 ? errno : EIO);
        data += written;
        length -= written;
    }
    return true;
}

bool SafeFileDevice::flushBuffer()
{
    if (m_failure != 0)
        return false;
    if (m_buffer.isEmpty())
        return true;
    const bool written = writeAll(m_buffer.constData(), m_buffer.size());
    m_buffer.clear();
    return written;
}

qint64 SafeFileDevice::writeData(const char *data, qint64 length)
{
    if (m_failure != 0)
        return -1;
    const qint64 from = pos();
    if (m_buffer.size() + length > bufferBytes) {
        if (!flushBuffer())
            return -1;
        if (length >= bufferBytes) {
            if (!writeAll(data, length))
                return -1;
            m_end = std::max(m_end, from + length);
            return length;
        }
    }
    m_buffer.append(data, int(length));
    m_end = std::max(m_end, from + length);
    return length;
}

bool SafeFileDevice::seek(qint64 pos)
{
    if (!flushBuffer())
        return false;
    if (::lseek(m_descriptor, off_t(pos), SEEK_SET) < 0)
        return fail(errno);
    return QIODevice::seek(pos);
}

qint64 SafeFileDevice::size() const { return m_end; }

bool SafeFileDevice::finish()
{
    if (!flushBuffer())
        return false;
    // Some file systems (network ones, or with delayed allocation) report a full disk only here.
    // A descriptor that cannot be synchronised at all (EINVAL) has nothing to report.
    if (::fsync(m_descriptor) != 0 && errno != EINVAL)
        return fail(errno);
    return true;
}

void SafeFileDevice::close()
{
    m_buffer.clear();
    if (isOpen())
        QIODevice::close();
}

} // namespace Util
