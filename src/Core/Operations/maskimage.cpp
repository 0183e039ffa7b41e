#include "maskimage.h"

#include <QImage>

namespace Core {
namespace Operations {

MaskBits maskFromImage(const QImage &image)
{
    MaskBits mask;
    if (image.isNull())
        return mask;
    // A plain 32-bit layout makes pixel() give the stored colour whatever the file's format was.
    const QImage rgb = image.convertToFormat(QImage::Format_ARGB32);
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

bool loadMaskImage(const QString &fileName, MaskBits &mask)
{
    QImage image;
    if (fileName.isEmpty() || !image.load(fileName))
        return false;
    mask = maskFromImage(image);
    return true;
}

} // namespace Operations
} // namespace Core
