#pragma once

#include "Core/Formats/gdsrecordscan.h"
#include "Core/Formats/layoutlayer.h"

#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <QVector>

#include <functional>
#include <map>

namespace Util {
class RunControl;
}

namespace Core {
namespace Operations {

/// A mask layout read from a GDSII file: the shapes of every layer (boundaries, boxes and paths with
/// their widths) in each structure and the references and arrays that place structures in others.
/// Loading expands the hierarchy once with each reference's reflection, magnification and rotation,
/// within limits on nesting, expanded shapes and points, coordinates and time, and gives the shapes
/// in micrometres.
class GdsLayout {
public:
    /// More shapes than this once every reference and array is expanded (an element of an array
    /// of an empty structure counts as one): refused.
    static constexpr double maxExpandedShapes = 4.0e6;
    /// More outline points than this once expanded: refused.
    static constexpr double maxExpandedPoints = 5.0e7;
    /// Deeper nesting of references than this: refused.
    static constexpr int maxDepth = 64;
    /// Reading that takes longer than this (milliseconds) is given up.
    static constexpr int defaultTimeLimit = 60000;
    /// A structure of this name holds a layout editor's notes on the others, not geometry: when no
    /// structure places it, it is passed over and places nothing itself.
    static const char *const contextStructure;

    /// Reports how far reading is (bytes, then expanded shapes) and stops when asked; may be null.
    void setRunControl(Util::RunControl *control) { m_control = control; }
    /// Reading is given up after this long (negative: never); checked every few thousand records and shapes.
    void setTimeLimit(int milliseconds) { m_timeLimit = milliseconds; }

    /// Reads the file; false with errorString() (and the layout empty) when it cannot be read.
    bool load(const QString &fileName);
    QString errorString() const { return m_error; }
    /// Whether the last load ended because the run control asked it to stop.
    bool wasStopped() const { return m_stopped; }

    /// The layers with at least one shape under a top-level structure, in ascending order.
    QVector<LayoutLayer> layers() const;
    bool hasLayer(const LayoutLayer &layer) const { return m_layers.count(layer) != 0; }
    /// Every shape of the layer once placed: its outline (filled with the winding rule) in database
    /// units and the transformation to micrometres of the top-level structure.
    void visitShapes(const LayoutLayer &layer,
                     const std::function<void(const QPainterPath &, const QTransform &)> &visitor) const;
    /// The shapes' extent in micrometres; empty for an absent layer.
    QRectF boundingBox(const LayoutLayer &layer) const;
    /// How many shapes the layer has once every reference and array is expanded.
    int shapeCount(const LayoutLayer &layer) const;

private:
    using Structure = GdsRecordScan::Structure;
    using Reference = GdsRecordScan::Reference;
    struct LayerExtent {
        int shapes = 0;
        QRectF box;
    };
    bool read(const QString &fileName);
    bool resolveNames();
    bool countExpansion();
    bool expand(int structure, const QTransform &world, int top, qint64 &visited);
    void visit(int structure, const QTransform &world, const LayoutLayer &layer, const QVector<char> &holds,
               const std::function<void(const QPainterPath &, const QTransform &)> &visitor) const;
    static QTransform placement(const Reference &reference, int column, int row);
    bool fail(const QString &message);

    QVector<Structure> m_structures;
    QVector<bool> m_top;
    std::map<LayoutLayer, LayerExtent> m_layers;
    double m_micronsPerUnit = 1.0;
    QString m_error;
    bool m_stopped = false;
    Util::RunControl *m_control = nullptr;
    int m_timeLimit = defaultTimeLimit;
    GdsReadBudget m_budget;
};

} // namespace Operations
} // namespace Core
