#include "Core/Formats/crosssection.h"

#include "Core/Formats/figurefile.h"
#include "Model/Materials/colorbytes.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Volume/totalvolume.h"

#include <QColor>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace Core {
namespace Operations {

namespace {

constexpr int margin = 16;
constexpr int titleHeight = 24;
constexpr int legendGap = 24;
constexpr int legendLine = 20;
constexpr int swatch = 14;
constexpr int barSpace = 44;
constexpr int textWidth = 9; ///< an estimate of a character's width at the text size used

QString escaped(const QString &text) { return text.toHtmlEscaped(); }

QColor colorOf(uint32_t material)
{
    return Model::Materials::toQColor(Model::Materials::MaterialFactory::instance()->getMaterial(material).color());
}

QString nameOf(uint32_t material)
{
    return Model::Materials::MaterialFactory::instance()->getMaterial(material).name();
}

/// The largest of 1, 2 and 5 times a power of ten that is at most `target` (at least `target` itself when smaller).
double roundLength(double target)
{
    if (!(target > 0.0))
        return 1.0;
    const double power = std::pow(10.0, std::floor(std::log10(target)));
    for (const double step : {5.0, 2.0, 1.0}) {
        if (step * power <= target)
            return step * power;
    }
    return power;
}

} // namespace

struct CrossSection::Layout {
    int left = margin;
    int top = margin + titleHeight;
    int width = 0; ///< of the drawing of the cells
    int height = 0;
    int legendLeft = 0;
    int totalWidth = 0;
    int totalHeight = 0;
    double barLength = 0.0; ///< in the scale's unit
    int barPixels = 0;
    QString barText;
};

CrossSection::CrossSection(Model::Automaton::TotalVolume &volume, Axis axis, uint32_t index, double cellSizeUm)
    : m_cellSizeUm(cellSizeUm)
{
    const bool acrossX = axis == Axis::X;
    const uint32_t depth = acrossX ? volume.sizeX() : volume.sizeY();
    if (index >= depth)
        throw std::invalid_argument(QStringLiteral("%1 = %2 lies outside the cell volume of %3 x %4 x %5 cells")
                                        .arg(QLatin1Char(acrossX ? 'x' : 'y'))
                                        .arg(index)
                                        .arg(volume.sizeX())
                                        .arg(volume.sizeY())
                                        .arg(volume.sizeZ())
                                        .toStdString());
    m_width = acrossX ? volume.sizeY() : volume.sizeX();
    m_height = volume.sizeZ();
    m_cellLength = acrossX ? volume.cellSizeY() : volume.cellSizeX();
    m_title = QStringLiteral("Cross-section %1 = %2").arg(QLatin1Char(acrossX ? 'x' : 'y')).arg(index);
    m_pixels = std::clamp(640 / int(std::max(m_width, m_height)), 1, 40);
    Model::Automaton::CellLock lock(volume);
    const auto stateAt = [&](uint32_t h, uint32_t z) {
        return lock.cells().state(acrossX ? volume.index(index, h, z) : volume.index(h, index, z));
    };
    for (uint32_t z = 0; z < m_height; ++z) {
        uint32_t h = 0;
        while (h < m_width) {
            const uint32_t material = stateAt(h, z);
            uint32_t end = h + 1;
            while (end < m_width && stateAt(end, z) == material)
                ++end;
            if (material != 0) {
                m_runs.push_back({material, z, h, end - h});
                if (std::find(m_materials.begin(), m_materials.end(), material) == m_materials.end())
                    m_materials.push_back(material);
            }
            h = end;
        }
    }
    std::sort(m_materials.begin(), m_materials.end());
}

CrossSection::Layout CrossSection::layout() const
{
    Layout l;
    l.width = int(m_width) * m_pixels;
    l.height = int(m_height) * m_pixels;
    l.legendLeft = l.left + l.width + legendGap;
    int longest = 0;
    for (const uint32_t material : m_materials)
        longest = std::max(longest, int(nameOf(material).size()));
    l.totalWidth = std::max(l.legendLeft + swatch + 6 + longest * textWidth + margin,
                            l.left + int(m_title.size()) * textWidth + margin);
    l.totalHeight = std::max(l.top + l.height + barSpace, l.top + int(m_materials.size()) * legendLine) + margin;
    const double unitPerCell = m_cellLength * (m_cellSizeUm > 0.0 ? m_cellSizeUm : 1.0);
    l.barLength = roundLength(m_width * unitPerCell / 4.0);
    l.barPixels = std::max(1, int(std::lround(l.barLength / unitPerCell * m_pixels)));
    l.barText = QString::number(l.barLength, 'g', 6) + (m_cellSizeUm > 0.0   ? QStringLiteral(" µm")
                                                        : l.barLength == 1.0 ? QStringLiteral(" cell")
                                                                             : QStringLiteral(" cells"));
    return l;
}

QByteArray CrossSection::svg() const
{
    const Layout l = layout();
    QString text;
    text += QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\" "
                           "viewBox=\"0 0 %1 %2\" font-family=\"sans-serif\" font-size=\"13\">\n")
                .arg(l.totalWidth)
                .arg(l.totalHeight);
    text += QStringLiteral("<rect x=\"0\" y=\"0\" width=\"%1\" height=\"%2\" fill=\"#ffffff\"/>\n")
                .arg(l.totalWidth)
                .arg(l.totalHeight);
    text += QStringLiteral("<text x=\"%1\" y=\"%2\">%3</text>\n").arg(l.left).arg(margin + 13).arg(escaped(m_title));
    text += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"none\" stroke=\"#808080\"/>\n")
                .arg(l.left)
                .arg(l.top)
                .arg(l.width)
                .arg(l.height);
    text += QStringLiteral("<g shape-rendering=\"crispEdges\">\n");
    for (const Run &run : m_runs) {
        text += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"%5\"/>\n")
                    .arg(l.left + int(run.first) * m_pixels)
                    .arg(l.top + int(m_height - 1 - run.z) * m_pixels)
                    .arg(int(run.length) * m_pixels)
                    .arg(m_pixels)
                    .arg(colorOf(run.material).name());
    }
    text += QStringLiteral("</g>\n");
    for (size_t i = 0; i < m_materials.size(); ++i) {
        const int y = l.top + int(i) * legendLine;
        text += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%3\" fill=\"%4\" stroke=\"#000000\"/>\n"
                               "<text x=\"%5\" y=\"%6\">%7</text>\n")
                    .arg(l.legendLeft)
                    .arg(y)
                    .arg(swatch)
                    .arg(colorOf(m_materials[i]).name())
                    .arg(l.legendLeft + swatch + 6)
                    .arg(y + swatch - 2)
                    .arg(escaped(nameOf(m_materials[i])));
    }
    const int barY = l.top + l.height + 16;
    text += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"4\" fill=\"#000000\"/>\n"
                           "<text x=\"%1\" y=\"%4\">%5</text>\n")
                .arg(l.left)
                .arg(barY)
                .arg(l.barPixels)
                .arg(barY + 20)
                .arg(escaped(l.barText));
    text += QStringLiteral("</svg>\n");
    return text.toUtf8();
}

