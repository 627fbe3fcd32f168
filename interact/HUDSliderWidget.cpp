#include "interact/HUDSliderWidget.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace vynui {

namespace {

void Rect(GLenum mode, const Wml::AxisAlignedBox2<float>& b)
{
    glBegin(mode);
    glVertex2f(b.Min(0), b.Min(1));
    glVertex2f(b.Max(0), b.Min(1));
    glVertex2f(b.Max(0), b.Max(1));
    glVertex2f(b.Min(0), b.Max(1));
    glEnd();
}

}  // namespace

HUDSliderWidget::HUDSliderWidget(HUDItem* owner, IHUDSliderTarget* target, float length, float thickness,
                                 bool horizontal, int placement)
    : HUDWidget(owner,
                horizontal ? Wml::AxisAlignedBox2<float>(0.0f, length, 0.0f, thickness)
                           : Wml::AxisAlignedBox2<float>(0.0f, thickness, 0.0f, length),
                placement),
      m_target(target),
      m_thickness(thickness),
      m_horizontal(horizontal)
{
}

bool HUDSliderWidget::IsShown() const
{
    return m_target && m_target->IsShown(const_cast<HUDSliderWidget*>(this));
}

float HUDSliderWidget::GetFraction() const
{
    if (!m_target) return 0.0f;
    float f = m_target->GetFraction(const_cast<HUDSliderWidget*>(this));
    return std::isnan(f) ? 0.0f : std::clamp(f, 0.0f, 1.0f);
}

Wml::AxisAlignedBox2<float> HUDSliderWidget::GetTrackBox() const
{
    // Inset at the ends, then shortened by half the knob so the knob stays
    // inside the bar at both extremes.
    float along = 0.1f * m_thickness + 0.5f * GetKnobSize();
    float across = 0.425f * m_thickness;
    if (m_horizontal)
        return Wml::AxisAlignedBox2<float>(m_box.Min(0) + along, m_box.Max(0) - along, m_box.Min(1) + across,
                                           m_box.Max(1) - across);
    return Wml::AxisAlignedBox2<float>(m_box.Min(0) + across, m_box.Max(0) - across, m_box.Min(1) + along,
                                       m_box.Max(1) - along);
}

Wml::Vector2<float> HUDSliderWidget::GetKnobCenter() const
{
    Wml::AxisAlignedBox2<float> track = GetTrackBox();
    Wml::Vector2<float> c = track.Center();
    float f = GetFraction();
    if (m_horizontal) return Wml::Vector2<float>(track.Min(0) + f * (track.Max(0) - track.Min(0)), c.Y());
    return Wml::Vector2<float>(c.X(), track.Min(1) + f * (track.Max(1) - track.Min(1)));
}

void HUDSliderWidget::Draw()
{
    if (!IsShown()) return;
    glLineWidth(2.0f);
    glColor4f(0.9f, 0.9f, 0.9f, 1.0f);
    Rect(GL_QUADS, m_box);
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    Rect(GL_QUADS, GetTrackBox());
    Wml::Vector2<float> k = GetKnobCenter();
    float h = 0.5f * GetKnobSize();
    Wml::AxisAlignedBox2<float> knob(k.X() - h, k.X() + h, k.Y() - h, k.Y() + h);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    Rect(GL_QUADS, knob);
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    Rect(GL_LINE_LOOP, knob);
    glLineWidth(1.0f);
}

}  // namespace vynui
