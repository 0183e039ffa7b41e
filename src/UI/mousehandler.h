#pragma once

#include <QVector3D>

namespace Ui {

/// Turns pointer positions into view changes: the last two points of a gesture, in coordinates
/// centred on the widget (y up), lifted onto a sphere for rotations and lamp moves.
class MouseHandler {
public:
    enum ParametersTypes { Lamp = 0, Translation = 1, Flat = 2, Rotation = 3 };

    void setViewport(int width, int height);
    /// The handler's zoom: translations are divided by it.
    void setScale(double scale) { m_scale = scale; }
    void setSphereRadius(double radius) { m_radius = radius; }
    double sphereRadius() const { return m_radius; }

    /// Starts a gesture at a widget position.
    void setFirtPosition(int x, int y, ParametersTypes type);
    /// A later position: the older point goes, the newer becomes the previous one.
    void setPosition(int x, int y);

    ParametersTypes type() const { return m_type; }
    QVector3D current() const { return m_current; }
    QVector3D previous() const { return m_previous; }

    /// (dx, dy) of the last step divided by the scale.
    void translation(double &dx, double &dy) const;
    /// Axis (unit, screen coordinates) and angle (degrees) that turn the previous point into the current one.
    bool rotation(QVector3D &axis, double &degrees) const;
    /// Azimuth phi and elevation theta of the current point (radians).
    void lampAngles(double &phi, double &theta) const;

private:
    QVector3D lift(int x, int y) const;

    int m_width = 1;
    int m_height = 1;
    double m_scale = 1.0;
    double m_radius = 1.0;
    ParametersTypes m_type = Flat;
    QVector3D m_current;
    QVector3D m_previous;
};

} // namespace Ui
