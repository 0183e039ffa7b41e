#include "materialtable.h"

namespace Model {
namespace Materials {

void MaterialTable::insert(const Material &material)
{
    const auto old = m_byId.constFind(material.id());
    if (old != m_byId.constEnd())
        m_byName.erase({old->name(), old->id()});
    m_byId.insert(material.id(), material);
    m_byName.insert({material.name(), material.id()});
}

void MaterialTable::clear()
{
    m_byId.clear();
    m_byName.clear();
}

Material MaterialTable::firstNamed(const QString &name) const
{
    const auto it = m_byName.lower_bound({name, 0});
    if (it == m_byName.end() || it->first != name)
        return Material();
    return m_byId.value(it->second, Material());
}

std::optional<uint32_t> MaterialTable::firstFreeId(uint32_t first, uint32_t last, const QSet<uint32_t> &reserved) const
{
    auto taken = m_byId.lowerBound(first);
    // 64-bit, so that a range ending at the largest identifier still ends.
    for (uint64_t id = first; id <= last; ++id) {
        while (taken != m_byId.constEnd() && taken.key() < id)
            ++taken;
        if (taken != m_byId.constEnd() && taken.key() == id)
            continue;
        if (!reserved.contains(uint32_t(id)))
            return uint32_t(id);
    }
    return std::nullopt;
}

} // namespace Materials
} // namespace Model
