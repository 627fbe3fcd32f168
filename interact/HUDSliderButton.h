#pragma once
// A button that works as a slider: press it and drag away from it. Each drag
// step moves the value by (delta x + delta y) / 10 times a gain that grows
// with the distance from the press point, so small motions near the press
// point give fine control and longer ones coarse control.

#include <memory>
#include <string>

#include "interact/HUDButton.h"
#include "interact/HUDEventHandler.h"
#include "interact/HUDResponseCurve.h"

namespace vynui {

class HUDSliderIcon;
class HUDSliderSignWidget;

class HUDSliderButton : public HUDButton, public HUDButtonEventHandler {
public:
    /// iconPath: the slider icon's background picture.
    HUDSliderButton(const std::string& name, const std::string& iconPath);
    ~HUDSliderButton() override;

    /// Called with the value on press and after every drag step.
    virtual void OnValueChanged(float /*value*/) {}

    void OnPress(const Wml::Vector2<float>& point) override;
    void OnDrag(const Wml::Vector2<float>& delta) override;
    void OnRelease(const Wml::Vector2<float>& point) override;

    /// The slider icon, or null when the icon was replaced by another kind.
    HUDSliderIcon* GetSliderIcon() const;
    HUDResponseCurve& GetCurve() { return m_curve; }
    const HUDResponseCurve& GetCurve() const { return m_curve; }
    /// Where the pointer is while held (HUD space).
    const Wml::Vector2<float>& GetPointer() const { return m_pointer; }
    /// delta x + delta y of the last drag step: its sign is the direction.
    float GetLastStep() const { return m_lastStep; }
    float GetValue() const;
    HUDSliderSignWidget* GetSignWidget() const { return m_signWidget.get(); }

private:
    HUDResponseCurve m_curve;
    Wml::Vector2<float> m_pointer{0.0f, 0.0f};
    float m_runningValue = 0.0f;
    float m_lastStep = 0.0f;
    std::unique_ptr<HUDSliderSignWidget> m_signWidget;
};

}  // namespace vynui