QImage CrossSection::image() const
{
    const Layout l = layout();
    QImage picture(l.totalWidth, l.totalHeight, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(Qt::black);
    painter.drawText(l.left, margin + 13, m_title);
    for (const Run &run : m_runs)
        painter.fillRect(l.left + int(run.first) * m_pixels, l.top + int(m_height - 1 - run.z) * m_pixels,
                         int(run.length) * m_pixels, m_pixels, colorOf(run.material));
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawRect(l.left, l.top, l.width, l.height);
    painter.setPen(Qt::black);
    for (size_t i = 0; i < m_materials.size(); ++i) {
        const int y = l.top + int(i) * legendLine;
        painter.fillRect(l.legendLeft, y, swatch, swatch, colorOf(m_materials[i]));
        painter.drawRect(l.legendLeft, y, swatch, swatch);
        painter.drawText(l.legendLeft + swatch + 6, y + swatch - 2, nameOf(m_materials[i]));
    }
    const int barY = l.top + l.height + 16;
    painter.fillRect(l.left, barY, l.barPixels, 4, Qt::black);
    painter.drawText(l.left, barY + 20, l.barText);
    painter.end();
    return picture;
}

bool CrossSection::isWritable(const QString &fileName) { return FigureFile::isWritable(fileName); }

bool CrossSection::write(const QString &fileName, QString *error) const
{
    return FigureFile::write(fileName, [this] { return image(); }, [this] { return svg(); }, error);
}

} // namespace Operations
} // namespace Core
