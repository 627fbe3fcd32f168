#include "interact/HUDSliderSignWidget.h"

#include <GL/gl.h>

#include "interact/HUDSliderButton.h"

namespace vynui {

HUDSliderSignWidget::HUDSliderSignWidget(HUDSliderButton* slider)
    : HUDWidget(slider, Wml::AxisAlignedBox2<float>(0.0f, 2 * HALF_SIZE, 0.0f, 2 * HALF_SIZE), PLACE_FIXED),
      m_slider(slider)
{
}

bool HUDSliderSignWidget::IsShown() const
{
    return m_slider && m_slider->IsActive();
}

bool HUDSliderSignWidget::IsPlus() const
{
    return m_slider && m_slider->GetLastStep() > 0.0f;
}

Wml::Vector2<float> HUDSliderSignWidget::GetSignCenter() const
{
    if (!m_slider) return Wml::Vector2<float>(0.0f, 0.0f);
    return m_slider->GetPointer() + Wml::Vector2<float>(HALF_SIZE, HALF_SIZE);
}

void HUDSliderSignWidget::Draw()
{
    if (!IsShown()) return;
    Wml::Vector2<float> c = GetSignCenter();
    m_box = Wml::AxisAlignedBox2<float>(c.X() - HALF_SIZE, c.X() + HALF_SIZE, c.Y() - HALF_SIZE,
                                        c.Y() + HALF_SIZE);
    const float bar = HALF_SIZE * 0.3f;
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    glBegin(GL_QUADS);
    glVertex2f(c.X() - HALF_SIZE, c.Y() - bar);
    glVertex2f(c.X() + HALF_SIZE, c.Y() - bar);
    glVertex2f(c.X() + HALF_SIZE, c.Y() + bar);
    glVertex2f(c.X() - HALF_SIZE, c.Y() + bar);
    if (IsPlus()) {
        glVertex2f(c.X() - bar, c.Y() - HALF_SIZE);
        glVertex2f(c.X() + bar, c.Y() - HALF_SIZE);
        glVertex2f(c.X() + bar, c.Y() + HALF_SIZE);
        glVertex2f(c.X() - bar, c.Y() + HALF_SIZE);
    }
    glEnd();

    Wml::Vector2<float> from = m_slider->GetBox().Center();
    const Wml::Vector2<float>& to = m_slider->GetPointer();
    glColor4f(0.0f, 0.0f, 0.0f, 0.25f);
    glBegin(GL_LINES);
    glVertex2f(from.X(), from.Y());
    glVertex2f(to.X(), to.Y());
    glEnd();
}

}  // namespace vynui
