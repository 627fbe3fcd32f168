#pragma once
// A row, a column or a free group of HUD buttons with a small close button
// at its start. Dragging the close button moves the toolbar; activating it
// closes the toolbar when the toolbar is closable.

#include <string>
#include <vector>

#include "interact/HUDButton.h"
#include "interact/HUDEventHandler.h"

namespace vynui {

class HUDToolbar : public HUDItem {
public:
    enum Layout { HORIZONTAL = 0, VERTICAL = 1, FREE = 2 };

    static constexpr float SPACING = 0.025f;

    /// Moves the toolbar with drags of the close button and closes it on activation.
    class CloseButtonEventHandler : public HUDButtonEventHandler {
    public:
        explicit CloseButtonEventHandler(HUDToolbar* toolbar) : m_toolbar(toolbar) {}
        void OnActivate() override;
        void OnDrag(const Wml::Vector2<float>& delta) override;

    private:
        HUDToolbar* m_toolbar;
    };

    /// layout: HORIZONTAL, VERTICAL or any other value for free placement.
    HUDToolbar(const std::string& name, int layout, bool closable);
    ~HUDToolbar() override;

    void Draw() override;
    /// The close button first, then the items in order.
    HUDItem* OnMouseDown(const Wml::Vector2<float>& point) override;
    HUDItem* OnCross(const Wml::Segment2<float>& segment) override;
    /// Moves the items, the close button and the box together.
    void SetPosition(float x, float y, bool relative) override;

    /// Appends a button (not owned) and places it after the last one; a
    /// button already on the toolbar or null is ignored.
    void AddButton(HUDButton* button);
    /// Takes a button off (it keeps its place); false when not on the toolbar.
    bool RemoveButton(HUDButton* button);
    void RemoveAll();
    /// Lays the items out again in order, keeping the minimum corner.
    void Relayout();
    /// The box of the close button and the items, grown to the minimum
    /// extent along the layout direction.
    void RecomputeBox();

    const std::vector<HUDButton*>& GetItems() const { return m_items; }
    HUDButton* FindItem(const std::string& name) const;
    HUDButton& GetCloseButton() { return m_closeButton; }
    const HUDButton& GetCloseButton() const { return m_closeButton; }
    bool IsClosable() const { return m_closable; }
    int GetLayout() const { return m_layout; }
    float GetSpacing() const { return m_spacing; }
    float GetMinimumExtent() const { return m_minimumExtent; }
    /// Ignored unless finite and non-negative.
    void SetMinimumExtent(float extent);

    /// Tells the IHUDToolbarEventHandlers.
    void NotifyMoved();
    void NotifyClosed();

private:
    void PlaceCloseButton();
    Wml::AxisAlignedBox2<float> ContentBox() const;
    std::vector<IHUDToolbarEventHandler*> ToolbarHandlers() const;

    HUDButton m_closeButton;
    CloseButtonEventHandler m_closeHandler;
    std::vector<HUDButton*> m_items;
    bool m_closable;
    int m_layout;
    float m_spacing = SPACING;
    float m_minimumExtent = 0.0f;
};

}  // namespace vynui
