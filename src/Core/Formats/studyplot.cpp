#include "Core/Formats/studyplot.h"

#include "Core/Formats/figurefile.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace Core {
namespace Operations {

namespace {

constexpr int left = 80; ///< of every plot area
constexpr int top = 40;  ///< of the first plot area
constexpr int areaWidth = 550;
constexpr int areaHeight = 220;
constexpr int panel = 300; ///< from one plot area's top to the next
constexpr int totalWidth = left + areaWidth + 30;
constexpr int inset = 25;   ///< from the plot area's left edge to the least parameter
constexpr int span = 500;   ///< pixels from the least to the greatest parameter
constexpr int insetUp = 10; ///< from the plot area's top to the greatest value
constexpr int spanUp = 200;
constexpr int fontPixels = 12;

/// The values' least and greatest; around equal values, 1 (or a billionth of a large value) either side.
struct Range {
    double least;
    double greatest;
};

Range rangeOf(const std::vector<double> &values)
{
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    if (*high - *low > 0.0)
        return {*low, *high};
    const double half = std::max(1.0, std::abs(*low) * 1e-9);
    return {*low - half, *high + half};
}

/// Ticks at multiples of 1, 2 or 5 times a power of ten, at most 6 over [least, greatest].
std::vector<double> ticksOf(double least, double greatest)
{
    const double raw = (greatest - least) / 5.0;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10.0 * power;
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= raw) {
            step = factor * power;
            break;
        }
    }
    std::vector<double> ticks;
    // At most 12: a span too small for the values' size (1e17 + 1) could not be stepped through.
    for (double k = std::ceil(least / step); k * step <= greatest + step * 1e-9 && ticks.size() < 12; k += 1.0)
        ticks.push_back(std::abs(k) < 0.5 ? 0.0 : k * step);
    return ticks;
}

QString number(double value) { return QString::number(value, 'g', 8); }

QString colorText(const QColor &color) { return color.name(QColor::HexRgb); }

QString coordinate(double value) { return QString::number(value, 'f', 2); }

} // namespace

StudyPlot::StudyPlot(const QString &parameter, std::vector<Series> series)
    : m_parameter(parameter)
    , m_series(std::move(series))
{
    for (Series &s : m_series)
        std::stable_sort(s.points.begin(), s.points.end(),
                         [](const QPointF &a, const QPointF &b) { return a.x() < b.x(); });
}

int StudyPlot::height() const { return top + int(m_series.size()) * panel; }

std::vector<StudyPlot::Shape> StudyPlot::shapes() const
{
    std::vector<Shape> drawn;
    const QColor grid(0xdd, 0xdd, 0xdd);
    const QColor ink(Qt::black);
    std::vector<double> parameters;
    for (const Series &s : m_series) {
        for (const QPointF &p : s.points)
            parameters.push_back(p.x());
    }
    if (parameters.empty())
        parameters.push_back(0.0);
    const Range across = rangeOf(parameters);
    const auto xOf = [&](double v) {
        return left + inset + span * (v - across.least) / (across.greatest - across.least);
    };
    const double pad = (across.greatest - across.least) * inset / span;
    const std::vector<double> xTicks = ticksOf(across.least - pad, across.greatest + pad);
    for (size_t k = 0; k < m_series.size(); ++k) {
        const Series &s = m_series[k];
        const int areaTop = top + int(k) * panel;
        std::vector<double> values;
        for (const QPointF &p : s.points)
            values.push_back(p.y());
        if (values.empty())
            values.push_back(0.0);
        const Range up = rangeOf(values);
        const auto yOf = [&](double v) {
            return areaTop + insetUp + spanUp * (up.greatest - v) / (up.greatest - up.least);
        };
        // The value axis reaches 10 pixels (5 % of the span) above and below the values.
        const double upPad = (up.greatest - up.least) * insetUp / spanUp;
        const double areaBottom = areaTop + areaHeight;
        for (const double t : ticksOf(up.least - upPad, up.greatest + upPad)) {
            const double y = yOf(t);
            drawn.push_back({Shape::Line, {double(left), y}, {double(left + areaWidth), y}, grid, {}});
            drawn.push_back({Shape::Line, {double(left - 5), y}, {double(left), y}, ink, {}});
            drawn.push_back({Shape::Text, {double(left - 8), y + 4}, {}, ink, number(t), Shape::End});
        }
        for (const double t : xTicks) {
            const double x = xOf(t);
            drawn.push_back({Shape::Line, {x, double(areaTop)}, {x, areaBottom}, grid, {}});
            drawn.push_back({Shape::Line, {x, areaBottom}, {x, areaBottom + 5}, ink, {}});
            drawn.push_back({Shape::Text, {x, areaBottom + 18}, {}, ink, number(t), Shape::Middle});
        }
        drawn.push_back(
            {Shape::Rect, {double(left), double(areaTop)}, {double(areaWidth), double(areaHeight)}, ink, {}});
        drawn.push_back({Shape::Text, {double(left), areaTop - 10.0}, {}, ink, s.name});
        drawn.push_back({Shape::Text, {left + areaWidth / 2.0, areaBottom + 34}, {}, ink, m_parameter, Shape::Middle});
        for (size_t i = 1; i < s.points.size(); ++i)
            drawn.push_back({Shape::Line,
                             {xOf(s.points[i - 1].x()), yOf(s.points[i - 1].y())},
                             {xOf(s.points[i].x()), yOf(s.points[i].y())},
                             pointColor(),
                             {}});
        for (const QPointF &p : s.points)
            drawn.push_back({Shape::Dot, {xOf(p.x()), yOf(p.y())}, {}, pointColor(), {}});
    }
    return drawn;
}

