// Fuzzes the GDSII layout reader: a ".gds" file read as the photolithography dialog and a list's
// layout step read it, then up to four of its layers fitted over 32 by 24 columns and rasterized.
// A file that is read must give what the reader promises: listed layers hold shapes and have an
// extent, and a mask has a bit per column.

#include "Core/Formats/gdslayout.h"
#include "Core/Formats/layoutmask.h"
#include "fuzzinput.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzInput::setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = FuzzInput::write(QStringLiteral("input.gds"), data, size);
    Core::Operations::GdsLayout layout;
    // Well inside the fuzzer's own limit of 10 s per input: a slow input must end in a message.
    layout.setTimeLimit(3000);
    if (!layout.load(path))
        return 0;
    const QVector<Core::Operations::LayoutLayer> layers = layout.layers();
    for (int i = 0; i < layers.size() && i < 4; ++i) {
        if (layout.shapeCount(layers[i]) <= 0)
            std::abort();
        const auto placement = Core::Operations::fittedPlacement(layout, layers[i], 32, 24);
        Core::Operations::MaskBits mask;
        if (Core::Operations::layoutMask(layout, placement, 32, 24, mask) && !mask.isConsistent())
            std::abort();
    }
    return 0;
}
