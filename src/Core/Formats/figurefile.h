#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <functional>

namespace Core {
namespace Operations {

/// The files a drawing of the command line is written as: an SVG text or a PNG picture, by the name's
/// ending (either case).
namespace FigureFile {

/// Whether `fileName` ends in ".svg" or ".png".
bool isWritable(const QString &fileName);
/// Writes `fileName` whole or not at all (the earlier file stays on failure): the picture of `image`
/// for ".png", the text of `svg` otherwise. False with the system's reason in `error`.
bool write(const QString &fileName, const std::function<QImage()> &image, const std::function<QByteArray()> &svg,
           QString *error);

} // namespace FigureFile
} // namespace Operations
} // namespace Core
