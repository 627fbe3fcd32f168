#pragma once
// Something an item draws after its icon, placed next to the item's box.

#include "wml/AxisAlignedBox2.h"

namespace vynui {

class HUDItem;

class HUDWidget {
public:
    enum Placement {
        PLACE_LEFT = 4,   // left of the owner, top edges aligned
        PLACE_RIGHT = 5,  // right of the owner, top edges aligned
        PLACE_BELOW = 6,  // below the owner, left edges aligned
        PLACE_ABOVE = 7,  // above the owner, left edges aligned
        PLACE_FIXED = 8,  // the box stays where it is set
    };

    /// owner is not owned; box gives the size (and the place when fixed).
    HUDWidget(HUDItem* owner, const Wml::AxisAlignedBox2<float>& box, int placement = PLACE_FIXED);
    virtual ~HUDWidget() = default;

    virtual void Draw() = 0;

    /// Moves the box next to the owner's box as the placement says.
    void UpdatePlacement();

    HUDItem* GetOwner() const { return m_owner; }
    const Wml::AxisAlignedBox2<float>& GetBox() const { return m_box; }
    void SetBox(const Wml::AxisAlignedBox2<float>& box) { m_box = box; }
    int GetPlacement() const { return m_placement; }
    void SetPlacement(int placement) { m_placement = placement; }

protected:
    HUDItem* m_owner;
    Wml::AxisAlignedBox2<float> m_box;
    int m_placement;
};

}  // namespace vynui
