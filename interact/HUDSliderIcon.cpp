#include "interact/HUDSliderIcon.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace vynui {

HUDSliderIcon::HUDSliderIcon(const std::string& path) : m_background(path) {}

bool HUDSliderIcon::SetRange(float minimum, float maximum)
{
    if (!std::isfinite(minimum) || !std::isfinite(maximum) || minimum > maximum) return false;
    m_minimum = minimum;
    m_maximum = maximum;
    m_value = std::clamp(m_value, m_minimum, m_maximum);
    return true;
}

void HUDSliderIcon::SetValue(float value)
{
    if (std::isnan(value)) return;
    m_value = std::clamp(value, m_minimum, m_maximum);
}

float HUDSliderIcon::GetBarFraction() const
{
    float range = m_maximum - m_minimum;
    if (!(range > 0.0f)) return 0.0f;
    return std::clamp((m_value - m_minimum) / range, 0.0f, 1.0f);
}

void HUDSliderIcon::DrawContents(const Wml::AxisAlignedBox2<float>& /*box*/)
{
    m_background.Draw(Wml::AxisAlignedBox2<float>(0.0f, 1.0f, 0.0f, 1.0f), GetBackgroundAlpha());
    float top = GetBarFraction();
    glColor4f(m_barColor.R(), m_barColor.G(), m_barColor.B(), GetBarAlpha());
    glBegin(GL_QUADS);
    glVertex2f(0.0f, 0.0f);
    glVertex2f(1.0f, 0.0f);
    glVertex2f(1.0f, top);
    glVertex2f(0.0f, top);
    glEnd();
}

}  // namespace vynui
