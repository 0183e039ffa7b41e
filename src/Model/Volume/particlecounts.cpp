#include "particlecounts.h"

#include "Model/Volume/totalvolume.h"

#include <QVariant>

namespace Model {
namespace Automaton {

ParticleCounts::ParticleCounts(size_t cellCount)
    : m_cellCount(cellCount)
    , m_counts(cellCount * slotsPerCell, 0u)
{
}

uint64_t ParticleCounts::total(size_t index) const
{
    const uint32_t *c = cell(index);
    uint64_t sum = 0;
    for (unsigned k = 0; k < slotsPerCell; ++k)
        sum += c[k];
    return sum;
}

QString ParticleCounts::nTypeName() { return QStringLiteral("Random Walk Particle Count Type N"); }

QString ParticleCounts::pTypeName() { return QStringLiteral("Random Walk Particle Count Type P"); }

QString ParticleCounts::fieldNameFor(uint32_t dopingMaterial)
{
    return dopingMaterial == 14 ? nTypeName() : pTypeName();
}

std::shared_ptr<ParticleCounts> ParticleCounts::of(const TotalVolume &volume, const QString &name)
{
    const QVariant value = volume.field(name);
    if (value.userType() != qMetaTypeId<ParticleCountsPtr>())
        return nullptr;
    ParticleCountsPtr counts = value.value<ParticleCountsPtr>();
    if (!counts || counts->cellCount() != volume.cellCount())
        return nullptr;
    return counts;
}

void ParticleCounts::attach(TotalVolume &volume, const QString &name, const std::shared_ptr<ParticleCounts> &counts)
{
    volume.setField(name, QVariant::fromValue(counts));
}

} // namespace Automaton
} // namespace Model
