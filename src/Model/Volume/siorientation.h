#pragma once

#include <array>
#include <cstdint>

namespace Model {
namespace Automaton {

/// How a silicon wafer is cut and laid: the crystal plane of its surface (its normal along z) and
/// the flat angle, the turn of the crystal about z, counterclockwise seen from above.
///
/// At flat angle 0, a (100) wafer has [1 -1 0] along x and [1 1 0] along y, a (110) wafer
/// [-1 1 2] along x (the trace of its vertical {111} planes) and [1 -1 1] along y, a (111) wafer
/// [1 -1 0] along x and [1 1 -2] along y, a (311) wafer [0 1 -1] along x and [-2 3 3] along y.
struct SiOrientation {
    enum class Normal : uint8_t { N100, N110, N111, N311 };

    Normal normal = Normal::N100;
    /// Degrees.
    double flatAngle = 0.0;

    /// Rows: the volume's x, y and z axes as unit vectors of the crystal's axes. A crystal vector
    /// c lies at (row 0 . c, row 1 . c, row 2 . c) in the volume.
    std::array<std::array<double, 3>, 3> rotation() const;
    /// A (100) wafer turned by a whole number of quarter turns: the fourfold symmetry makes it the
    /// crystal of flat angle 0.
    bool isQuarterTurned100() const;
    bool operator==(const SiOrientation &o) const;
    bool operator!=(const SiOrientation &o) const { return !(*this == o); }
};

} // namespace Automaton
} // namespace Model
