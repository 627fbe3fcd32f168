#pragma once
// The column of choices a state button shows while held: one square cell per
// state, right of the button and centred on it vertically.

#include "interact/HUDWidget.h"
#include "wml/ColorRGBA.h"
#include "wml/Vector2.h"

namespace vynui {

class HUDStateButton;

class HUDStateListWidget : public HUDWidget {
public:
    explicit HUDStateListWidget(HUDStateButton* button, float cellSizeFactor = 0.75f);

    void Draw() override;

    bool IsShown() const;
    int GetCellCount() const;
    float GetCellSize() const;
    float GetGap() const { return 0.1f * GetCellSize(); }
    /// Cell i, counted from the top.
    Wml::AxisAlignedBox2<float> GetCellBox(int i) const;
    /// The first cell containing point, or -1.
    int CellAt(const Wml::Vector2<float>& point) const;
    /// The outlined cell: under the pointer, else the current state's cell
    /// (-1 when there is neither).
    int GetHighlightedCell() const;
    Wml::ColorRGBA GetOutlineColor(int i) const;

private:
    HUDStateButton* m_button;
    float m_cellSizeFactor;
};

}  // namespace vynui
