#pragma once

#include "objectarchiver.h"

#include <cstddef>

namespace Model {
namespace Persistence {

/// Stores a cell volume as an "Object" element: its sizes and cell sizes as attributes, the
/// material identifier of every cell in the "State" text and its position in "Position".
class TotalVolumeArchiver : public ObjectArchiver {
public:
    /// The volumes of one document may together have at most this many cells more than their
    /// "State" texts could describe. Such cells are legitimately empty, but without this bound a
    /// few bytes of a hostile file could demand gigabytes of cells.
    static constexpr size_t maxUndescribedCells = size_t(1) << 20;

    void setWriter(QXmlStreamWriter *writer) override { m_writer = writer; }
    void setReader(QXmlStreamReader *reader) override { m_reader = reader; }
    void setMaterialMap(MaterialTranslationTable *table) override { m_table = table; }
    void write(const ObjectPtr &object) override;
    ObjectPtr read() override;
    void beginDocument() override { m_undescribedCells = 0; }
    QString errorString() const override { return m_error; }

private:
    QXmlStreamWriter *m_writer = nullptr;
    QXmlStreamReader *m_reader = nullptr;
    MaterialTranslationTable *m_table = nullptr;
    QString m_error;
    size_t m_undescribedCells = 0;
};

} // namespace Persistence
} // namespace Model
