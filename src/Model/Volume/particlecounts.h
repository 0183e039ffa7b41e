#pragma once

#include <QMetaType>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace Model {
namespace Automaton {

class TotalVolume;

/// The dopant particle counters that random-walk doping keeps on a cell volume, as one of its
/// named fields: seven 32-bit counts per cell in cell order. Slots 0 to 5 hold the particles that
/// leave the cell in the six face directions, slot 6 those that stay; a cell's count is their sum.
class ParticleCounts {
public:
    static constexpr unsigned slotsPerCell = 7;

    /// Every counter 0. Throws std::bad_alloc when the memory is not there.
    explicit ParticleCounts(size_t cellCount);

    size_t cellCount() const { return m_cellCount; }
    uint32_t *data() { return m_counts.data(); }
    const uint32_t *data() const { return m_counts.data(); }
    uint32_t *cell(size_t index) { return m_counts.data() + index * slotsPerCell; }
    const uint32_t *cell(size_t index) const { return m_counts.data() + index * slotsPerCell; }
    /// The sum of a cell's seven counters.
    uint64_t total(size_t index) const;

    /// The field names: "Random Walk Particle Count Type N" and "... Type P".
    static QString nTypeName();
    static QString pTypeName();
    /// The name a doping with that material writes: N for "N-doped Si (100)" (14), else P.
    static QString fieldNameFor(uint32_t dopingMaterial);

    /// The counters stored under `name`, or null when the volume has no such field (or the field
    /// holds something else, or is not the volume's size).
    static std::shared_ptr<ParticleCounts> of(const TotalVolume &volume, const QString &name);
    /// Stores the counters under `name`, replacing what was there.
    static void attach(TotalVolume &volume, const QString &name, const std::shared_ptr<ParticleCounts> &counts);

private:
    size_t m_cellCount;
    std::vector<uint32_t> m_counts;
};

using ParticleCountsPtr = std::shared_ptr<ParticleCounts>;

} // namespace Automaton
} // namespace Model

Q_DECLARE_METATYPE(Model::Automaton::ParticleCountsPtr)
