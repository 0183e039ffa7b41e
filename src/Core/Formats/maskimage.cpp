#include "Core/Formats/maskimage.h"

#include <QImage>
#include <QImageReader>

#include <algorithm>

namespace Core {
namespace Operations {

MaskBits MaskBits::cropped(uint32_t columnsX, uint32_t columnsY) const
{
    if (!isConsistent() || (width <= columnsX && height <= columnsY))
        return *this;
    MaskBits part;
    part.width = std::min(width, columnsX);
    part.height = std::min(height, columnsY);
    part.bits.resize(static_cast<int>(part.width * part.height));
    for (uint32_t x = 0; x < part.width; ++x)
        for (uint32_t y = 0; y < part.height; ++y)
            if (bits.testBit(static_cast<int>(x * height + y)))
                part.bits.setBit(static_cast<int>(x * part.height + y));
    return part;
}

MaskBits maskFromImage(const QImage &image, uint32_t columnsX, uint32_t columnsY)
{
    MaskBits mask;
    if (image.isNull() || qint64(image.width()) * image.height() > maxMaskPixels)
        return mask;
    // Column y is image row H - 1 - y: the kept columns are the left part of the bottom rows.
    const int keptWidth = static_cast<int>(std::min<qint64>(image.width(), columnsX));
    const int keptHeight = static_cast<int>(std::min<qint64>(image.height(), columnsY));
    // A plain 32-bit layout makes pixel() give the stored colour whatever the file's format was.
    const QImage rgb =
        image.copy(0, image.height() - keptHeight, keptWidth, keptHeight).convertToFormat(QImage::Format_ARGB32);
    const auto width = static_cast<uint32_t>(rgb.width());
    const auto height = static_cast<uint32_t>(rgb.height());
    mask.width = width;
    mask.height = height;
    mask.bits.resize(static_cast<int>(width * height));
    for (uint32_t j = 0; j < height; ++j) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(static_cast<int>(j)));
        for (uint32_t i = 0; i < width; ++i) {
            const QRgb pixel = line[i];
            const bool masking = qGreen(pixel) == 0 && qBlue(pixel) == 0 && (qRed(pixel) == 255 || qRed(pixel) == 0);
            if (masking)
                mask.bits.setBit(static_cast<int>(i * height + (height - 1 - j)));
        }
    }
    return mask;
}

bool loadMaskImage(const QString &fileName, MaskBits &mask, uint32_t columnsX, uint32_t columnsY)
{
    if (fileName.isEmpty())
        return false;
    QImageReader reader(fileName);
    // The header says how large the picture is: a small file may unpack into gigabytes.
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > maxMaskPixels)
        return false;
    QImage image;
    if (!reader.read(&image) || qint64(image.width()) * image.height() > maxMaskPixels)
        return false;
    mask = maskFromImage(image, columnsX, columnsY);
    return true;
}

} // namespace Operations
} // namespace Core
