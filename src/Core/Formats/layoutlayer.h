#pragma once

namespace Core {
namespace Operations {

/// A layer of a layout and the datatype of its shapes (the box type, for boxes).
struct LayoutLayer {
    int layer = 0;
    int datatype = 0;

    bool operator==(const LayoutLayer &o) const { return layer == o.layer && datatype == o.datatype; }
    bool operator<(const LayoutLayer &o) const
    {
        return layer < o.layer || (layer == o.layer && datatype < o.datatype);
    }
};

} // namespace Operations
} // namespace Core
