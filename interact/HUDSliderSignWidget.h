#pragma once
// While a slider is held: a plus or minus sign next to the pointer telling
// which way the value moves, and a faint line from the button to the pointer.

#include "interact/HUDWidget.h"
#include "wml/Vector2.h"

namespace vynui {

class HUDSliderButton;

class HUDSliderSignWidget : public HUDWidget {
public:
    static constexpr float HALF_SIZE = 0.03f;

    explicit HUDSliderSignWidget(HUDSliderButton* slider);

    void Draw() override;

    bool IsShown() const;
    /// Plus when the last drag step went up or right overall.
    bool IsPlus() const;
    /// Centre of the sign: the pointer offset by (0.03, 0.03).
    Wml::Vector2<float> GetSignCenter() const;

private:
    HUDSliderButton* m_slider;
};

}  // namespace vynui
