#pragma once
// A slider bar shown next to an item: a grey background, a black track and a
// white knob at the fraction its target reports.

#include "interact/HUDWidget.h"
#include "wml/Vector2.h"

namespace vynui {

class HUDSliderWidget : public HUDWidget {
public:
    class IHUDSliderTarget {
    public:
        virtual ~IHUDSliderTarget() = default;
        virtual bool IsShown(HUDSliderWidget* widget) = 0;
        /// In [0, 1]; other values are clamped.
        virtual float GetFraction(HUDSliderWidget* widget) = 0;
    };

    /// The bar is length along its direction and thickness across it; the
    /// target is not owned.
    HUDSliderWidget(HUDItem* owner, IHUDSliderTarget* target, float length, float thickness, bool horizontal,
                    int placement = PLACE_RIGHT);

    void Draw() override;

    bool IsShown() const;
    float GetFraction() const;
    bool IsHorizontal() const { return m_horizontal; }
    float GetThickness() const { return m_thickness; }
    float GetKnobSize() const { return 0.4f * m_thickness; }
    /// The black track inside the box.
    Wml::AxisAlignedBox2<float> GetTrackBox() const;
    /// Knob centre: at the track's start (left or bottom) for 0, its end for 1.
    Wml::Vector2<float> GetKnobCenter() const;

private:
    IHUDSliderTarget* m_target;
    float m_thickness;
    bool m_horizontal;
};

}  // namespace vynui
