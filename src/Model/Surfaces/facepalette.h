#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace Model {
namespace Automaton {

/// How a colour is drawn, by its alpha.
enum class OpacityClass : uint8_t { Invisible = 0, Transparent = 1, Opaque = 2 };
/// Opaque above 254/255, invisible below 1/255, transparent in between.
OpacityClass opacityClass(float alpha);

/// Red, green and blue each become c - 0.7 when c >= 0.7, else c + 0.3; alpha stays.
std::array<float, 4> highlighted(const std::array<float, 4> &color);

/// The materials a generated surface refers to, numbered by slot: faces store the slot of their
/// material, so a colour change is a change of the palette alone. Slots follow the colour map of
/// the generation (ascending identifiers) and keep their materials until the next generation.
/// Every material has a second slot, its cut slot, for the faces a cut laid open: the same
/// material drawn in a darker shade, so that cut faces stand apart from real surfaces.
class FacePalette {
public:
    using Color = std::array<float, 4>;
    using ColorMap = std::map<uint32_t, Color>;
    static constexpr uint32_t noSlot = 0xffffffffu;

    FacePalette() = default;
    /// Share of red, green and blue a cut face keeps.
    static constexpr float cutShade = 0.55f;

    /// One slot per entry of the map, then one cut slot per entry.
    explicit FacePalette(const ColorMap &colors);

    /// The slot of a material, noSlot for one the map did not hold.
    uint32_t slot(uint32_t material) const;
    /// The cut slot of a material's slot.
    uint32_t cutSlot(uint32_t slot) const { return slot < m_plainCount ? slot + uint32_t(m_plainCount) : slot; }
    bool isCutSlot(uint32_t slot) const { return slot >= m_plainCount; }
    /// The opacity class of a material as the map gave it; unknown materials are invisible.
    OpacityClass opacity(uint32_t material) const;

    /// Slots, cut slots included.
    size_t size() const { return 2 * m_plainCount; }
    uint32_t material(uint32_t slot) const { return m_materials[slot < m_plainCount ? slot : slot - m_plainCount]; }
    /// The colour faces of the slot are drawn with (highlighted when the palette was recoloured so).
    const Color &color(uint32_t slot) const { return m_colors[slot]; }
    /// The same as bytes 0..255, for vertex arrays.
    const std::array<uint8_t, 4> &colorBytes(uint32_t slot) const { return m_bytes[slot]; }

    /// New colours for the same materials from the map, highlighted when `selected`. A material the
    /// map no longer holds gets transparent black.
    void recolor(const ColorMap &colors, bool selected);

    size_t storedBytes() const;

private:
    void setColor(uint32_t slot, const Color &color);

    size_t m_plainCount = 0;
    std::vector<uint32_t> m_materials;
    std::vector<Color> m_colors;
    std::vector<std::array<uint8_t, 4>> m_bytes;
    std::vector<OpacityClass> m_opacity;
    /// Slot by material for the usual small identifiers; larger ones are searched in m_materials.
    std::vector<uint32_t> m_denseSlots;
};

} // namespace Automaton
} // namespace Model
