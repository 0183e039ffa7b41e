#pragma once

#include <array>
#include <cstdint>

namespace Model {
namespace Automaton {

/// Maps values between a minimum and a maximum onto a table of 256 colours: 0 "Gray Scale",
/// 1 "Red to Blue", 2 "Yellow to Blue" (any other type is drawn as gray). The field view colours
/// cells with it and the view's legend shows it.
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

    /// The table of a type, alpha 1.
    static std::array<Color, entries> tableOf(uint32_t type);

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
