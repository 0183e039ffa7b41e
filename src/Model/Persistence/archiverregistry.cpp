#include "archiverregistry.h"

#include "totalvolumearchiver.h"

namespace Model {
namespace Persistence {

ArchiverRegistry ArchiverRegistry::standard()
{
    ArchiverRegistry registry;
    registry.registerArchiver(1, std::make_shared<TotalVolumeArchiver>());
    return registry;
}

} // namespace Persistence
} // namespace Model
