#include "scene/FloatParameterSliderButton.h"

#include "interact/HUDSliderIcon.h"

namespace vynui {

FloatParameterSliderButton::FloatParameterSliderButton(const std::string& name, const std::string& iconPath)
    : HUDSliderButton(name, iconPath)
{
}

void FloatParameterSliderButton::RefreshIcon()
{
    HUDSliderIcon* icon = GetSliderIcon();
    if (!icon) return;
    if (m_target.GetMapping() == ParameterSliderTarget::IDENTITY)
        icon->SetRange(m_target.GetValueMinimum(), m_target.GetValueMaximum());
    else
        icon->SetRange(m_target.GetSliderMinimum(), m_target.GetSliderMaximum());
    icon->SetValue(m_target.GetFraction());
    m_shown = icon->GetValue();
}

void FloatParameterSliderButton::Draw()
{
    // While held the icon shows the running value of the drag.
    if (!IsActive()) RefreshIcon();
    HUDSliderButton::Draw();
}

void FloatParameterSliderButton::OnPress(const Wml::Vector2<float>& point)
{
    RefreshIcon();
    HUDSliderButton::OnPress(point);
}

void FloatParameterSliderButton::OnValueChanged(float value)
{
    // The value shown at the press may lie outside what the slider covers
    // (clamped on the icon); writing it back would change the parameter
    // without the person moving anything.
    if (value == m_shown) return;
    m_shown = value;
    m_target.SetFraction(value);
}

}  // namespace vynui
