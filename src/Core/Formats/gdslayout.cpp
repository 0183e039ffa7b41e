#include "Core/Formats/gdslayout.h"

#include "Core/Formats/gdsrecords.h"
#include "Util/failuretext.h"
#include "Util/runcontrol.h"

#include <QFile>
#include <QHash>

#include <algorithm>
#include <cmath>
#include <exception>

namespace Core {
namespace Operations {

using GdsRecords::printable;

const char *const GdsLayout::contextStructure = "CONTEXT_INFO";

namespace {

// The largest distance from the origin that a coordinate of a GDSII file can give (a signed
// 32-bit number of database units).
constexpr double largestCoordinate = 2147483647.0;

// The extent of an outline once transformed, as QTransform::map(outline).boundingRect() gives it,
// without building the transformed path for outlines of straight lines.
QRectF mappedBounds(const QPainterPath &outline, const QTransform &transform)
{
    const int count = outline.elementCount();
    if (count == 0)
        return QRectF();
    double left = 0.0, right = 0.0, top = 0.0, bottom = 0.0;
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element &e = outline.elementAt(i);
        if (e.isCurveTo())
            return transform.map(outline).boundingRect();
        const QPointF p = transform.map(QPointF(e.x, e.y));
        if (i == 0) {
            left = right = p.x();
            top = bottom = p.y();
        } else {
            left = std::min(left, p.x());
            right = std::max(right, p.x());
            top = std::min(top, p.y());
            bottom = std::max(bottom, p.y());
        }
    }
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

} // namespace

bool GdsLayout::fail(const QString &message)
{
    m_structures.clear();
    m_top.clear();
    m_layers.clear();
    m_error = message;
    m_stopped = m_control && m_control->wasStopped();
    return false;
}

bool GdsLayout::load(const QString &fileName)
{
    m_stopped = false;
    try {
        return read(fileName);
    } catch (const std::exception &e) {
        return fail(Util::failureText(e, QStringLiteral("read the layout")));
    }
}

bool GdsLayout::read(const QString &fileName)
{
    m_error.clear();
    m_structures.clear();
    m_top.clear();
    m_layers.clear();
    if (!QFile::exists(fileName))
        return fail(QStringLiteral("The file does not exist."));
    m_budget = GdsReadBudget();
    m_budget.control = m_control;
    m_budget.timeLimitMs = m_timeLimit;
    m_budget.clock.start();
    GdsRecordScan scan;
    if (!scan.scan(fileName, m_budget))
        return fail(scan.errorString());
    m_micronsPerUnit = scan.metresPerUnit() * 1.0e6;
    if (!std::isfinite(m_micronsPerUnit) || m_micronsPerUnit <= 0.0)
        return fail(QStringLiteral("Its database unit is not a length."));
    m_structures = std::move(scan.structures());
    if (!resolveNames() || !countExpansion())
        return false;

    const QTransform toMicrons = QTransform::fromScale(m_micronsPerUnit, m_micronsPerUnit);
    qint64 visited = 0;
    for (int s = 0; s < m_structures.size(); ++s) {
        if (m_top[s] && !expand(s, toMicrons, s, visited))
            return false;
    }
    if (m_control)
        m_control->finishStage();
    return true;
}

bool GdsLayout::resolveNames()
{
    QHash<QByteArray, int> byName;
    for (int s = 0; s < m_structures.size(); ++s) {
        const QByteArray &name = m_structures[s].name;
        if (byName.contains(name))
            return fail(QStringLiteral("The file defines structure \"%1\" twice.").arg(printable(name)));
        byName.insert(name, s);
    }
    for (Structure &structure : m_structures) {
        for (Reference &reference : structure.references) {
            reference.targetIndex = byName.value(reference.target, -1);
            if (reference.targetIndex < 0)
                return fail(QStringLiteral("Structure \"%1\" refers to a structure \"%2\" that the file does not "
                                           "define.")
                                .arg(printable(structure.name), printable(reference.target)));
        }
    }
    // A layout editor's notes that no structure places: passed over, and what it names stays on top.
    const int context = byName.value(QByteArray(contextStructure), -1);
    if (context >= 0) {
        bool placed = false;
        for (int s = 0; s < m_structures.size() && !placed; ++s) {
            for (const Reference &reference : m_structures[s].references)
                placed = placed || (s != context && reference.targetIndex == context);
        }
        if (!placed) {
            m_structures[context].shapes.clear();
            m_structures[context].references.clear();
            m_structures[context].points = 0;
        }
    }
    m_top = QVector<bool>(m_structures.size(), true);
    for (const Structure &structure : m_structures) {
        for (const Reference &reference : structure.references)
            m_top[reference.targetIndex] = false;
    }
    if (context >= 0 && m_structures[context].shapes.isEmpty() && m_structures[context].references.isEmpty())
        m_top[context] = false;
    return true;
}

bool GdsLayout::countExpansion()
{
    // Shapes and points of every structure once expanded and the levels of references below it;
    // shapes are -1 while a structure is being counted (a cycle). The depth of the walk is checked
    // too, so that a long chain never runs the stack out before its levels are known.
    QVector<double> shapes(m_structures.size(), -2.0);
    QVector<double> points(m_structures.size(), 0.0);
    QVector<int> levels(m_structures.size(), 0);
    const QString tooDeep = QStringLiteral("References nest more than %1 levels deep.").arg(maxDepth);
    std::function<bool(int, int)> count = [&](int s, int depth) {
        if (shapes[s] >= 0.0)
            return true;
        const Structure &structure = m_structures[s];
        if (shapes[s] == -1.0)
            return fail(QStringLiteral("Structure \"%1\" contains itself through its references.")
                            .arg(printable(structure.name)));
        if (depth > maxDepth)
            return fail(tooDeep);
        shapes[s] = -1.0;
        double totalShapes = structure.shapes.size();
        double totalPoints = double(structure.points);
        for (const Reference &reference : structure.references) {
            const int target = reference.targetIndex;
            if (!count(target, depth + 1))
                return false;
            // Placing an empty structure is work too: each copy counts as one shape at least.
            totalShapes += double(reference.copies()) * std::max(1.0, shapes[target]);
            totalPoints += double(reference.copies()) * points[target];
            levels[s] = std::max(levels[s], levels[target] + 1);
        }
        if (levels[s] > maxDepth)
            return fail(tooDeep);
        if (totalShapes > maxExpandedShapes)
            return fail(QStringLiteral("Structure \"%1\" expands to more than %2 shapes.")
                            .arg(printable(structure.name))
                            .arg(maxExpandedShapes, 0, 'g', 3));
        if (totalPoints > maxExpandedPoints)
            return fail(QStringLiteral("Structure \"%1\" expands to more than %2 outline points.")
                            .arg(printable(structure.name))
                            .arg(maxExpandedPoints, 0, 'g', 3));
        shapes[s] = totalShapes;
        points[s] = totalPoints;
        return true;
    };
    double total = 0.0;
    for (int s = 0; s < m_structures.size(); ++s) {
        if (!count(s, 0))
            return false;
        if (m_top[s])
            total += shapes[s];
    }
    if (m_control)
        m_control->beginStage(uint64_t(total));
    return true;
}

QTransform GdsLayout::placement(const Reference &reference, int column, int row)
{
    // Reflection about x first, then magnification, rotation (degrees, anticlockwise) and the move.
    const QPointF origin = reference.origin + column * reference.columnStep + row * reference.rowStep;
    const double m = reference.magnification;
    return QTransform::fromScale(m, reference.reflected ? -m : m) * QTransform().rotate(reference.angle) *
           QTransform::fromTranslate(origin.x(), origin.y());
}

bool GdsLayout::expand(int s, const QTransform &world, int top, qint64 &visited)
{
    const Structure &structure = m_structures[s];
    const double limit = largestCoordinate * m_micronsPerUnit * (1.0 + 1.0e-9);
    auto tick = [&] {
        if (++visited % 1024 != 0)
            return true;
        if (m_control)
            m_control->setDone(uint64_t(visited));
        const QString stop = m_budget.interruption();
        return stop.isEmpty() || fail(stop);
    };
    if (structure.shapes.isEmpty() && !tick())
        return false;
    for (const GdsRecordScan::Shape &shape : structure.shapes) {
        const QRectF box = mappedBounds(shape.outline, world);
        const double reach = std::max(std::max(std::abs(box.left()), std::abs(box.right())),
                                      std::max(std::abs(box.top()), std::abs(box.bottom())));
        if (!(reach <= limit))
            return fail(QStringLiteral("Structure \"%1\" places a shape beyond the coordinates a GDSII file can "
                                       "hold (%2 database units from the origin).")
                            .arg(printable(m_structures[top].name))
                            .arg(largestCoordinate, 0, 'f', 0));
        LayerExtent &extent = m_layers[shape.layer];
        ++extent.shapes;
        extent.box = extent.box.isNull() ? box : extent.box.united(box);
        if (!tick())
            return false;
    }
    for (const Reference &reference : structure.references) {
        for (int c = 0; c < reference.columns; ++c) {
            for (int r = 0; r < reference.rows; ++r) {
                if (!expand(reference.targetIndex, placement(reference, c, r) * world, top, visited))
                    return false;
            }
        }
    }
    return true;
}

QVector<LayoutLayer> GdsLayout::layers() const
{
    QVector<LayoutLayer> found;
    found.reserve(int(m_layers.size()));
    for (const auto &entry : m_layers)
        found.append(entry.first);
    return found;
}

void GdsLayout::visit(int structure, const QTransform &world, const LayoutLayer &layer, const QVector<char> &holds,
                      const std::function<void(const QPainterPath &, const QTransform &)> &visitor) const
{
    const Structure &s = m_structures[structure];
    for (const GdsRecordScan::Shape &shape : s.shapes) {
        if (shape.layer == layer)
            visitor(shape.outline, world);
    }
    for (const Reference &reference : s.references) {
        if (!holds[reference.targetIndex])
            continue;
        for (int c = 0; c < reference.columns; ++c)
            for (int r = 0; r < reference.rows; ++r)
                visit(reference.targetIndex, placement(reference, c, r) * world, layer, holds, visitor);
    }
}

void GdsLayout::visitShapes(const LayoutLayer &layer,
                            const std::function<void(const QPainterPath &, const QTransform &)> &visitor) const
{
    if (!hasLayer(layer))
        return;
    // Which structures hold a shape of the layer, themselves or below: the others are not entered.
    QVector<char> holds(m_structures.size(), char(-1));
    std::function<bool(int)> find = [&](int s) {
        if (holds[s] >= 0)
            return holds[s] != 0;
        bool found = false;
        for (const GdsRecordScan::Shape &shape : m_structures[s].shapes)
            found = found || shape.layer == layer;
        for (const Reference &reference : m_structures[s].references)
            found = find(reference.targetIndex) || found;
        holds[s] = found ? 1 : 0;
        return found;
    };
    const QTransform toMicrons = QTransform::fromScale(m_micronsPerUnit, m_micronsPerUnit);
    for (int s = 0; s < m_structures.size(); ++s) {
        if (m_top[s] && find(s))
            visit(s, toMicrons, layer, holds, visitor);
    }
}

QRectF GdsLayout::boundingBox(const LayoutLayer &layer) const
{
    const auto it = m_layers.find(layer);
    return it == m_layers.end() ? QRectF() : it->second.box;
}

int GdsLayout::shapeCount(const LayoutLayer &layer) const
{
    const auto it = m_layers.find(layer);
    return it == m_layers.end() ? 0 : it->second.shapes;
}

} // namespace Operations
} // namespace Core
