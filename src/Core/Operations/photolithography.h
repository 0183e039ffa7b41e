#pragma once

#include "Util/controllable.h"
#include "maskimage.h"
#include "slicetasks.h"

#include <QBitArray>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
class Voxel;
} // namespace Automaton
} // namespace Model

namespace Core {
namespace Operations {

/// Develops a photoresist film: in every cell column that the masks leave exposed, the vertical
/// run of resist touching empty space from the exposed side is removed. Positive resist goes where
/// light falls; negative resist (material 12, "Photoresist -") where it does not.
/// Columns never interact, so each x-slice runs on its own.
class Photolithography : public Util::Controllable {
public:
    Photolithography(Model::Automaton::TotalVolume &volume, uint32_t material, const QBitArray &bottomMask,
                     uint32_t bottomWidth, uint32_t bottomHeight, const QBitArray &topMask, uint32_t topWidth,
                     uint32_t topHeight);

    /// With a run control: one step per layer of the volume, stopping between layers when asked.
    void run();

    /// The material of the negative resist of the default catalogue.
    static constexpr uint32_t negativeResist = 12;

    bool isNegative() const { return m_negative; }
    /// Whether the column (x, y) is shielded from the top or from the bottom.
    bool keepsTop(uint32_t x, uint32_t y) const { return m_topKeep[static_cast<size_t>(x) * m_ny + y] != 0; }
    bool keepsBottom(uint32_t x, uint32_t y) const { return m_bottomKeep[static_cast<size_t>(x) * m_ny + y] != 0; }

    void initialize(int32_t begin, int32_t end, uint32_t slice);
    void step(uint32_t slice);

private:
    struct Slice {
        ColumnSlice columns;
        std::vector<size_t> front;
        std::vector<size_t> next;
        std::vector<size_t> removals;
    };

    std::vector<uint8_t> keepMap(const MaskBits &mask) const;

    Model::Automaton::TotalVolume &m_volume;
    uint32_t m_material;
    bool m_negative;
    uint32_t m_nx;
    uint32_t m_ny;
    uint32_t m_nz;
    std::vector<uint8_t> m_bottomKeep;
    std::vector<uint8_t> m_topKeep;
    std::vector<Slice> m_slices;
    Model::Automaton::Voxel *m_cells = nullptr;
};

} // namespace Operations
} // namespace Core
