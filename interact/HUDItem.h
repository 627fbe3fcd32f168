#pragma once
// Base of everything on the HUD (buttons and toolbars): a named rectangle in
// HUD space with event handlers and widgets. HUD space runs from -1 (bottom)
// to +1 (top) and from -aspect to +aspect across the view.

#include <set>
#include <string>

#include "wml/AxisAlignedBox2.h"
#include "wml/Segment2.h"
#include "wml/Vector2.h"

namespace vynui {

class HUDEventHandler;
class HUDWidget;

class HUDItem {
public:
    /// Where the HUD keeps an item when the view changes size.
    enum Anchor { ANCHOR_LEFT = 0, ANCHOR_RIGHT = 1, ANCHOR_BOTTOM = 2, ANCHOR_FREE = 8 };

    explicit HUDItem(const std::string& name = std::string());
    virtual ~HUDItem() = default;
    HUDItem(const HUDItem&) = delete;
    HUDItem& operator=(const HUDItem&) = delete;

    /// Draws the widgets (after updating their placement).
    virtual void Draw();
    /// The item that took the press, or null.
    virtual HUDItem* OnMouseDown(const Wml::Vector2<float>& point);
    /// The item that took the drag, or null (the capture then ends).
    virtual HUDItem* OnMouseDrag(const Wml::Vector2<float>& point);
    virtual void OnMouseUp() {}
    /// True while held, the item wants to be driven by repeated events.
    virtual bool IsContinuous() const { return false; }
    /// The item activated by a segment crossing it, or null.
    virtual HUDItem* OnCross(const Wml::Segment2<float>& segment);
    /// relative: move by (x, y); otherwise put the minimum corner at (x, y),
    /// keeping the size. Non-finite input is ignored.
    virtual void SetPosition(float x, float y, bool relative);

    const std::string& GetName() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }

    /// Handlers and widgets are not owned.
    void AddEventHandler(HUDEventHandler* handler);
    void RemoveEventHandler(HUDEventHandler* handler);
    bool HasEventHandler(HUDEventHandler* handler) const { return m_handlers.count(handler) != 0; }
    const std::set<HUDEventHandler*>& GetEventHandlers() const { return m_handlers; }
    void AddWidget(HUDWidget* widget);
    void RemoveWidget(HUDWidget* widget);
    const std::set<HUDWidget*>& GetWidgets() const { return m_widgets; }
    /// Recomputes every widget's box from this item's box.
    void UpdateWidgets();

    bool IsVisible() const { return m_visible; }
    void SetVisible(bool visible) { m_visible = visible; }
    bool IsActive() const { return m_active; }
    void SetActive(bool active) { m_active = active; }

    const Wml::AxisAlignedBox2<float>& GetBox() const { return m_box; }
    void SetBox(const Wml::AxisAlignedBox2<float>& box) { m_box = box; }
    float GetWidth() const { return m_box.Extent(0); }
    float GetHeight() const { return m_box.Extent(1); }

    int GetAnchor() const { return m_anchor; }
    void SetAnchor(int anchor) { m_anchor = anchor; }

protected:
    std::string m_name;
    std::set<HUDEventHandler*> m_handlers;
    std::set<HUDWidget*> m_widgets;
    bool m_visible = true;
    bool m_active = false;
    Wml::AxisAlignedBox2<float> m_box{0.0f, 0.0f, 0.0f, 0.0f};
    int m_anchor = ANCHOR_FREE;
};

}  // namespace vynui
