#include "statetext.h"

#include "materialtranslationtable.h"

#include <QXmlStreamWriter>

#include <charconv>

namespace Model {
namespace Persistence {

void writeStateText(QXmlStreamWriter &writer, const Automaton::Cells::State *states, size_t count)
{
    constexpr size_t bufferSize = 1 << 16;
    constexpr size_t maxItemLength = 6; // five digits and the space
    char buffer[bufferSize];
    size_t used = 0;
    for (size_t i = 0; i < count; ++i) {
        if (used + maxItemLength > bufferSize) {
            writer.writeCharacters(QString::fromLatin1(buffer, static_cast<int>(used)));
            used = 0;
        }
        char *end = std::to_chars(buffer + used, buffer + bufferSize, states[i]).ptr;
        *end++ = ' ';
        used = static_cast<size_t>(end - buffer);
    }
    if (used > 0)
        writer.writeCharacters(QString::fromLatin1(buffer, static_cast<int>(used)));
}

StateTextParser::StateTextParser(Automaton::Cells cells, const MaterialTranslationTable *table)
    : m_cells(cells)
    , m_count(cells.count())
    , m_table(table && !table->isEmpty() ? table : nullptr)
{
}

namespace {
// What QString::toUInt skips around a number.
inline bool isBlank(ushort c) { return c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
} // namespace

void StateTextParser::feed(const QChar *text, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        if (m_next >= m_count)
            return;
        const ushort c = text[i].unicode();
        if (c == ' ') {
            if (m_inItem)
                endItem();
            continue;
        }
        m_inItem = true;
        if (c >= '0' && c <= '9') {
            if (m_phase == Phase::Trailing) {
                m_bad = true;
            } else if (!m_bad) {
                m_phase = Phase::Digits;
                m_value = m_value * 10 + (c - '0');
                if (m_value > 0xFFFFFFFFull)
                    m_bad = true;
            }
        } else if (isBlank(c)) {
            if (m_phase == Phase::Digits)
                m_phase = Phase::Trailing;
            else if (m_phase == Phase::Sign)
                m_bad = true;
        } else if (c == '+' && m_phase == Phase::Leading) {
            m_phase = Phase::Sign;
        } else {
            m_bad = true;
        }
    }
}

void StateTextParser::endItem()
{
    const bool number = !m_bad && (m_phase == Phase::Digits || m_phase == Phase::Trailing);
    uint32_t state = number ? static_cast<uint32_t>(m_value) : 0;
    if (m_table) {
        if (!m_haveLast || state != m_lastLoaded) {
            m_lastLoaded = state;
            m_lastTranslated = m_table->translate(state);
            m_haveLast = true;
        }
        state = m_lastTranslated;
    }
    if (state > Automaton::Cells::maximumState) {
        if (!m_outOfRange)
            m_firstOutOfRange = state;
        m_outOfRange = true;
        state = 0;
    }
    m_cells.setState(m_next++, state);
    m_inItem = false;
    m_bad = false;
    m_phase = Phase::Leading;
    m_value = 0;
}

size_t StateTextParser::finish()
{
    if (m_inItem && m_next < m_count)
        endItem();
    return m_next;
}

} // namespace Persistence
} // namespace Model
