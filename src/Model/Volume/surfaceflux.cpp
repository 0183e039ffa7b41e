#include "surfaceflux.h"

#include "Model/Volume/totalvolume.h"

#include <QVariant>

namespace Model {
namespace Automaton {

QString SurfaceFlux::name() { return QStringLiteral("Line-of-Sight Flux"); }

std::shared_ptr<SurfaceFlux> SurfaceFlux::of(const TotalVolume &volume)
{
    const QVariant value = volume.field(name());
    if (value.userType() != qMetaTypeId<SurfaceFluxPtr>())
        return nullptr;
    return value.value<SurfaceFluxPtr>();
}

void SurfaceFlux::attach(TotalVolume &volume, const std::shared_ptr<SurfaceFlux> &flux)
{
    volume.setField(name(), QVariant::fromValue(flux));
}

} // namespace Automaton
} // namespace Model
