#include "archiverregistry.h"

#include "totalvolumearchiver.h"

namespace Model {
namespace Persistence {

ArchiverRegistry ArchiverRegistry::standard(SurfaceBuilding surfaces)
{
    ArchiverRegistry registry;
    registry.registerArchiver(1, std::make_shared<TotalVolumeArchiver>(surfaces == SurfaceBuilding::Build));
    return registry;
}

} // namespace Persistence
} // namespace Model
