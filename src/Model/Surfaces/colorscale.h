#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace Model {
namespace Automaton {

/// Maps values between a minimum and a maximum onto a table of 256 colours: 0 "Gray Scale",
/// 1 "Red to Blue", 2 "Yellow to Blue" (any other type is drawn as gray). Every table steps
/// evenly in perceived colour (CIELAB), and the sequential ones start light, so that the many cells
/// with few particles do not paint the picture dark. The field view colours cells with it and the
/// view's legend shows it.
class ColorScale {
public:
    using Color = std::array<float, 4>;
    static constexpr int entries = 256;

    ColorScale();

    float minimum() const { return m_minimum; }
    float maximum() const { return m_maximum; }
    void setRange(float minimum, float maximum);

    uint32_t type() const { return m_type; }
    /// Rebuilds the table when the type differs.
    void setType(uint32_t type);

    /// trunc((v - minimum) / (maximum - minimum) * 255), held to 0..255; 0 when the division
    /// gives no number (a range of one value).
    int index(double value) const;
    const Color &color(double value) const { return m_table[index(value)]; }
    const Color &entry(int i) const { return m_table[i]; }
    const std::array<Color, entries> &table() const { return m_table; }

    /// The table of a type, alpha 1: 0 gray from CIELAB lightness L* 95 down to 20 in even steps;
    /// 1 the cool-warm diverging map of K. Moreland ("Diverging Color Maps for Scientific
    /// Visualization", ISVC 2009) from its red through light gray to its blue, each half straight
    /// in CIELAB; 2 viridis (S. van der Walt and N. Smith, matplotlib 1.5, 2015) run from its
    /// yellow to its dark blue.
    static std::array<Color, entries> tableOf(uint32_t type);
    /// A value as the legend prints it: at most four significant digits, without trailing zeros
    /// (125, 0.5, 1.235e+04), in the C locale.
    static QString valueText(double value);
    /// The sRGB colour (0..1, alpha 1) of CIELAB (D65 white) L*, a*, b*, clipped to the gamut:
    /// CIE 15:2004 and IEC 61966-2-1.
    static Color fromLab(double lightness, double a, double b);
    /// CIELAB L*, a*, b* of an sRGB colour (0..1); the inverse of fromLab inside the gamut.
    static std::array<double, 3> toLab(const Color &color);

    bool operator==(const ColorScale &o) const
    {
        return m_minimum == o.m_minimum && m_maximum == o.m_maximum && m_type == o.m_type;
    }
    bool operator!=(const ColorScale &o) const { return !(*this == o); }

private:
    float m_minimum = 0.0f;
    float m_maximum = 1.0f;
    uint32_t m_type = 0;
    std::array<Color, entries> m_table;
};

} // namespace Automaton
} // namespace Model