QByteArray StudyPlot::svg() const
{
    QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                  "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\" "
                                  "viewBox=\"0 0 %1 %2\" font-family=\"sans-serif\" font-size=\"%3\">\n"
                                  "<rect x=\"0\" y=\"0\" width=\"%1\" height=\"%2\" fill=\"#ffffff\"/>\n")
                       .arg(totalWidth)
                       .arg(height())
                       .arg(fontPixels);
    for (const Shape &s : shapes()) {
        switch (s.kind) {
        case Shape::Line:
            text +=
                QStringLiteral("<line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\" stroke=\"%5\" stroke-width=\"%6\"/>\n")
                    .arg(coordinate(s.a.x()), coordinate(s.a.y()), coordinate(s.b.x()), coordinate(s.b.y()),
                         colorText(s.color), s.color == pointColor() ? QStringLiteral("1.5") : QStringLiteral("1"));
            break;
        case Shape::Rect:
            text += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"none\" stroke=\"%5\"/>\n")
                        .arg(coordinate(s.a.x()), coordinate(s.a.y()), coordinate(s.b.x()), coordinate(s.b.y()),
                             colorText(s.color));
            break;
        case Shape::Dot:
            text += QStringLiteral("<circle cx=\"%1\" cy=\"%2\" r=\"4\" fill=\"%3\"/>\n")
                        .arg(coordinate(s.a.x()), coordinate(s.a.y()), colorText(s.color));
            break;
        case Shape::Text: {
            static const char *const anchors[] = {"start", "middle", "end"};
            text += QStringLiteral("<text x=\"%1\" y=\"%2\" text-anchor=\"%3\" fill=\"%4\">%5</text>\n")
                        .arg(coordinate(s.a.x()), coordinate(s.a.y()), QLatin1String(anchors[s.align]),
                             colorText(s.color), s.text.toHtmlEscaped());
            break;
        }
        }
    }
    text += QStringLiteral("</svg>\n");
    return text.toUtf8();
}

QImage StudyPlot::image() const
{
    QImage picture(totalWidth, height(), QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    QFont font = painter.font();
    font.setPixelSize(fontPixels);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    for (const Shape &s : shapes()) {
        switch (s.kind) {
        case Shape::Line:
            painter.setRenderHint(QPainter::Antialiasing, s.color == pointColor());
            painter.setPen(QPen(s.color, s.color == pointColor() ? 1.5 : 1.0));
            painter.drawLine(s.a, s.b);
            break;
        case Shape::Rect:
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setPen(s.color);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRectF(s.a, QSizeF(s.b.x(), s.b.y())));
            break;
        case Shape::Dot:
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.setPen(Qt::NoPen);
            painter.setBrush(s.color);
            painter.drawEllipse(s.a, 4.0, 4.0);
            break;
        case Shape::Text: {
            painter.setPen(s.color);
            const double width = metrics.horizontalAdvance(s.text);
            const double shift = s.align == Shape::Middle ? width / 2.0 : s.align == Shape::End ? width : 0.0;
            painter.drawText(QPointF(s.a.x() - shift, s.a.y()), s.text);
            break;
        }
        }
    }
    painter.end();
    return picture;
}

bool StudyPlot::isWritable(const QString &fileName) { return FigureFile::isWritable(fileName); }

bool StudyPlot::write(const QString &fileName, QString *error) const
{
    return FigureFile::write(fileName, [this] { return image(); }, [this] { return svg(); }, error);
}

} // namespace Operations
} // namespace Core
