#pragma once
// A HUD slider that edits one float parameter through its own slider target.
// Before drawing and on each press the icon is refreshed from the parameter,
// so an edit made elsewhere is shown and a press never writes back a stale
// value. A press alone changes nothing: only a value the drag moved to is
// written, through the parameter's own setter.

#include <string>

#include "interact/HUDSliderButton.h"
#include "scene/ParameterSliderTarget.h"

namespace vynui {

class FloatParameterSliderButton : public HUDSliderButton {
public:
    /// iconPath: the slider icon's background picture.
    FloatParameterSliderButton(const std::string& name, const std::string& iconPath);

    ParameterSliderTarget& GetTarget() { return m_target; }
    const ParameterSliderTarget& GetTarget() const { return m_target; }

    /// Sets the icon's range (the slider range with a linear or eased
    /// mapping, else the value range) and its value from the parameter.
    void RefreshIcon();

    void Draw() override;
    void OnPress(const Wml::Vector2<float>& point) override;
    void OnValueChanged(float value) override;

private:
    ParameterSliderTarget m_target;
    float m_shown = 0.0f;  // the slider value last shown or written
};

}  // namespace vynui
