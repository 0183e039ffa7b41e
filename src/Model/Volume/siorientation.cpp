#include "siorientation.h"

#include <cmath>

namespace Model {
namespace Automaton {

namespace {

using Vector = std::array<double, 3>;

Vector unit(double a, double b, double c)
{
    const double n = std::sqrt(a * a + b * b + c * c);
    return {a / n, b / n, c / n};
}

// Exact zeros and ones where the turn makes them, so that atoms on a cell's face do not fall to
// one side or the other by rounding.
double snapped(double v)
{
    const double tolerance = 1e-12;
    for (double exact : {0.0, 1.0, -1.0, 0.5, -0.5}) {
        if (std::fabs(v - exact) < tolerance)
            return exact;
    }
    return v;
}

} // namespace

std::array<std::array<double, 3>, 3> SiOrientation::rotation() const
{
    Vector x;
    Vector y;
    Vector z;
    switch (normal) {
    case Normal::N110:
        x = unit(-1, 1, 2);
        y = unit(1, -1, 1);
        z = unit(1, 1, 0);
        break;
    case Normal::N111:
        x = unit(1, -1, 0);
        y = unit(1, 1, -2);
        z = unit(1, 1, 1);
        break;
    case Normal::N311:
        x = unit(0, 1, -1);
        y = unit(-2, 3, 3);
        z = unit(3, 1, 1);
        break;
    case Normal::N100:
    default:
        x = unit(1, -1, 0);
        y = unit(1, 1, 0);
        z = unit(0, 0, 1);
        break;
    }
    // The crystal turned counterclockwise by the flat angle: the direction that lay on x now lies
    // at the flat angle from x.
    const double a = flatAngle * M_PI / 180.0;
    const double c = std::cos(a);
    const double s = std::sin(a);
    std::array<std::array<double, 3>, 3> r{};
    for (int axis = 0; axis < 3; ++axis) {
        r[0][size_t(axis)] = snapped(c * x[size_t(axis)] - s * y[size_t(axis)]);
        r[1][size_t(axis)] = snapped(s * x[size_t(axis)] + c * y[size_t(axis)]);
        r[2][size_t(axis)] = snapped(z[size_t(axis)]);
    }
    return r;
}

bool SiOrientation::isQuarterTurned100() const
{
    return normal == Normal::N100 && std::fmod(std::fabs(flatAngle), 90.0) == 0.0;
}

bool SiOrientation::operator==(const SiOrientation &o) const
{
    if (isQuarterTurned100() && o.isQuarterTurned100())
        return true;
    return normal == o.normal && flatAngle == o.flatAngle;
}

} // namespace Automaton
} // namespace Model
