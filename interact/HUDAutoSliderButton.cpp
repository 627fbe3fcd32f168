#include "interact/HUDAutoSliderButton.h"

#include <algorithm>
#include <cmath>

#include "interact/HUDSliderIcon.h"

namespace vynui {

HUDAutoSliderButton::HUDAutoSliderButton(const std::string& name, const std::string& iconPath, bool rateMode)
    : HUDButton(name, new HUDSliderIcon(iconPath), true, false),
      m_rateMode(rateMode),
      m_curve(HUDResponseCurve::VERTICAL)
{
    // Same look as the plain slider: a blue value bar.
    GetSliderIcon()->SetBarColor(Wml::ColorRGBA(0.0f, 0.0f, 1.0f, 1.0f));
    AddEventHandler(this);
}

HUDSliderIcon* HUDAutoSliderButton::GetSliderIcon() const
{
    return dynamic_cast<HUDSliderIcon*>(m_icon);
}

void HUDAutoSliderButton::OnPress(const Wml::Vector2<float>& point)
{
    m_pointer = point;
    m_lastGain = 0.0f;
    m_active = true;
    if (m_rateMode) return;
    if (HUDSliderIcon* icon = GetSliderIcon()) {
        icon->SetActive(true);
        OnValueChanged(icon->GetValue());
    }
}

void HUDAutoSliderButton::OnDrag(const Wml::Vector2<float>& delta)
{
    if (!std::isfinite(delta.X()) || !std::isfinite(delta.Y())) return;
    m_pointer += delta;
    m_curve.SetOrigin(m_box.Center());
    m_lastGain = m_curve.Gain(m_pointer);
    if (m_rateMode) {
        OnValueChanged(m_lastGain);
        return;
    }
    float step = m_lastGain * 0.01f;
    HUDSliderIcon* icon = GetSliderIcon();
    if (icon && std::fabs(step) > 0.0f) {
        icon->SetValue(std::clamp(icon->GetValue() + step, icon->GetMinimum(), icon->GetMaximum()));
        OnValueChanged(icon->GetValue());
    }
}

void HUDAutoSliderButton::OnRelease(const Wml::Vector2<float>& /*point*/)
{
    if (HUDSliderIcon* icon = GetSliderIcon()) icon->SetActive(false);
    m_active = false;
}

}  // namespace vynui
