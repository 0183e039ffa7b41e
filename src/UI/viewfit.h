#pragma once

#include "Model/object.h"

#include <QMatrix4x4>
#include <QVector3D>

#include <optional>
#include <utility>
#include <vector>

namespace Model {
class Document;
}

namespace Ui {

/// Framing a box in the orthographic view ("Fit to Volumes"): the camera turns about the box's
/// centre, and the zoom makes the box, seen under the camera's rotation, take up `fill` of the
/// viewport's width or height (whichever is tighter) while staying inside the projection's depth.
struct ViewFit {
    /// The camera's axis position: the box's centre, negated (the view position goes back to 0, 0).
    QVector3D axisPosition;
    double zoom = 1.0;

    static constexpr double fill = 0.9;

    /// None for an inverted box, a single point or an empty viewport. `rotation` is the camera's
    /// rotation matrix; `width` and `height` are the viewport's in pixels.
    static std::optional<ViewFit> toBox(const QVector3D &low, const QVector3D &high, const QMatrix4x4 &rotation,
                                        int width, int height);
    /// The same for the box around every object of the document.
    static std::optional<ViewFit> toScene(const Model::Document &document, const QMatrix4x4 &rotation, int width,
                                          int height);
    /// The box around every object's extent; none for a scene without sized objects.
    static std::optional<Model::Extent> sceneExtent(const Model::Document &document);
    /// The depth of the orthographic volume at zoom 1: the whole part of sqrt(2) * max(width, height).
    static double depthExtent(int width, int height);
    /// The near and far distances of an orthographic projection (glOrtho's) that hold every object
    /// of the document (where it is drawn, a move in progress included) and the boxes given, seen
    /// through `modelView`, with a margin; none when there is nothing to hold.
    static std::optional<std::pair<double, double>> clipPlanes(const Model::Document &document,
                                                               const QMatrix4x4 &modelView,
                                                               const std::vector<Model::Extent> &boxes = {});
};

} // namespace Ui
