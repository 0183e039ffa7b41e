#pragma once

#include "Model/Volume/totalvolume.h"

#include <QBitArray>

#include <cstdint>

namespace Core {
namespace Operations {

/// The upper and lower masks of a cell volume with their sizes: what a step that previews or
/// takes off masks changes besides the cells, kept so that undo and redo put them back.
struct VolumeMasks {
    QBitArray upper;
    uint32_t upperWidth = 0;
    uint32_t upperHeight = 0;
    QBitArray lower;
    uint32_t lowerWidth = 0;
    uint32_t lowerHeight = 0;

    static VolumeMasks of(const Model::Automaton::TotalVolume &volume)
    {
        VolumeMasks masks;
        masks.upper = volume.upperMask();
        volume.upperMaskSize(masks.upperWidth, masks.upperHeight);
        masks.lower = volume.lowerMask();
        volume.lowerMaskSize(masks.lowerWidth, masks.lowerHeight);
        return masks;
    }

    void applyTo(Model::Automaton::TotalVolume &volume) const
    {
        volume.setUpperMask(upper, upperWidth, upperHeight);
        volume.setLowerMask(lower, lowerWidth, lowerHeight);
    }

    bool operator==(const VolumeMasks &o) const
    {
        return upper == o.upper && upperWidth == o.upperWidth && upperHeight == o.upperHeight && lower == o.lower &&
               lowerWidth == o.lowerWidth && lowerHeight == o.lowerHeight;
    }
    bool operator!=(const VolumeMasks &o) const { return !(*this == o); }
};

} // namespace Operations
} // namespace Core
