#include "colorscale.h"

#include "Model/Surfaces/viridistable.h"

#include <algorithm>
#include <cmath>

namespace Model {
namespace Automaton {

namespace {

// The D65 white of sRGB in CIE XYZ.
constexpr double whiteX = 0.95047, whiteY = 1.0, whiteZ = 1.08883;
constexpr double delta = 6.0 / 29.0;

// CIELAB of the ends of Moreland's cool-warm map, sRGB (180, 4, 38) and (59, 76, 192), and of its
// light middle, (221, 221, 221).
constexpr double warm[3] = {37.72, 61.91, 34.03};
constexpr double middle[3] = {88.12, 0.0, 0.0};
constexpr double cool[3] = {37.67, 32.10, -62.83};

double labInverse(double t) { return t > delta ? t * t * t : 3.0 * delta * delta * (t - 4.0 / 29.0); }
double labForward(double t)
{
    return t > delta * delta * delta ? std::cbrt(t) : t / (3.0 * delta * delta) + 4.0 / 29.0;
}

double encode(double linear)
{
    const double c = std::clamp(linear, 0.0, 1.0);
    return c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1.0 / 2.4) - 0.055;
}

double decode(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }

ColorScale::Color between(const double from[3], const double to[3], double t)
{
    return ColorScale::fromLab(from[0] + (to[0] - from[0]) * t, from[1] + (to[1] - from[1]) * t,
                               from[2] + (to[2] - from[2]) * t);
}

} // namespace

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

QString ColorScale::valueText(double value) { return QString::number(value, 'g', 4); }

ColorScale::Color ColorScale::fromLab(double lightness, double a, double b)
{
    const double fy = (lightness + 16.0) / 116.0;
    const double x = whiteX * labInverse(fy + a / 500.0);
    const double y = whiteY * labInverse(fy);
    const double z = whiteZ * labInverse(fy - b / 200.0);
    const double r = 3.2404542 * x - 1.5371385 * y - 0.4985314 * z;
    const double g = -0.9692660 * x + 1.8760108 * y + 0.0415560 * z;
    const double bl = 0.0556434 * x - 0.2040259 * y + 1.0572252 * z;
    return {float(encode(r)), float(encode(g)), float(encode(bl)), 1.0f};
}

std::array<double, 3> ColorScale::toLab(const Color &color)
{
    const double r = decode(color[0]), g = decode(color[1]), b = decode(color[2]);
    const double x = 0.4124564 * r + 0.3575761 * g + 0.1804375 * b;
    const double y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
    const double z = 0.0193339 * r + 0.1191920 * g + 0.9503041 * b;
    const double fx = labForward(x / whiteX), fy = labForward(y / whiteY), fz = labForward(z / whiteZ);
    return {116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)};
}

std::array<ColorScale::Color, ColorScale::entries> ColorScale::tableOf(uint32_t type)
{
    std::array<Color, entries> table;
    for (int i = 0; i < entries; ++i) {
        const double t = double(i) / (entries - 1);
        switch (type) {
        case 1:
            table[i] = t < 0.5 ? between(warm, middle, 2.0 * t) : between(middle, cool, 2.0 * t - 1.0);
            break;
        case 2: {
            const uint8_t *rgb = viridisTable[entries - 1 - i];
            table[i] = {rgb[0] / 255.0f, rgb[1] / 255.0f, rgb[2] / 255.0f, 1.0f};
            break;
        }
        default:
            table[i] = fromLab(95.0 - 75.0 * t, 0.0, 0.0);
            break;
        }
    }
    return table;
}

} // namespace Automaton
} // namespace Model
