#pragma once
// A square icon button of the HUD. It reacts to a press inside its box
// (then drags until the release) and, when crossable, to a tap or a stroke
// crossing it. It tells its HUDButtonEventHandlers.

#include <string>
#include <vector>

#include "interact/HUDItem.h"

namespace vynui {

class HUDIcon;
class HUDButtonEventHandler;

class HUDButton : public HUDItem {
public:
    /// The standard icon size in HUD units.
    static constexpr float ICON_SIZE = 0.125f;

    /// Takes ownership of icon (may be null). The box is 0..0.125 squared.
    HUDButton(const std::string& name, HUDIcon* icon, bool enabled = true, bool crossable = true);
    ~HUDButton() override;

    void Draw() override;
    HUDItem* OnMouseDown(const Wml::Vector2<float>& point) override;
    HUDItem* OnMouseDrag(const Wml::Vector2<float>& point) override;
    void OnMouseUp() override;
    HUDItem* OnCross(const Wml::Segment2<float>& segment) override;

    /// True when the segment (a point when of zero length) meets the box.
    bool Crosses(const Wml::Segment2<float>& segment) const;

    HUDIcon* GetIcon() const { return m_icon; }
    /// Replaces (and deletes) the current icon.
    void SetIcon(HUDIcon* icon);

    bool IsEnabled() const { return m_enabled; }
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    bool IsCrossable() const { return m_crossable; }
    void SetCrossable(bool crossable) { m_crossable = crossable; }
    bool IsPressed() const { return m_pressed; }
    const Wml::Vector2<float>& GetLastPoint() const { return m_lastPoint; }

protected:
    /// The button handlers among the event handlers, in set order.
    std::vector<HUDButtonEventHandler*> ButtonHandlers() const;

    HUDIcon* m_icon;
    bool m_enabled;
    bool m_crossable;
    bool m_pressed = false;
    Wml::Vector2<float> m_lastPoint{0.0f, 0.0f};
};

}  // namespace vynui
