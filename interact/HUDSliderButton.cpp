#include "interact/HUDSliderButton.h"

#include <algorithm>
#include <cmath>

#include "interact/HUDSliderIcon.h"
#include "interact/HUDSliderSignWidget.h"

namespace vynui {

HUDSliderButton::HUDSliderButton(const std::string& name, const std::string& iconPath)
    : HUDButton(name, new HUDSliderIcon(iconPath), true, false),
      m_curve(HUDResponseCurve::DISTANCE, 0.0f, 0.2f),
      m_signWidget(new HUDSliderSignWidget(this))
{
    GetSliderIcon()->SetBarColor(Wml::ColorRGBA(0.0f, 0.0f, 1.0f, 1.0f));
    AddEventHandler(this);
    AddWidget(m_signWidget.get());
}

HUDSliderButton::~HUDSliderButton()
{
    RemoveWidget(m_signWidget.get());
}

HUDSliderIcon* HUDSliderButton::GetSliderIcon() const
{
    return dynamic_cast<HUDSliderIcon*>(m_icon);
}

float HUDSliderButton::GetValue() const
{
    HUDSliderIcon* icon = GetSliderIcon();
    return icon ? icon->GetValue() : m_runningValue;
}

void HUDSliderButton::OnPress(const Wml::Vector2<float>& point)
{
    m_pointer = point;
    m_curve.SetOrigin(point);
    m_lastStep = 0.0f;
    m_runningValue = GetValue();
    if (HUDSliderIcon* icon = GetSliderIcon()) icon->SetActive(true);
    m_active = true;
    OnValueChanged(m_runningValue);
}

void HUDSliderButton::OnDrag(const Wml::Vector2<float>& delta)
{
    if (!std::isfinite(delta.X()) || !std::isfinite(delta.Y())) return;
    m_pointer += delta;
    float gain = m_curve.Gain(m_pointer);
    m_lastStep = delta.X() + delta.Y();
    float step = m_lastStep * 0.1f * gain;
    m_runningValue += step;
    if (HUDSliderIcon* icon = GetSliderIcon()) {
        m_runningValue = std::clamp(m_runningValue, icon->GetMinimum(), icon->GetMaximum());
        icon->SetValue(m_runningValue);
    }
    OnValueChanged(m_runningValue);
}

void HUDSliderButton::OnRelease(const Wml::Vector2<float>& /*point*/)
{
    if (HUDSliderIcon* icon = GetSliderIcon()) icon->SetActive(false);
    m_active = false;
}

}  // namespace vynui
