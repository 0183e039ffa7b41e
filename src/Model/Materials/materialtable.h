#pragma once

#include "material.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

#include <cstdint>
#include <optional>
#include <set>
#include <utility>

namespace Model {
namespace Materials {

/// The records of the material catalogue, indexed by identifier and by name, so that documents
/// and lists with many materials are reconciled without a scan of the whole catalogue per material.
/// Not thread-safe: the catalogue guards it with its lock.
class MaterialTable {
public:
    /// Stores the record under its identifier, replacing any record with that identifier.
    void insert(const Material &material);
    void clear();

    bool contains(uint32_t id) const { return m_byId.contains(id); }
    int size() const { return m_byId.size(); }
    /// The record with that identifier, or the "Empty" record.
    Material value(uint32_t id) const { return m_byId.value(id, Material()); }
    /// Of the records named exactly `name`, the one with the smallest identifier; else the "Empty" record.
    Material firstNamed(const QString &name) const;
    /// All records in ascending identifier order.
    QList<Material> values() const { return m_byId.values(); }
    /// The smallest identifier from `first` to `last` that neither a record nor `reserved` holds.
    std::optional<uint32_t> firstFreeId(uint32_t first, uint32_t last, const QSet<uint32_t> &reserved = {}) const;

private:
    QMap<uint32_t, Material> m_byId;
    /// (name, identifier) in order: the first entry at or after (name, 0) is the answer for a name.
    std::set<std::pair<QString, uint32_t>> m_byName;
};

} // namespace Materials
} // namespace Model
