#include "UI/mousehandler.h"

#include <QDebug>

#include <algorithm>
#include <cmath>

namespace Ui {

void MouseHandler::setViewport(int width, int height)
{
    m_width = std::max(1, width);
    m_height = std::max(1, height);
}

QVector3D MouseHandler::lift(int x, int y) const
{
    const double px = x - m_width / 2.0;
    const double py = m_height / 2.0 - y;
    double z = 0.0;
    if (m_type == Lamp) {
        const double square = m_radius * m_radius - px * px - py * py;
        z = square > 0 ? std::sqrt(square) : 0.0;
    } else if (m_type == Rotation) {
        // One sphere for the first and every later point: two different spheres would turn the
        // view a little at the first move even when the pointer barely moved.
        const double w = m_width;
        const double h = m_height;
        const double square = (1.0 - px * px / (w * w) - py * py / (h * h)) * (w + h) * (w + h) / 4.0;
        z = square > 0 ? std::sqrt(square) : 0.0;
    }
    return QVector3D(static_cast<float>(px), static_cast<float>(py), static_cast<float>(z));
}

void MouseHandler::setFirtPosition(int x, int y, ParametersTypes type)
{
    m_type = type;
    m_current = lift(x, y);
    m_previous = m_current;
    if (type == Lamp) {
        if (m_current.z() > 0)
            qDebug() << "UI/mousehandler" << Q_FUNC_INFO << "Setting z to " << m_current.z();
        else
            qDebug() << "UI/mousehandler" << Q_FUNC_INFO << "Setting z to zero";
    }
}

void MouseHandler::setPosition(int x, int y)
{
    m_previous = m_current;
    m_current = lift(x, y);
}

void MouseHandler::translation(double &dx, double &dy) const
{
    dx = (m_current.x() - m_previous.x()) / m_scale;
    dy = (m_current.y() - m_previous.y()) / m_scale;
}

bool MouseHandler::rotation(QVector3D &axis, double &degrees) const
{
    const QVector3D cross = QVector3D::crossProduct(m_previous, m_current);
    const double lengths = double(m_previous.length()) * m_current.length();
    if (cross.isNull() || lengths <= 0.0) {
        axis = QVector3D();
        degrees = 0.0;
        return false;
    }
    axis = cross.normalized();
    degrees = std::asin(std::min(1.0, cross.length() / lengths)) * 180.0 / M_PI;
    return true;
}

void MouseHandler::lampAngles(double &phi, double &theta) const
{
    const double x = m_current.x();
    const double y = m_current.y();
    phi = std::atan2(y, x);
    theta = std::atan2(double(m_current.z()), std::sqrt(x * x + y * y));
}

} // namespace Ui
