#pragma once

namespace Util {

/// Four double-precision components; also used for RGBA colours (each 0..1).
class Vector4D {
public:
    Vector4D() = default;
    explicit Vector4D(double s) : x(s), y(s), z(s), w(s) {}
    Vector4D(double x_, double y_, double z_, double w_) : x(x_), y(y_), z(z_), w(w_) {}
    /// Entry of the window colour table: role 0..3, scheme 0..2 (see ColorTable).
    Vector4D(unsigned role, unsigned scheme);
    Vector4D(const Vector4D &) = default;
    Vector4D &operator=(const Vector4D &) = default;
    virtual ~Vector4D() = default;

    /// 0 gives x, 1 y, 2 z and any other index w.
    double &operator[](unsigned i);
    double operator[](unsigned i) const;

    Vector4D &operator+=(const Vector4D &o);
    /// Address of x, for passing the components to the graphics library.
    const double *data() const { return &x; }
    double *data() { return &x; }

    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double w = 0.0;
};

Vector4D operator*(double s, const Vector4D &v);
Vector4D operator+(const Vector4D &a, const Vector4D &b);
Vector4D operator-(const Vector4D &a, const Vector4D &b);
bool operator==(const Vector4D &a, const Vector4D &b);
inline bool operator!=(const Vector4D &a, const Vector4D &b) { return !(a == b); }

/// The window colours: four roles in three schemes.
namespace ColorTable {
enum Role : unsigned {
    DefaultObjectColor = 0,
    DefaultObjectOutlineColor = 1,
    GridColor = 2,
    BackgroundColor = 3,
};
constexpr unsigned roleCount = 4;
constexpr unsigned schemeCount = 3;
/// The entry of role r in scheme s is entry 3 * r + s.
Vector4D entry(unsigned role, unsigned scheme);
void setEntry(unsigned role, unsigned scheme, const Vector4D &color);
unsigned currentScheme();
void setCurrentScheme(unsigned scheme);
/// Restores the built-in colours of every scheme.
void loadDefaults();
} // namespace ColorTable

} // namespace Util
