#pragma once

#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <QVector>

#include <functional>

namespace Core {
namespace Operations {

/// A layer of a layout and the datatype of its shapes.
struct LayoutLayer {
    int layer = 0;
    int datatype = 0;

    bool operator==(const LayoutLayer &o) const { return layer == o.layer && datatype == o.datatype; }
    bool operator<(const LayoutLayer &o) const
    {
        return layer < o.layer || (layer == o.layer && datatype < o.datatype);
    }
};

/// A mask layout read from a GDSII file: the shapes of every layer (boundaries, boxes and paths with
/// their widths) in each structure and the references and arrays that place structures in others.
/// Reading is done by libGDSII; this class expands the hierarchy with each reference's reflection,
/// magnification and rotation, and gives the shapes in micrometres.
class GdsLayout {
public:
    /// Reads the file; false with errorString() (and the layout empty) when it cannot be read.
    bool load(const QString &fileName);
    QString errorString() const { return m_error; }

    /// The layers with at least one shape under a top-level structure, in ascending order.
    QVector<LayoutLayer> layers() const { return m_layers; }
    bool hasLayer(const LayoutLayer &layer) const { return m_layers.contains(layer); }
    /// Every shape of the layer once placed: its outline (filled with the winding rule) in database
    /// units and the transformation to micrometres of the top-level structure.
    void visitShapes(const LayoutLayer &layer,
                     const std::function<void(const QPainterPath &, const QTransform &)> &visitor) const;
    /// The shapes' extent in micrometres; empty for an absent layer.
    QRectF boundingBox(const LayoutLayer &layer) const;
    /// How many shapes the layer has once every reference and array is expanded.
    int shapeCount(const LayoutLayer &layer) const;

private:
    struct Shape {
        LayoutLayer layer;
        QPainterPath outline;
    };
    struct Reference {
        int target = -1;
        QVector<QTransform> placements;
    };
    struct Structure {
        QVector<Shape> shapes;
        QVector<Reference> references;
        bool referenced = false;
    };
    bool read(const QString &fileName);
    void visit(int structure, const QTransform &world, const LayoutLayer &layer,
               const std::function<void(const QPainterPath &, const QTransform &)> &visitor) const;
    void collectLayers();
    bool fail(const QString &message);

    QVector<Structure> m_structures;
    QVector<LayoutLayer> m_layers;
    double m_micronsPerUnit = 1.0;
    QString m_error;
};

} // namespace Operations
} // namespace Core
