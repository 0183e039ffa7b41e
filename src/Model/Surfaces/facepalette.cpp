#include "facepalette.h"

#include "Model/Materials/colorbytes.h"
#include "Model/object.h"

#include <algorithm>

namespace Model {
namespace Automaton {

namespace {
constexpr uint32_t denseLimit = 1u << 16;

} // namespace

OpacityClass opacityClass(float alpha)
{
    if (alpha > 254.0f / 255.0f)
        return OpacityClass::Opaque;
    if (alpha >= 1.0f / 255.0f)
        return OpacityClass::Transparent;
    return OpacityClass::Invisible;
}

std::array<float, 4> highlighted(const std::array<float, 4> &color)
{
    std::array<float, 4> c = color;
    highlightColor(c.data());
    return c;
}

FacePalette::FacePalette(const ColorMap &colors)
{
    uint32_t top = 0;
    for (const auto &entry : colors) {
        m_materials.push_back(entry.first);
        m_opacity.push_back(opacityClass(entry.second[3]));
        if (entry.first < denseLimit)
            top = std::max(top, entry.first);
    }
    m_plainCount = m_materials.size();
    m_colors.resize(2 * m_plainCount);
    m_bytes.resize(2 * m_plainCount);
    m_denseSlots.assign(size_t(top) + 1, noSlot);
    uint32_t slot = 0;
    for (const auto &entry : colors) {
        setColor(slot, entry.second);
        if (entry.first < denseLimit)
            m_denseSlots[entry.first] = slot;
        ++slot;
    }
}

uint32_t FacePalette::slot(uint32_t material) const
{
    if (material < m_denseSlots.size())
        return m_denseSlots[material];
    // The map was ordered, so the identifiers are sorted.
    const auto it = std::lower_bound(m_materials.begin(), m_materials.end(), material);
    return it != m_materials.end() && *it == material ? uint32_t(it - m_materials.begin()) : noSlot;
}

OpacityClass FacePalette::opacity(uint32_t material) const
{
    const uint32_t s = slot(material);
    return s == noSlot ? OpacityClass::Invisible : m_opacity[s];
}

void FacePalette::recolor(const ColorMap &colors, bool selected)
{
    for (uint32_t s = 0; s < m_materials.size(); ++s) {
        const auto it = colors.find(m_materials[s]);
        const Color base = it == colors.end() ? Color{0, 0, 0, 0} : it->second;
        setColor(s, selected ? highlighted(base) : base);
    }
}

void FacePalette::setColor(uint32_t slot, const Color &color)
{
    const Color shaded{color[0] * cutShade, color[1] * cutShade, color[2] * cutShade, color[3]};
    const uint32_t cut = slot + uint32_t(m_plainCount);
    m_colors[slot] = color;
    m_colors[cut] = shaded;
    for (size_t i = 0; i < 4; ++i) {
        m_bytes[slot][i] = Materials::colorByte(color[i]);
        m_bytes[cut][i] = Materials::colorByte(shaded[i]);
    }
}

size_t FacePalette::storedBytes() const
{
    return m_materials.capacity() * sizeof(uint32_t) + m_colors.capacity() * sizeof(Color) + m_bytes.capacity() * 4 +
           m_opacity.capacity() + m_denseSlots.capacity() * sizeof(uint32_t);
}

} // namespace Automaton
} // namespace Model
