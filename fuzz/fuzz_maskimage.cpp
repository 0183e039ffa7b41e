// Fuzzes the mask-image decoder: an image file of any format Qt reads (the file has no suffix, so
// the format is told from the contents) turned into a mask over a 64 by 48 column volume.

#include "Core/Formats/maskimage.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzInput::setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = FuzzInput::write(QStringLiteral("mask"), data, size);
    Core::Operations::MaskBits mask;
    if (Core::Operations::loadMaskImage(path, mask, 64, 48) && !mask.isConsistent())
        std::abort(); // a loaded mask always has width * height bits
    return 0;
}
