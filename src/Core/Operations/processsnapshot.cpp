#include "processsnapshot.h"

#include "Core/workspace.h"
#include "Model/Automaton/totalvolume.h"

#include <QDebug>
#include <QFile>

#include <atomic>
#include <charconv>
#include <cstring>
#include <vector>

namespace Core {
namespace Operations {

namespace {

std::atomic<uint64_t> nextSnapshotNumber{0};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A token reader over a mapped file that never crosses the end of the data.
class TokenReader {
public:
    TokenReader(const char *begin, const char *end) : m_pos(begin), m_end(end) {}

    bool atEnd() const { return m_pos >= m_end; }

    void skipBlanks()
    {
        while (m_pos < m_end && isBlank(*m_pos))
            ++m_pos;
    }

    /// The next whitespace-separated token on the current line; empty at the end of a line.
    std::pair<const char *, const char *> token()
    {
        while (m_pos < m_end && (*m_pos == ' ' || *m_pos == '\t' || *m_pos == '\r'))
            ++m_pos;
        const char *start = m_pos;
        while (m_pos < m_end && !isBlank(*m_pos))
            ++m_pos;
        return {start, m_pos};
    }

    void skipLine()
    {
        const void *newline = std::memchr(m_pos, '\n', static_cast<size_t>(m_end - m_pos));
        m_pos = newline ? static_cast<const char *>(newline) + 1 : m_end;
    }

    template <typename T> bool number(T &value)
    {
        while (m_pos < m_end && isBlank(*m_pos))
            ++m_pos;
        auto result = std::from_chars(m_pos, m_end, value);
        if (result.ec != std::errc())
            return false;
        m_pos = result.ptr;
        return true;
    }

private:
    const char *m_pos;
    const char *m_end;
};

} // namespace

ProcessSnapshot::ProcessSnapshot(Workspace &workspace, const QString &key)
    : m_workspace(workspace), m_key(key), m_number(nextSnapshotNumber.fetch_add(1))
{
}

bool ProcessSnapshot::writeBefore(Model::Automaton::TotalVolume &volume) const
{
    return writeRecord(m_workspace.undoFiles().undoFileName(), m_key, m_number, volume);
}

bool ProcessSnapshot::writeAfter(Model::Automaton::TotalVolume &volume) const
{
    return writeRecord(m_workspace.undoFiles().redoFileName(), m_key, m_number, volume);
}

bool ProcessSnapshot::restoreBefore(Model::Automaton::TotalVolume &volume) const
{
    return readRecord(m_workspace.undoFiles().undoFileName(), m_key, m_number, volume);
}

bool ProcessSnapshot::restoreAfter(Model::Automaton::TotalVolume &volume) const
{
    return readRecord(m_workspace.undoFiles().redoFileName(), m_key, m_number, volume);
}

bool ProcessSnapshot::writeRecord(const QString &fileName, const QString &key, uint64_t number,
                                  Model::Automaton::TotalVolume &volume)
{
    if (fileName.isEmpty())
        return false;
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        qWarning() << "Core/Operations/processsnapshot" << Q_FUNC_INFO << file.errorString();
        return false;
    }
    const QByteArray header = key.toUtf8() + ' ' + QByteArray::number(static_cast<qulonglong>(number));
    std::vector<char> buffer;
    constexpr size_t chunk = 1 << 20;
    buffer.reserve(chunk + 32);
    buffer.insert(buffer.end(), header.begin(), header.end());

    bool ok = true;
    const size_t count = volume.cellCount();
    Model::Automaton::CellLock lock(volume);
    const Model::Automaton::Voxel *cells = lock.cells();
    for (size_t i = 0; i < count && ok; ++i) {
        char digits[16];
        digits[0] = ' ';
        auto result = std::to_chars(digits + 1, digits + sizeof digits, cells[i].state());
        buffer.insert(buffer.end(), digits, result.ptr);
        if (buffer.size() >= chunk) {
            ok = file.write(buffer.data(), static_cast<qint64>(buffer.size())) == static_cast<qint64>(buffer.size());
            buffer.clear();
        }
    }
    buffer.push_back('\n');
    if (ok)
        ok = file.write(buffer.data(), static_cast<qint64>(buffer.size())) == static_cast<qint64>(buffer.size());
    if (!ok)
        qWarning() << "Core/Operations/processsnapshot" << Q_FUNC_INFO << file.errorString();
    return ok;
}

bool ProcessSnapshot::readRecord(const QString &fileName, const QString &key, uint64_t number,
                                 Model::Automaton::TotalVolume &volume)
{
    QFile file(fileName);
    if (fileName.isEmpty() || !file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    if (size <= 0)
        return false;
    const uchar *mapped = file.map(0, size);
    if (!mapped)
        return false;
    const char *begin = reinterpret_cast<const char *>(mapped);
    const QByteArray wantedKey = key.toUtf8();

    TokenReader reader(begin, begin + size);
    const size_t count = volume.cellCount();
    std::vector<uint32_t> states;
    while (!reader.atEnd()) {
        reader.skipBlanks();
        const auto token = reader.token();
        const size_t length = static_cast<size_t>(token.second - token.first);
        uint64_t recordNumber = 0;
        if (length == static_cast<size_t>(wantedKey.size())
            && std::memcmp(token.first, wantedKey.constData(), length) == 0 && reader.number(recordNumber)
            && recordNumber == number) {
            states.resize(count);
            for (size_t i = 0; i < count; ++i) {
                if (!reader.number(states[i])) {
                    qWarning() << "Core/Operations/processsnapshot" << Q_FUNC_INFO << "incomplete record" << key
                               << number;
                    return false;
                }
            }
            Model::Automaton::CellLock lock(volume);
            Model::Automaton::Voxel *cells = lock.cells();
            for (size_t i = 0; i < count; ++i)
                cells[i].setState(states[i]);
            return true;
        }
        reader.skipLine();
    }
    return false;
}

} // namespace Operations
} // namespace Core
