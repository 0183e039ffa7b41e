#include "UI/camera.h"

#include <cmath>

namespace Ui {

namespace {
constexpr double pi = 3.1415927;
}

Camera::Camera() { update(); }

void Camera::setRotation(double rx, double ry, double rz)
{
    m_rx = rx;
    m_ry = ry;
    m_rz = rz;
    update();
}

void Camera::rotate(double degrees, const QVector3D &screenAxis)
{
    if (screenAxis.isNull() || degrees == 0.0)
        return;
    QMatrix4x4 turn;
    turn.rotate(static_cast<float>(degrees), screenAxis);
    anglesFromMatrix(turn * m_rotation, m_rx, m_ry, m_rz);
    update();
}

void Camera::setViewPosition(double vx, double vy)
{
    m_vx = vx;
    m_vy = vy;
    update();
}

void Camera::moveAxisAlongScreen(double dx, double dy) { m_axis += toScene(dx, dy); }

QMatrix4x4 Camera::modelView() const
{
    QMatrix4x4 m;
    m.rotate(static_cast<float>(m_rx), 1, 0, 0);
    m.rotate(static_cast<float>(m_ry), 0, 1, 0);
    m.rotate(static_cast<float>(m_rz), 0, 0, 1);
    m.translate(m_axis);
    m.translate(m_offset);
    return m;
}

void Camera::anglesFromMatrix(const QMatrix4x4 &matrix, double &rx, double &ry, double &rz)
{
    const float *m = matrix.constData();
    rx = -std::atan2(m[9], m[10]) * 180.0 / pi;
    ry = std::atan2(m[8], std::sqrt(double(m[9]) * m[9] + double(m[10]) * m[10])) * 180.0 / pi;
    rz = -std::atan2(m[4], m[0]) * 180.0 / pi;
}

QVector3D Camera::toScene(double sx, double sy) const
{
    const float *m = m_rotation.constData();
    return QVector3D(static_cast<float>(m[0] * sx + m[1] * sy), static_cast<float>(m[4] * sx + m[5] * sy),
                     static_cast<float>(m[8] * sx + m[9] * sy));
}

void Camera::update()
{
    m_rotation.setToIdentity();
    m_rotation.rotate(static_cast<float>(m_rx), 1, 0, 0);
    m_rotation.rotate(static_cast<float>(m_ry), 0, 1, 0);
    m_rotation.rotate(static_cast<float>(m_rz), 0, 0, 1);
    m_offset = toScene(m_vx, m_vy);
}

} // namespace Ui
