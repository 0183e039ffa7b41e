#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPointF>
#include <QString>

#include <vector>

namespace Core {
namespace Operations {

/// A figure of a study: each measurement against one swept parameter, one panel per measurement
/// stacked top to bottom, each with its own value axis, ticks and title ("trench depth (cells)"),
/// the points joined in the order of the parameter. As SVG text or a PNG image, drawn alike.
///
/// Geometry, in pixels: the plot area of panel k spans x = 80 to 630 and y = 40 + 300 k to
/// 260 + 300 k. Each axis runs from 5 % of the values' span below the least value to 5 % above the
/// greatest, so that the least value lies 25 pixels inside the area's edge and the greatest 25
/// (across) or 10 (up) pixels inside the other: a value v of [a, b] lands at x = 105 + 500 (v - a) /
/// (b - a) and y = 50 + 300 k + 200 (b - v) / (b - a). Equal values are centred.
class StudyPlot {
public:
    struct Series {
        QString name;                ///< the panel's title: "trench depth (cells)"
        std::vector<QPointF> points; ///< (parameter, value)
    };

    StudyPlot(const QString &parameter, std::vector<Series> series);

    QByteArray svg() const;
    QImage image() const;
    /// SVG or PNG by the name's ending, whole or not at all; false with the reason.
    bool write(const QString &fileName, QString *error) const;
    /// Whether the name ends in .svg or .png.
    static bool isWritable(const QString &fileName);
    /// The colour of the points and their lines.
    static QColor pointColor() { return QColor(0x1f, 0x77, 0xb4); }

private:
    /// What is drawn, once for both formats.
    struct Shape {
        enum Kind { Line, Rect, Dot, Text } kind;
        QPointF a;
        QPointF b; ///< the line's end or the rectangle's size
        QColor color;
        QString text;
        enum Align { Start, Middle, End } align = Start; ///< of the text on `a`
    };

    std::vector<Shape> shapes() const;
    int height() const;

    QString m_parameter;
    std::vector<Series> m_series;
};

} // namespace Operations
} // namespace Core
