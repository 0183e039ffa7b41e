#pragma once

#include <QByteArray>
#include <QIODevice>

namespace Util {

/// The device a SafeFile hands to its writers: the bytes go to an open file descriptor in large
/// pieces, every write(2) is checked to its last byte, and the first failure is kept with the
/// system's error number. From then on every write fails, so a file whose writer ignored a result
/// still cannot be completed.
class SafeFileDevice : public QIODevice {
public:
    SafeFileDevice() = default;
    ~SafeFileDevice() override;

    /// Writes to `descriptor` (which stays the caller's) from its start, with nothing failed yet.
    bool start(int descriptor);
    /// Writes what is still buffered and forces the file to the disk, where a full disk may show
    /// only now; false when that or any earlier write failed.
    bool finish();
    /// Drops what is still buffered.
    void close() override;
    /// The error number of the first failure, or 0.
    int failure() const { return m_failure; }

    bool seek(qint64 pos) override;
    qint64 size() const override;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 length) override;

private:
    bool flushBuffer();
    bool writeAll(const char *data, qint64 length);
    bool fail(int error);

    static constexpr int bufferBytes = 256 * 1024;
    int m_descriptor = -1;
    QByteArray m_buffer;
    qint64 m_end = 0; ///< one past the last byte written so far
    int m_failure = 0;
};

} // namespace Util
