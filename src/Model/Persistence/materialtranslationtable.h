#pragma once

#include <QMap>

#include <cstdint>

namespace Model {
namespace Persistence {

/// Maps the material identifiers found in a document to the identifiers its cells get in the
/// catalogue. Filled while the document's "Material" elements are reconciled, used while its
/// cell states are read.
class MaterialTranslationTable {
public:
    void set(uint32_t loadedId, uint32_t catalogueId) { m_map.insert(loadedId, catalogueId); }
    bool contains(uint32_t loadedId) const { return m_map.contains(loadedId); }
    /// The identifier the cells get; an identifier without an entry stays as it is.
    uint32_t translate(uint32_t loadedId) const { return m_map.value(loadedId, loadedId); }
    void clear() { m_map.clear(); }
    bool isEmpty() const { return m_map.isEmpty(); }
    int size() const { return m_map.size(); }
    const QMap<uint32_t, uint32_t> &entries() const { return m_map; }

private:
    QMap<uint32_t, uint32_t> m_map;
};

} // namespace Persistence
} // namespace Model
