#pragma once

#include <QColor>

#include <array>
#include <cmath>
#include <cstdint>

namespace Model {
namespace Materials {

// A material colour goes between components 0..1 and bytes 0..255 in one way only, wherever it
// goes (catalogue and list files, meshes, palettes, swatches): the nearest byte there, byte / 255
// back. A byte read back then gives the same byte again, so nothing depends on whether a colour
// came from the built-in table or from a saved file.

/// The nearest byte to a component; below 0 (or not a number) is 0, above 1 is 255.
inline uint8_t colorByte(float component)
{
    if (!(component > 0.0f))
        return 0;
    if (component >= 1.0f)
        return 255;
    return static_cast<uint8_t>(std::lround(component * 255.0f));
}

/// The component of a byte.
inline float colorComponent(int byte) { return static_cast<float>(byte) / 255.0f; }

/// Red, green, blue and alpha bytes as components.
inline std::array<float, 4> colorFromBytes(int red, int green, int blue, int alpha = 255)
{
    return {colorComponent(red), colorComponent(green), colorComponent(blue), colorComponent(alpha)};
}

inline QColor toQColor(const std::array<float, 4> &c)
{
    return QColor(colorByte(c[0]), colorByte(c[1]), colorByte(c[2]), colorByte(c[3]));
}

inline std::array<float, 4> fromQColor(const QColor &color)
{
    return colorFromBytes(color.red(), color.green(), color.blue(), color.alpha());
}

} // namespace Materials
} // namespace Model
