#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

/// A plane of a cell volume across x or y (the cells of x = index, or of y = index), drawn for a
/// report: one rectangle per run of one material along a row of cells, in the material colours,
/// with a legend of the materials in the plane and a scale bar, in cells or, when the edge of a
/// cell of size 1 is given, in µm. As SVG text (any browser renders it) or as a PNG image.
class CrossSection {
public:
    enum class Axis { X, Y };

    /// Along a row of the plane (height z), `length` cells of one material from `first` on.
    struct Run {
        uint32_t material;
        uint32_t z;
        uint32_t first;
        uint32_t length;
    };

    /// Reads the plane; std::invalid_argument when `index` lies outside the volume.
    CrossSection(Model::Automaton::TotalVolume &volume, Axis axis, uint32_t index, double cellSizeUm = 0.0);

    const std::vector<Run> &runs() const { return m_runs; }
    /// The size of a cell in the drawing, in pixels: the larger side of the plane fills about 640.
    int cellPixels() const { return m_pixels; }
    QByteArray svg() const;
    QImage image() const;
    /// SVG or PNG by the name's ending, whole or not at all; false with the reason.
    bool write(const QString &fileName, QString *error) const;
    /// Whether the name ends in .svg or .png.
    static bool isWritable(const QString &fileName);

private:
    struct Layout;
    Layout layout() const;

    std::vector<Run> m_runs;
    std::vector<uint32_t> m_materials; ///< those in the plane, in identifier order
    uint32_t m_width = 0;              ///< cells along the plane's horizontal axis
    uint32_t m_height = 0;
    double m_cellLength = 1.0; ///< of a cell along the horizontal axis, in the volume's length unit
    double m_cellSizeUm = 0.0;
    QString m_title;
    int m_pixels = 1;
};

} // namespace Operations
} // namespace Core
