#include "UI/lampset.h"

#include <algorithm>
#include <cmath>

namespace Ui {

LampSet::Tone LampSet::tone(int litLamps)
{
    const float lamps = float(std::max(1, litLamps));
    return Tone{0.3f, 0.58f / lamps, 0.06f / lamps, 24.0f};
}

int LampSet::litCount() const
{
    int lit = 0;
    for (int n = 0; n < m_count; ++n)
        lit += m_lamps[n].enabled ? 1 : 0;
    return lit;
}

LampSet::LampSet()
{
    setPolar(1, 300.0, M_PI / 4.0, M_PI / 3.0);
    m_lamps[0].enabled = true;
}

void LampSet::setActive(int lamp)
{
    if (lamp >= 1 && lamp <= m_count)
        m_active = lamp;
}

void LampSet::switchActive() { m_active = m_active >= m_count ? 1 : m_active + 1; }

LampSet::Lamp LampSet::lamp(int number) const
{
    return number >= 1 && number <= m_count ? m_lamps[number - 1] : Lamp();
}

void LampSet::setPolar(int number, double radius, double theta, double phi)
{
    if (number < 1 || number > maximum)
        return;
    Lamp &l = m_lamps[number - 1];
    l.radius = radius;
    l.theta = theta;
    l.phi = phi;
    l.position = position(radius, theta, phi);
}

void LampSet::setEnabled(int number, bool enabled)
{
    if (number >= 1 && number <= m_count)
        m_lamps[number - 1].enabled = enabled;
}

bool LampSet::addLamp()
{
    if (m_count >= maximum)
        return false;
    m_lamps[m_count] = Lamp();
    m_lamps[m_count].enabled = true;
    ++m_count;
    return true;
}

bool LampSet::removeLamp(int number)
{
    if (m_count <= 1 || number < 1 || number > m_count)
        return false;
    for (int i = number - 1; i + 1 < m_count; ++i)
        m_lamps[i] = m_lamps[i + 1];
    m_lamps[m_count - 1] = Lamp();
    --m_count;
    if (m_active > m_count)
        m_active = m_count;
    return true;
}

std::array<float, 4> LampSet::position(double radius, double theta, double phi)
{
    return {static_cast<float>(std::cos(phi) * std::cos(theta) * radius),
            static_cast<float>(std::sin(phi) * std::cos(theta) * radius), static_cast<float>(std::sin(theta) * radius),
            1.0f};
}

double LampSet::wheelRadius(double radius, bool forward, double factor)
{
    if (radius >= 1.0)
        return radius * factor;
    if (radius >= 0.0 && forward)
        return 2.0;
    return 0.0;
}

} // namespace Ui
