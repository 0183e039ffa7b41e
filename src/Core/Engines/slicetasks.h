#pragma once

#include "Util/paralleltasks.h"

#include <cstdint>

namespace Core {
namespace Operations {

/// The x-columns [begin, end) that one task of a parallel engine works on.
struct ColumnSlice {
    uint32_t begin = 0;
    uint32_t end = 0;
};

} // namespace Operations
} // namespace Core
