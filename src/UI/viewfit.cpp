#include "UI/viewfit.h"

#include "Model/document.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Ui {

double ViewFit::depthExtent(int width, int height) { return std::floor(std::sqrt(2.0) * std::max(width, height)); }

std::optional<ViewFit> ViewFit::toBox(const QVector3D &low, const QVector3D &high, const QMatrix4x4 &rotation,
                                      int width, int height)
{
    // Written so that NaN coordinates fail too.
    if (width <= 0 || height <= 0 || !(low.x() <= high.x() && low.y() <= high.y() && low.z() <= high.z()))
        return std::nullopt;
    const QVector3D centre = (low + high) / 2.0f;
    const QVector3D half = (high - low) / 2.0f;

    // How far the box reaches from its centre along the screen's x and y and along the view.
    double reach[3] = {0.0, 0.0, 0.0};
    for (int corner = 0; corner < 8; ++corner) {
        const QVector3D offset(corner & 1 ? half.x() : -half.x(), corner & 2 ? half.y() : -half.y(),
                               corner & 4 ? half.z() : -half.z());
        const QVector3D eye = rotation.mapVector(offset);
        for (int axis = 0; axis < 3; ++axis)
            reach[axis] = std::max(reach[axis], std::fabs(double(eye[axis])));
    }

    // At zoom z the view shows |x| <= width / (2 z), |y| <= height / (2 z), |depth| <= D / (2 z).
    const double room[3] = {width / 2.0, height / 2.0, depthExtent(width, height) / 2.0};
    double zoom = std::numeric_limits<double>::infinity();
    for (int axis = 0; axis < 3; ++axis) {
        if (reach[axis] > 0.0)
            zoom = std::min(zoom, room[axis] / reach[axis]);
    }
    if (!std::isfinite(zoom))
        return std::nullopt;
    return ViewFit{-centre, fill * zoom};
}

std::optional<ViewFit> ViewFit::toScene(const Model::Document &document, const QMatrix4x4 &rotation, int width,
                                        int height)
{
    const auto extent = sceneExtent(document);
    if (!extent)
        return std::nullopt;
    const auto vector = [](const Util::Vector3D &v) { return QVector3D(float(v.x), float(v.y), float(v.z)); };
    return toBox(vector(extent->low), vector(extent->high), rotation, width, height);
}

std::optional<std::pair<double, double>> ViewFit::clipPlanes(const Model::Document &document,
                                                             const QMatrix4x4 &modelView,
                                                             const std::vector<Model::Extent> &boxes)
{
    std::vector<Model::Extent> all = boxes;
    for (const auto &object : document.allObjects()) {
        auto extent = object->extent();
        if (!extent)
            continue;
        if (object->isMoving()) {
            const Util::Vector3D move = object->moveOffset();
            extent->low = Util::Vector3D(extent->low.x + move.x, extent->low.y + move.y, extent->low.z + move.z);
            extent->high = Util::Vector3D(extent->high.x + move.x, extent->high.y + move.y, extent->high.z + move.z);
        }
        all.push_back(*extent);
    }
    // The eye looks along -z: what lies nearest has the largest z.
    double nearest = -std::numeric_limits<double>::infinity();
    double farthest = std::numeric_limits<double>::infinity();
    for (const Model::Extent &box : all) {
        for (int corner = 0; corner < 8; ++corner) {
            const QVector3D point(float(corner & 1 ? box.high.x : box.low.x),
                                  float(corner & 2 ? box.high.y : box.low.y),
                                  float(corner & 4 ? box.high.z : box.low.z));
            const double z = double(modelView.map(point).z());
            nearest = std::max(nearest, z);
            farthest = std::min(farthest, z);
        }
    }
    if (!(farthest <= nearest) || !std::isfinite(nearest) || !std::isfinite(farthest))
        return std::nullopt;
    // A margin keeps faces that lie exactly on the box off the planes.
    const double margin = 1.0 + 0.01 * (nearest - farthest + std::max(std::fabs(nearest), std::fabs(farthest)));
    return std::make_pair(-nearest - margin, -farthest + margin);
}

std::optional<Model::Extent> ViewFit::sceneExtent(const Model::Document &document)
{
    std::optional<Model::Extent> scene;
    for (const auto &object : document.allObjects()) {
        const auto extent = object->extent();
        if (!extent)
            continue;
        if (!scene) {
            scene = extent;
            continue;
        }
        scene->low = Util::Vector3D(std::min(scene->low.x, extent->low.x), std::min(scene->low.y, extent->low.y),
                                    std::min(scene->low.z, extent->low.z));
        scene->high = Util::Vector3D(std::max(scene->high.x, extent->high.x), std::max(scene->high.y, extent->high.y),
                                     std::max(scene->high.z, extent->high.z));
    }
    return scene;
}

} // namespace Ui
