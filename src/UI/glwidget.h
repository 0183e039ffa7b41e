#pragma once

#include "UI/camera.h"
#include "UI/lampset.h"
#include "UI/mousehandler.h"
#include "Util/vector3d.h"

#include <QOpenGLWidget>

#include <array>
#include <memory>
#include <vector>

namespace Core {
class Workspace;
}

namespace Model {
namespace Surfaces {
class ShownSurfaces;
}
} // namespace Model

namespace Ui {

/// The 3D view of the document: fixed-function OpenGL with an orthographic projection, a camera,
/// up to eight lamps, a ground grid, axes and a colour-scale legend. It gives the workspace the
/// surfaces it shows (unless the workspace has some already) and pairs a painter with each volume.
/// Mouse, wheel and keys move the camera and the lamps; a click in selection mode picks objects.
class GLWidget : public QOpenGLWidget {
    Q_OBJECT
public:
    explicit GLWidget(Core::Workspace &workspace, QWidget *parent = nullptr);
    ~GLWidget() override;

    bool showAxes() const { return m_showAxes; }
    bool showLamps() const { return m_showLamps; }
    bool lighting() const { return m_lighting; }
    bool renderObjects() const { return m_renderObjects; }
    bool renderObjectEdges() const { return m_renderObjectEdges; }
    bool renderGrid() const { return m_renderGrid; }
    bool snapToGrid() const { return m_snapToGrid; }
    double gridSpacing() const { return m_gridSpacing; }
    double zoom() const { return m_zoom; }

    Camera &camera() { return m_camera; }
    LampSet &lamps() { return m_lamps; }
    bool isPressed() const { return m_pressed; }
    bool isClicked() const { return m_clicked; }

    /// The point transparent faces are sorted from: far along the viewing direction, towards the viewer.
    Util::Vector3D eyePoint() const;

    /// The frame as it is on screen.
    QImage frontBuffer();
    /// Writes the frame in the format the file's extension names (png, xpm or jpg); on failure
    /// returns false with a message for the user.
    bool saveImage(const QString &fileName, QString *error = nullptr);

    /// The legend shows a colour scale of 256 colours between two values, headed by the quantity
    /// and its unit; empty colours hide it. Without such a call the legend follows the scene: it
    /// shows the colour scale of the first cell volume drawn as a particle count field, and nothing
    /// when there is none.
    void setLegend(const std::vector<std::array<float, 4>> &colors, float minimum, float maximum,
                   const QString &quantity = QString(), const QString &unit = QString());
    float legendMinimum() const { return m_legendMin; }
    float legendMaximum() const { return m_legendMax; }
    QString legendQuantity() const { return m_legendQuantity; }
    QString legendUnit() const { return m_legendUnit; }
    const std::vector<std::array<float, 4>> &legendColors() const { return m_legendColors; }
    void setLegendScaleType(uint32_t type) { m_legendScaleType = type; }
    uint32_t legendScaleType() const { return m_legendScaleType; }
    bool legendShown() const { return !m_legendColors.empty(); }

    /// Frames every object of the document ("Fit to Volumes"); false when there is nothing to frame.
    /// A view not on screen yet is framed at its first frame, when it has its final size.
    bool fitToVolumes();

    /// f = 1 + delta / 1200 for a forward turn, else 1 / (1 - delta / 1200); delta in eighths of a degree.
    static double wheelFactor(int delta);

public slots:
    void updateGL() { update(); }
    /// The document changed: a scene that gets its first objects (a document opened, the first
    /// volume created) is framed; later changes leave the user's view alone. Redraws.
    void sceneChanged();
    void setShowAxes(bool on);
    void setShowLamps(bool on);
    void setLighting(bool on) { m_lighting = on; }
    void setRenderObjects(bool on) { m_renderObjects = on; }
    void setRenderObjectEdges(bool on) { m_renderObjectEdges = on; }
    void setRenderGrid(bool on) { m_renderGrid = on; }
    void setSnapToGrid(bool on) { m_snapToGrid = on; }
    void setGridSpacing(double spacing);
    void setZoom(double zoom);
    /// Whole degrees; redraws.
    void setView(int rx, int ry, int rz);
    /// "front", "back", "left", "right", "top", "bottom"; any other name leaves the view alone.
    void setStandardView(const QString &name);
    void setViewPosition(double vx, double vy);
    void setAxisPosition(double ax, double ay, double az);
    /// Applies the lamp set's values to the view and redraws.
    void lampsChanged();

    void increaseTranslateX() { moveAxis(5, 0, 0); }
    void increaseTranslateY() { moveAxis(0, 5, 0); }
    void increaseTranslateZ() { moveAxis(0, 0, 5); }
    void decreaseTranslateX() { moveAxis(-5, 0, 0); }
    void decreaseTranslateY() { moveAxis(0, -5, 0); }
    void decreaseTranslateZ() { moveAxis(0, 0, -5); }
    void swithActiveLamp();

signals:
    void rotationChanged(double rx, double ry, double rz);
    void axisPositionChanged(double ax, double ay, double az);
    void viewPositionChanged(double vx, double vy);
    void zoomChanged(double percent);
    void lampPositionChanged(int lamp, double radius, double theta, double phi);

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void setUpState();
    void applyProjection();
    void applyLamps();
    void drawGrid();
    void drawAxes();
    void drawLampMarkers();
    void drawLegend();
    void updateLegendFromScene();
    void moveAxis(double dx, double dy, double dz);
    void emitLampPosition();
    void pick(int x, int y);
    /// Sets the camera and the zoom so that the scene fills the view at its current size.
    bool applyFit();

    Core::Workspace &m_workspace;
    std::shared_ptr<Model::Surfaces::ShownSurfaces> m_surfaces;
    Camera m_camera;
    LampSet m_lamps;
    MouseHandler m_mouse;
    double m_zoom = 1.0;
    bool m_showAxes = true;
    bool m_showLamps = false;
    bool m_lighting = true;
    bool m_renderObjects = true;
    bool m_renderObjectEdges = false;
    bool m_renderGrid = false;
    bool m_snapToGrid = false;
    double m_gridMin[2] = {-300, -300};
    double m_gridMax[2] = {300, 300};
    double m_gridZ = 0;
    double m_gridSpacing = 10;
    bool m_pressed = false;
    bool m_clicked = false;
    QPoint m_pressPosition;
    int m_width = 1;
    int m_height = 1;
    std::vector<std::array<float, 4>> m_legendColors;
    float m_legendMin = 0;
    float m_legendMax = 1;
    QString m_legendQuantity;
    QString m_legendUnit;
    uint32_t m_legendScaleType = 0;
    bool m_legendFromScene = true;
    bool m_stateDirty = false;
    bool m_fitPending = false;
    bool m_sceneEmpty = true;
};

} // namespace Ui
