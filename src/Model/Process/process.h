#pragma once

#include "Model/Materials/material.h"

#include <QList>
#include <QString>

#include <cstdint>

namespace Model {
namespace Process {

/// A simulated process and the materials it may act on. Identifier 0 is the default record.
class Process {
public:
    Process() = default;
    Process(const QString &name, uint32_t id) : m_name(name), m_id(id) {}
    Process(const QString &name, uint32_t id, const QList<uint32_t> &materialIds)
        : m_name(name), m_id(id), m_materialIds(materialIds)
    {
    }

    QString name() const { return m_name; }
    uint32_t id() const { return m_id; }
    QList<uint32_t> compatibleMaterialIds() const { return m_materialIds; }
    void addCompatibleMaterial(uint32_t materialId) { m_materialIds.append(materialId); }
    void removeCompatibleMaterial(uint32_t materialId) { m_materialIds.removeAll(materialId); }
    /// The catalogue record of each listed material, in list order; unknown identifiers are skipped.
    QList<Materials::Material> compatibleMaterials() const;

    bool operator==(const Process &o) const
    {
        return m_name == o.m_name && m_id == o.m_id && m_materialIds == o.m_materialIds;
    }

private:
    QString m_name;
    uint32_t m_id = 0;
    QList<uint32_t> m_materialIds;
};

} // namespace Process
} // namespace Model
