#pragma once

#include <QMatrix4x4>
#include <QVector3D>

namespace Ui {

/// The view's camera: rotation angles (degrees, applied about x, then y, then z), the axis
/// position (the scene point the rotation turns about, negated) and the view position on the
/// screen, which is turned into scene axes so that a screen drag moves along the screen.
class Camera {
public:
    Camera();

    double rotationX() const { return m_rx; }
    double rotationY() const { return m_ry; }
    double rotationZ() const { return m_rz; }
    void setRotation(double rx, double ry, double rz);
    /// Turns the camera by `degrees` about an axis given in screen coordinates.
    void rotate(double degrees, const QVector3D &screenAxis);

    double viewX() const { return m_vx; }
    double viewY() const { return m_vy; }
    void setViewPosition(double vx, double vy);
    /// The view position turned into scene axes.
    QVector3D screenOffset() const { return m_offset; }

    QVector3D axisPosition() const { return m_axis; }
    void setAxisPosition(const QVector3D &position) { m_axis = position; }
    /// Moves the axis position by a screen-space vector (x right, y up).
    void moveAxisAlongScreen(double dx, double dy);

    /// The rotation alone, column-major like OpenGL's.
    const QMatrix4x4 &rotationMatrix() const { return m_rotation; }
    /// Identity, rotate x, y, z, translate by the axis position and by the screen offset.
    QMatrix4x4 modelView() const;

    /// Angles (degrees) of a rotation matrix: the inverse of building it about x, y and z.
    static void anglesFromMatrix(const QMatrix4x4 &m, double &rx, double &ry, double &rz);

private:
    void update();
    QVector3D toScene(double sx, double sy) const;

    double m_vx = 0;
    double m_vy = 0;
    QVector3D m_offset;
    QMatrix4x4 m_rotation;
    double m_rx = 0;
    double m_ry = 0;
    double m_rz = 0;
    QVector3D m_axis;
};

} // namespace Ui
