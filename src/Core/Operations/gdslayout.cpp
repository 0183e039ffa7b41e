#include "gdslayout.h"

#include "Util/failuretext.h"
#include "gdsrecordscan.h"

#include <QFile>
#include <QPainterPathStroker>

#include <cmath>
#include <memory>
#include <set>

// The library's header brings `using namespace std` with it: it is included here only.
#include <libGDSII.h>

namespace Core {
namespace Operations {

namespace {

QPolygonF pointsOf(const std::vector<int> &xy)
{
    QPolygonF points;
    points.reserve(static_cast<int>(xy.size() / 2));
    for (size_t i = 0; i + 1 < xy.size(); i += 2)
        points.append(QPointF(xy[i], xy[i + 1]));
    return points;
}

// A path's outline: its centre line widened to the width, ends as the path type says (0 flush,
// 1 round, 2 extended by half the width); bends are mitred.
QPainterPath pathOutline(const QPolygonF &line, double width, int pathType)
{
    QPainterPath centre;
    centre.moveTo(line.first());
    for (int i = 1; i < line.size(); ++i)
        centre.lineTo(line[i]);
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(pathType == 1 ? Qt::RoundCap : pathType == 2 ? Qt::SquareCap : Qt::FlatCap);
    stroker.setJoinStyle(Qt::MiterJoin);
    QPainterPath outline = stroker.createStroke(centre);
    outline.setFillRule(Qt::WindingFill);
    return outline;
}

// Reflection about x first, then magnification, rotation (degrees, anticlockwise) and the move.
QTransform placement(bool reflected, double magnification, double angle, const QPointF &origin)
{
    return QTransform::fromScale(magnification, reflected ? -magnification : magnification) *
           QTransform().rotate(angle) * QTransform::fromTranslate(origin.x(), origin.y());
}

} // namespace

bool GdsLayout::fail(const QString &message)
{
    m_structures.clear();
    m_layers.clear();
    m_error = message;
    return false;
}

bool GdsLayout::load(const QString &fileName)
{
    try {
        return read(fileName);
    } catch (const std::exception &e) {
        return fail(Util::failureText(e, QStringLiteral("read the layout")));
    }
}

bool GdsLayout::read(const QString &fileName)
{
    m_error.clear();
    if (!QFile::exists(fileName))
        return fail(QStringLiteral("The file does not exist."));
    GdsRecordScan scan;
    if (!scan.scan(fileName))
        return fail(scan.errorString());

    std::unique_ptr<libGDSII::GDSIIData> data(new libGDSII::GDSIIData(QFile::encodeName(fileName).toStdString()));
    if (data->ErrMsg)
        return fail(QString::fromStdString(*data->ErrMsg));
    const double metresPerUnit = data->FileUnits[1];
    if (!std::isfinite(metresPerUnit) || metresPerUnit <= 0.0)
        return fail(QStringLiteral("Its database unit is not a length."));
    m_micronsPerUnit = metresPerUnit * 1.0e6;

    const QVector<GdsRecordScan::Structure> &scanned = scan.structures();
    const auto count = static_cast<int>(data->Structs.size());
    if (count != scanned.size())
        return fail(QStringLiteral("Its structures could not be read consistently."));
    m_structures = QVector<Structure>(count);
    for (int s = 0; s < count; ++s) {
        const auto &elements = data->Structs[static_cast<size_t>(s)]->Elements;
        if (static_cast<int>(elements.size()) != scanned[s].reflected.size())
            return fail(QStringLiteral("Its structures could not be read consistently."));
        Structure &structure = m_structures[s];
        for (size_t e = 0; e < elements.size(); ++e) {
            const GDSIIElement &element = *elements[e];
            const QPolygonF points = pointsOf(element.XY);
            const LayoutLayer layer{element.Layer, element.DataType};
            switch (element.Type) {
            case BOUNDARY:
            case BOX:
                if (points.size() >= 3) {
                    QPainterPath outline;
                    outline.setFillRule(Qt::WindingFill);
                    outline.addPolygon(points);
                    outline.closeSubpath();
                    structure.shapes.append({layer, outline});
                }
                break;
            case PATH:
                // A path of no width draws nothing on a mask.
                if (points.size() >= 2 && element.Width != 0)
                    structure.shapes.append(
                        {layer, pathOutline(points, std::abs(double(element.Width)), element.PathType)});
                break;
            case SREF:
            case AREF: {
                if (element.nsRef < 0 || element.nsRef >= count)
                    return fail(QStringLiteral("A reference names no structure of the file."));
                const double magnification = element.Mag;
                if (!std::isfinite(magnification) || magnification <= 0.0 || !std::isfinite(element.Angle))
                    return fail(QStringLiteral("A reference has a magnification or angle that is not a number."));
                const bool reflected = scanned[s].reflected[static_cast<int>(e)];
                Reference reference;
                reference.target = element.nsRef;
                if (element.Type == SREF && points.size() >= 1) {
                    reference.placements.append(placement(reflected, magnification, element.Angle, points[0]));
                } else if (element.Type == AREF && points.size() >= 3 && element.Columns > 0 && element.Rows > 0) {
                    // The second and third points lie a whole row and column of pitches away.
                    const QPointF columnStep = (points[1] - points[0]) / element.Columns;
                    const QPointF rowStep = (points[2] - points[0]) / element.Rows;
                    for (int c = 0; c < element.Columns; ++c)
                        for (int r = 0; r < element.Rows; ++r)
                            reference.placements.append(placement(reflected, magnification, element.Angle,
                                                                  points[0] + c * columnStep + r * rowStep));
                }
                m_structures[element.nsRef].referenced = true;
                structure.references.append(reference);
                break;
            }
            default:
                break; // texts and nodes put nothing on a mask
            }
        }
    }
    collectLayers();
    return true;
}

void GdsLayout::collectLayers()
{
    std::set<LayoutLayer> found;
    QVector<bool> seen(m_structures.size(), false);
    // Every structure below a top-level one; the scan ruled out cycles.
    std::function<void(int)> walk = [&](int s) {
        if (seen[s])
            return;
        seen[s] = true;
        for (const Shape &shape : m_structures[s].shapes)
            found.insert(shape.layer);
        for (const Reference &reference : m_structures[s].references)
            walk(reference.target);
    };
    for (int s = 0; s < m_structures.size(); ++s) {
        if (!m_structures[s].referenced)
            walk(s);
    }
    m_layers = QVector<LayoutLayer>(found.begin(), found.end());
}

void GdsLayout::visit(int structure, const QTransform &world, const LayoutLayer &layer,
                      const std::function<void(const QPainterPath &, const QTransform &)> &visitor) const
{
    const Structure &s = m_structures[structure];
    for (const Shape &shape : s.shapes) {
        if (shape.layer == layer)
            visitor(shape.outline, world);
    }
    for (const Reference &reference : s.references) {
        for (const QTransform &place : reference.placements)
            visit(reference.target, place * world, layer, visitor);
    }
}

void GdsLayout::visitShapes(const LayoutLayer &layer,
                            const std::function<void(const QPainterPath &, const QTransform &)> &visitor) const
{
    if (!hasLayer(layer))
        return;
    const QTransform toMicrons = QTransform::fromScale(m_micronsPerUnit, m_micronsPerUnit);
    for (int s = 0; s < m_structures.size(); ++s) {
        if (!m_structures[s].referenced)
            visit(s, toMicrons, layer, visitor);
    }
}

QRectF GdsLayout::boundingBox(const LayoutLayer &layer) const
{
    QRectF box;
    visitShapes(layer, [&box](const QPainterPath &outline, const QTransform &toMicrons) {
        const QRectF extent = toMicrons.map(outline).boundingRect();
        box = box.isNull() ? extent : box.united(extent);
    });
    return box;
}

int GdsLayout::shapeCount(const LayoutLayer &layer) const
{
    int count = 0;
    visitShapes(layer, [&count](const QPainterPath &, const QTransform &) { ++count; });
    return count;
}

} // namespace Operations
} // namespace Core
