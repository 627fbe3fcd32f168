#include "interact/HUDWidget.h"

#include "interact/HUDItem.h"

namespace vynui {

HUDWidget::HUDWidget(HUDItem* owner, const Wml::AxisAlignedBox2<float>& box, int placement)
    : m_owner(owner), m_box(box), m_placement(placement)
{
}

void HUDWidget::UpdatePlacement()
{
    if (!m_owner || m_placement == PLACE_FIXED) return;
    const Wml::AxisAlignedBox2<float>& owner = m_owner->GetBox();
    float w = m_box.Max(0) - m_box.Min(0);
    float h = m_box.Max(1) - m_box.Min(1);
    float x = m_box.Min(0), top = m_box.Max(1);
    switch (m_placement) {
        case PLACE_LEFT:
            x = owner.Min(0) - w;
            top = owner.Max(1);
            break;
        case PLACE_RIGHT:
            x = owner.Max(0);
            top = owner.Max(1);
            break;
        case PLACE_BELOW:
            x = owner.Min(0);
            top = owner.Min(1);
            break;
        case PLACE_ABOVE:
            x = owner.Min(0);
            top = owner.Max(1) + h;
            break;
        default:
            return;
    }
    m_box = Wml::AxisAlignedBox2<float>(x, x + w, top - h, top);
}

}  // namespace vynui
