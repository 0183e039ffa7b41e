#pragma once

#include <QBitArray>
#include <QString>

#include <cstdint>

class QImage;

namespace Core {
namespace Operations {

/// A black-and-white mask seen from above: bit (x, y) at x * height + y covers cell column (x, y).
struct MaskBits {
    QBitArray bits;
    uint32_t width = 0;
    uint32_t height = 0;

    bool isEmpty() const { return width == 0 || height == 0; }
    /// A mask whose bit count is not width * height is never applied.
    bool isConsistent() const { return static_cast<qint64>(bits.size()) == static_cast<qint64>(width) * height; }
    /// The bit of column (x, y); false outside the mask or when the mask is inconsistent.
    bool covers(uint32_t x, uint32_t y) const
    {
        return x < width && y < height && isConsistent() && bits.testBit(static_cast<int>(x * height + y));
    }
};

/// Pixel (i, j), row j counted from the top, gives bit (i, H - 1 - j): the image's bottom row is
/// y = 0. A pixel masks only when its colour, alpha ignored, is exactly red (255, 0, 0) or black.
MaskBits maskFromImage(const QImage &image);

/// Reads an image file into a mask; false (and `mask` untouched) when the image cannot be read.
bool loadMaskImage(const QString &fileName, MaskBits &mask);

} // namespace Operations
} // namespace Core
