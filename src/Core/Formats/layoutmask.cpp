#include "Core/Formats/layoutmask.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace Core {
namespace Operations {

LayoutPlacement fittedPlacement(const GdsLayout &layout, const LayoutLayer &layer, uint32_t nx, uint32_t ny)
{
    LayoutPlacement placement;
    placement.layer = layer;
    const QRectF box = layout.boundingBox(layer);
    if (box.isNull() || nx == 0 || ny == 0)
        return placement;
    const double scale = std::max(box.width() / nx, box.height() / ny);
    placement.micronsPerCell = scale > 0.0 ? scale : 1.0;
    placement.offsetX = box.center().x() - 0.5 * nx * placement.micronsPerCell;
    placement.offsetY = box.center().y() - 0.5 * ny * placement.micronsPerCell;
    return placement;
}

bool layoutMask(const GdsLayout &layout, const LayoutPlacement &placement, uint32_t nx, uint32_t ny, MaskBits &mask,
                QString *error)
{
    auto fail = [error](const QString &message) {
        if (error)
            *error = message;
        return false;
    };
    const QString name =
        QStringLiteral("Layer %1, datatype %2").arg(placement.layer.layer).arg(placement.layer.datatype);
    if (!layout.hasLayer(placement.layer))
        return fail(name + QStringLiteral(" is not in the layout."));
    if (nx == 0 || ny == 0 || nx > uint32_t(maxMaskPixels) || qint64(nx) * ny > maxMaskPixels)
        return fail(QStringLiteral("A mask of %1 by %2 columns is refused.").arg(nx).arg(ny));
    if (!std::isfinite(placement.micronsPerCell) || placement.micronsPerCell <= 0.0 ||
        !std::isfinite(placement.offsetX) || !std::isfinite(placement.offsetY))
        return fail(QStringLiteral("The scale must be a positive number of micrometres per cell."));

    // Image row y is column row y: the picture is never shown, so nothing needs turning over.
    QImage image(static_cast<int>(nx), static_cast<int>(ny), QImage::Format_Grayscale8);
    if (image.isNull())
        return fail(QStringLiteral("Not enough memory for a mask of %1 by %2 columns.").arg(nx).arg(ny));
    image.fill(0);
    const QTransform toColumns = QTransform::fromTranslate(-placement.offsetX, -placement.offsetY) *
                                 QTransform::fromScale(1.0 / placement.micronsPerCell, 1.0 / placement.micronsPerCell);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        // Without antialiasing a pixel is filled exactly when its centre lies inside the shape.
        layout.visitShapes(placement.layer, [&](const QPainterPath &outline, const QTransform &toMicrons) {
            painter.setTransform(toMicrons * toColumns);
            painter.drawPath(outline);
        });
    }

    MaskBits result;
    result.width = nx;
    result.height = ny;
    result.bits.resize(static_cast<int>(qint64(nx) * ny));
    bool exposed = false;
    for (uint32_t y = 0; y < ny; ++y) {
        const uchar *line = image.constScanLine(static_cast<int>(y));
        for (uint32_t x = 0; x < nx; ++x) {
            if (line[x] == 0)
                result.bits.setBit(static_cast<int>(x * ny + y));
            else
                exposed = true;
        }
    }
    if (!exposed)
        return fail(name + QStringLiteral(" exposes no cell column at this scale and offset."));
    mask = result;
    return true;
}

} // namespace Operations
} // namespace Core
