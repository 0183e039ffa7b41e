#include "Core/Engines/Columns/photolithography.h"

#include "Model/Volume/totalvolume.h"

#include <algorithm>

namespace Core {
namespace Operations {

Photolithography::Photolithography(Model::Automaton::TotalVolume &volume, uint32_t material,
                                   const QBitArray &bottomMask, uint32_t bottomWidth, uint32_t bottomHeight,
                                   const QBitArray &topMask, uint32_t topWidth, uint32_t topHeight)
    : ColumnEtching(volume, material, volume.sizeZ())
    , m_negative(material == negativeResist)
{
    const std::vector<uint8_t> bottomKeep = keepMap(MaskBits{bottomMask, bottomWidth, bottomHeight});
    const std::vector<uint8_t> topKeep = keepMap(MaskBits{topMask, topWidth, topHeight});
    m_sides.resize(topKeep.size());
    for (size_t column = 0; column < m_sides.size(); ++column)
        m_sides[column] = uint8_t((topKeep[column] ? 0 : fromTop) | (bottomKeep[column] ? 0 : fromBelow));
}

std::vector<uint8_t> Photolithography::keepMap(const MaskBits &mask) const
{
    const size_t columns = static_cast<size_t>(m_nx) * m_ny;
    // A mask that does not hold width * height bits is not used: every column is exposed.
    if (!mask.isConsistent())
        return std::vector<uint8_t>(columns, 0);
    std::vector<uint8_t> keep(columns, m_negative ? 1 : 0);
    const uint32_t w = std::min(mask.width, m_nx);
    const uint32_t h = std::min(mask.height, m_ny);
    for (uint32_t x = 0; x < w; ++x)
        for (uint32_t y = 0; y < h; ++y)
            keep[static_cast<size_t>(x) * m_ny + y] =
                mask.bits.testBit(static_cast<int>(x * mask.height + y)) != m_negative;
    return keep;
}

} // namespace Operations
} // namespace Core
