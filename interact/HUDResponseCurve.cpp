#include "interact/HUDResponseCurve.h"

#include <algorithm>
#include <cmath>

namespace vynui {

HUDResponseCurve::HUDResponseCurve(int mode, float deadZone, float saturation)
    : m_mode(mode), m_deadZone(0.06f), m_saturation(0.25f)
{
    // Bad values fall back to the defaults rather than give a curve that
    // divides by zero.
    if (std::isfinite(deadZone) && std::isfinite(saturation) && deadZone >= 0.0f && saturation > deadZone) {
        m_deadZone = deadZone;
        m_saturation = saturation;
    }
}

bool HUDResponseCurve::SetDeadZone(float deadZone)
{
    if (!std::isfinite(deadZone) || deadZone < 0.0f || !(m_saturation > deadZone)) return false;
    m_deadZone = deadZone;
    return true;
}

bool HUDResponseCurve::SetSaturation(float saturation)
{
    if (!std::isfinite(saturation) || !(saturation > m_deadZone)) return false;
    m_saturation = saturation;
    return true;
}

float HUDResponseCurve::Displacement(const Wml::Vector2<float>& pointer) const
{
    switch (m_mode) {
        case VERTICAL:
            return pointer.Y() - m_origin.Y();
        case HORIZONTAL:
            return pointer.X() - m_origin.X();
        default:
            return (pointer - m_origin).Length();
    }
}

float HUDResponseCurve::Gain(const Wml::Vector2<float>& pointer) const
{
    float displacement = Displacement(pointer);
    if (!std::isfinite(displacement)) return 0.0f;
    float sign = displacement > 0.0f ? 1.0f : -1.0f;
    float m = std::fabs(displacement);
    if (m < m_deadZone) return 0.0f;
    if (m >= m_saturation) return sign;
    float t = (m - m_deadZone) / (m_saturation - m_deadZone);
    float h = 1.0f - t * t;
    return sign * std::clamp(1.0f - h * h * h, 0.0f, 1.0f);
}

}  // namespace vynui
