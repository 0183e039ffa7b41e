#pragma once

#include <QBitArray>
#include <QString>

#include <cstdint>
#include <limits>

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
    /// The part over the columns x < columnsX, y < columnsY; the rest could never mask a cell.
    MaskBits cropped(uint32_t columnsX, uint32_t columnsY) const;
};

/// Images larger than this are refused as masks: 8192 by 8192 pixels.
constexpr qint64 maxMaskPixels = qint64(1) << 26;
constexpr uint32_t anyColumns = std::numeric_limits<uint32_t>::max();

/// Pixel (i, j), row j counted from the top, gives bit (i, H - 1 - j): the image's bottom row is
/// y = 0. A pixel masks only when its colour, alpha ignored, is exactly red (255, 0, 0) or black.
/// Only the columns x < columnsX, y < columnsY are kept.
MaskBits maskFromImage(const QImage &image, uint32_t columnsX = anyColumns, uint32_t columnsY = anyColumns);

/// Reads an image file into a mask over at most columnsX by columnsY columns; false (and `mask`
/// untouched) when the image cannot be read or has more than maxMaskPixels pixels.
bool loadMaskImage(const QString &fileName, MaskBits &mask, uint32_t columnsX = anyColumns,
                   uint32_t columnsY = anyColumns);

} // namespace Operations
} // namespace Core
