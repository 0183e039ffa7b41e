#include "Core/Formats/figurefile.h"

#include "Util/safefile.h"

namespace Core {
namespace Operations {
namespace FigureFile {

namespace {
bool isPng(const QString &fileName) { return fileName.endsWith(QLatin1String(".png"), Qt::CaseInsensitive); }
} // namespace

bool isWritable(const QString &fileName)
{
    return isPng(fileName) || fileName.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive);
}

bool write(const QString &fileName, const std::function<QImage()> &image, const std::function<QByteArray()> &svg,
           QString *error)
{
    if (isPng(fileName))
        return Util::saveImageFile(image(), fileName, "png", error);
    Util::SafeFile file(fileName);
    if (file.open())
        file.device()->write(svg()); // SafeFile checks the write: a failed one fails the commit
    if (file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

} // namespace FigureFile
} // namespace Operations
} // namespace Core
