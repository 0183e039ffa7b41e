#include "Util/vector3d.h"

namespace Util {

Vector3D Vector3D::fromVariant(const QVariant &value)
{
    if (value.userType() == qMetaTypeId<Vector3D>())
        return value.value<Vector3D>();
    if (value.canConvert<Vector3D>())
        return value.value<Vector3D>();
    return Vector3D();
}

} // namespace Util
