#include "interact/HUDButton.h"

#include "interact/HUDEventHandler.h"
#include "interact/HUDIcon.h"
#include "wml/Box2.h"
#include "wml/Intersection.h"

namespace vynui {

HUDButton::HUDButton(const std::string& name, HUDIcon* icon, bool enabled, bool crossable)
    : HUDItem(name), m_icon(icon), m_enabled(enabled), m_crossable(crossable)
{
    m_box = Wml::AxisAlignedBox2<float>(0.0f, ICON_SIZE, 0.0f, ICON_SIZE);
}

HUDButton::~HUDButton()
{
    delete m_icon;
}

void HUDButton::SetIcon(HUDIcon* icon)
{
    if (icon == m_icon) return;
    delete m_icon;
    m_icon = icon;
}

std::vector<HUDButtonEventHandler*> HUDButton::ButtonHandlers() const
{
    // Collected first: a handler may change the handler set while told.
    std::vector<HUDButtonEventHandler*> handlers;
    for (HUDEventHandler* handler : m_handlers)
        if (auto* button = dynamic_cast<HUDButtonEventHandler*>(handler)) handlers.push_back(button);
    return handlers;
}

void HUDButton::Draw()
{
    if (m_icon) m_icon->Draw(m_box);
    HUDItem::Draw();
}

HUDItem* HUDButton::OnMouseDown(const Wml::Vector2<float>& point)
{
    if (!m_enabled || !m_box.Contains(point)) return nullptr;
    m_pressed = true;
    m_lastPoint = point;
    for (HUDButtonEventHandler* handler : ButtonHandlers()) handler->OnPress(point);
    return this;
}

HUDItem* HUDButton::OnMouseDrag(const Wml::Vector2<float>& point)
{
    if (!m_enabled || !m_pressed) return nullptr;
    Wml::Vector2<float> delta = point - m_lastPoint;
    for (HUDButtonEventHandler* handler : ButtonHandlers()) handler->OnDrag(delta);
    m_lastPoint = point;
    return this;
}

void HUDButton::OnMouseUp()
{
    for (HUDButtonEventHandler* handler : ButtonHandlers()) handler->OnRelease(m_lastPoint);
    m_pressed = false;
}

bool HUDButton::Crosses(const Wml::Segment2<float>& segment) const
{
    if (m_box.IsEmpty()) return false;
    Wml::Box2<float> box(m_box.Center(), Wml::Vector2<float>::UNIT_X, Wml::Vector2<float>::UNIT_Y,
                         0.5f * m_box.Extent(0), 0.5f * m_box.Extent(1));
    int quantity = 0;
    Wml::Vector2<float> points[2];
    return Wml::FindIntersection(segment, box, quantity, points);
}

HUDItem* HUDButton::OnCross(const Wml::Segment2<float>& segment)
{
    if (!m_enabled || !m_crossable || !Crosses(segment)) return nullptr;
    for (HUDButtonEventHandler* handler : ButtonHandlers()) handler->OnActivate();
    return this;
}

}  // namespace vynui
