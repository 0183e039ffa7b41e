#pragma once

#include "Model/Volume/cells.h"

#include <QString>

#include <cstddef>
#include <cstdint>

class QXmlStreamWriter;

namespace Model {
namespace Persistence {

class MaterialTranslationTable;

/// Writes the "State" text of a volume: every cell's state in decimal followed by one space.
/// Works through a fixed buffer, so the text never exists as a whole in memory.
void writeStateText(QXmlStreamWriter &writer, const Automaton::Cells::State *states, size_t count);

/// Reads a "State" text, which may arrive in several pieces, straight into the cells.
/// The text is split at single spaces, empty items are dropped, an item that is not an
/// unsigned 32-bit decimal number gives 0, and the translation table maps each number.
/// A state above Cells::maximumState cannot be a cell's: its cell gets 0 and the first such
/// state is kept for the reader's message (`stateOutOfRange`).
/// Items beyond the cell count are ignored; cells without an item keep their state.
class StateTextParser {
public:
    StateTextParser(Automaton::Cells cells, const MaterialTranslationTable *table);

    void feed(const QChar *text, size_t length);
    /// Ends the last item; returns the number of cells that got a state.
    size_t finish();
    /// Whether a state was above Cells::maximumState, and the first of them.
    bool hasStateOutOfRange() const { return m_outOfRange; }
    uint32_t firstStateOutOfRange() const { return m_firstOutOfRange; }
    /// An upper bound of the items a text of this length can hold.
    static size_t maxItems(size_t textLength) { return (textLength + 1) / 2; }

private:
    void endItem();

    enum class Phase : uint8_t { Leading, Sign, Digits, Trailing };

    Automaton::Cells m_cells;
    size_t m_count;
    size_t m_next = 0;
    const MaterialTranslationTable *m_table;
    bool m_inItem = false;
    bool m_bad = false;
    Phase m_phase = Phase::Leading;
    uint64_t m_value = 0;
    // States come in long runs of the same material: remember the last translation.
    uint32_t m_lastLoaded = 0;
    uint32_t m_lastTranslated = 0;
    bool m_haveLast = false;
    bool m_outOfRange = false;
    uint32_t m_firstOutOfRange = 0;
};

} // namespace Persistence
} // namespace Model
