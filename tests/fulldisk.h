#pragma once
// A folder with room for only a few kilobytes, for the tests of writers on a full disk: a small tmpfs mounted
// there when the test may mount one (as root), otherwise a file-size limit that the test holds while it writes.

#include "filesizelimit.h"

#include <QDir>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <memory>

#include <unistd.h>

class FullDisk {
public:
    /// About `bytes` of room, beside which an earlier file of up to one page (4 KB) still fits.
    explicit FullDisk(qint64 bytes = 4096)
        : m_bytes(bytes)
    {
        m_path = m_dir.filePath(QStringLiteral("small"));
        QDir().mkpath(m_path);
        m_mounted =
            ::geteuid() == 0 && QProcess::execute(QStringLiteral("mount"),
                                                  {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                                   QStringLiteral("size=%1").arg(bytes + 4096),
                                                   QStringLiteral("cellforge-test"), m_path}) == 0;
    }
    ~FullDisk()
    {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {m_path});
    }
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

    QString path() const { return m_path; }
    QString filePath(const QString &name) const { return QDir(m_path).filePath(name); }
    /// Held while the writer writes (also while a child process that writes is started and runs): the
    /// file-size limit where no file system could be mounted, else nothing.
    std::unique_ptr<FileSizeLimit> whileWriting() const
    {
        return m_mounted ? nullptr : std::make_unique<FileSizeLimit>(rlim_t(m_bytes));
    }
    /// What a writer must say: the system's words for a full disk or for a file beyond the limit.
    QString reason() const { return QString::fromLocal8Bit(std::strerror(m_mounted ? ENOSPC : EFBIG)); }
    /// The files in the folder, hidden ones too (a temporary file left behind shows here).
    QStringList entries() const { return QDir(m_path).entryList(QDir::Files | QDir::Hidden); }

private:
    QTemporaryDir m_dir;
    QString m_path;
    qint64 m_bytes;
    bool m_mounted = false;
};
