#pragma once

#include "Core/Engines/Columns/columnetching.h"
#include "Core/Formats/maskimage.h"

#include <QBitArray>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Core {
namespace Operations {

/// Develops a photoresist film: in every cell column that the masks leave exposed, the vertical
/// run of resist touching empty space from the exposed side is removed. Positive resist goes where
/// light falls; negative resist (material 12, "Photoresist -") where it does not.
class Photolithography : public ColumnEtching {
public:
    Photolithography(Model::Automaton::TotalVolume &volume, uint32_t material, const QBitArray &bottomMask,
                     uint32_t bottomWidth, uint32_t bottomHeight, const QBitArray &topMask, uint32_t topWidth,
                     uint32_t topHeight);

    /// The material of the negative resist of the default catalogue.
    static constexpr uint32_t negativeResist = 12;

    bool isNegative() const { return m_negative; }
    /// Whether the column (x, y) is shielded from the top or from the bottom.
    bool keepsTop(uint32_t x, uint32_t y) const { return !(m_sides[static_cast<size_t>(x) * m_ny + y] & fromTop); }
    bool keepsBottom(uint32_t x, uint32_t y) const { return !(m_sides[static_cast<size_t>(x) * m_ny + y] & fromBelow); }

private:
    std::vector<uint8_t> keepMap(const MaskBits &mask) const;

    bool m_negative;
};

} // namespace Operations
} // namespace Core
