#pragma once
// A slider that keeps acting while held: the pointer's height above or below
// the button's centre sets a gain, and the input stream's repeated events
// apply it again on every timer tick even when the pointer rests. In rate
// mode the gain itself is reported (a speed); otherwise it nudges the value.

#include <string>

#include "interact/HUDButton.h"
#include "interact/HUDEventHandler.h"
#include "interact/HUDResponseCurve.h"

namespace vynui {

class HUDSliderIcon;

class HUDAutoSliderButton : public HUDButton, public HUDButtonEventHandler {
public:
    HUDAutoSliderButton(const std::string& name, const std::string& iconPath, bool rateMode);

    bool IsContinuous() const override { return true; }

    /// Rate mode: the gain in [-1, 1] on every drag step; otherwise the value.
    virtual void OnValueChanged(float /*value*/) {}

    void OnPress(const Wml::Vector2<float>& point) override;
    void OnDrag(const Wml::Vector2<float>& delta) override;
    void OnRelease(const Wml::Vector2<float>& point) override;

    bool IsRateMode() const { return m_rateMode; }
    HUDSliderIcon* GetSliderIcon() const;
    HUDResponseCurve& GetCurve() { return m_curve; }
    const HUDResponseCurve& GetCurve() const { return m_curve; }
    const Wml::Vector2<float>& GetPointer() const { return m_pointer; }
    /// The gain of the last drag step.
    float GetLastGain() const { return m_lastGain; }

private:
    bool m_rateMode;
    HUDResponseCurve m_curve;
    Wml::Vector2<float> m_pointer{0.0f, 0.0f};
    float m_lastGain = 0.0f;
};

}  // namespace vynui
