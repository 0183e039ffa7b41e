#pragma once

#include "Util/vector4d.h"

#include <QMetaType>
#include <QVariant>

namespace Util {

/// A position or direction: x, y, z with w always 0 at construction.
class Vector3D : public Vector4D {
public:
    Vector3D() = default;
    explicit Vector3D(double s) : Vector4D(s, s, s, 0.0) {}
    Vector3D(double x_, double y_, double z_) : Vector4D(x_, y_, z_, 0.0) {}
    /// Copies x, y and z; w becomes 0.
    Vector3D(const Vector4D &v) : Vector4D(v.x, v.y, v.z, 0.0) {}
    Vector3D(const Vector3D &) = default;

    /// Copies x, y and z only; this vector keeps its own w.
    Vector3D &operator=(const Vector4D &v)
    {
        x = v.x;
        y = v.y;
        z = v.z;
        return *this;
    }
    Vector3D &operator=(const Vector3D &v)
    {
        x = v.x;
        y = v.y;
        z = v.z;
        return *this;
    }

    void components(double &outX, double &outY, double &outZ) const
    {
        outX = x;
        outY = y;
        outZ = z;
    }

    /// The stored vector when the variant holds one, else its conversion, else (0, 0, 0).
    static Vector3D fromVariant(const QVariant &value);
};

} // namespace Util

Q_DECLARE_METATYPE(Util::Vector3D)
