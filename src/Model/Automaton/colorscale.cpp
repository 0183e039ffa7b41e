#include "colorscale.h"

#include <cmath>

namespace Model {
namespace Automaton {

ColorScale::ColorScale()
    : m_table(tableOf(0))
{
}

void ColorScale::setRange(float minimum, float maximum)
{
    m_minimum = minimum;
    m_maximum = maximum;
}

void ColorScale::setType(uint32_t type)
{
    if (type == m_type)
        return;
    m_type = type;
    m_table = tableOf(type);
}

int ColorScale::index(double value) const
{
    const double scaled = (value - double(m_minimum)) / (double(m_maximum) - double(m_minimum)) * 255.0;
    // NaN fails both comparisons and lands on the first colour, like everything below the range.
    if (!(scaled >= 0.0))
        return 0;
    if (scaled >= 255.0)
        return 255;
    return static_cast<int>(scaled);
}

std::array<ColorScale::Color, ColorScale::entries> ColorScale::tableOf(uint32_t type)
{
    std::array<Color, entries> table;
    for (int i = 0; i < entries; ++i) {
        const float up = float(i) / 255.0f;
        const float down = float(255 - i) / 255.0f;
        switch (type) {
        case 1:
            table[i] = {down, 0.0f, up, 1.0f};
            break;
        case 2:
            table[i] = {down, down, up, 1.0f};
            break;
        default:
            table[i] = {up, up, up, 1.0f};
            break;
        }
    }
    return table;
}

} // namespace Automaton
} // namespace Model
