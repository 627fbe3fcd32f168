#include "interact/HUDItem.h"

#include <cmath>

#include "interact/HUDEventHandler.h"
#include "interact/HUDWidget.h"

namespace vynui {

HUDItem::HUDItem(const std::string& name) : m_name(name) {}

void HUDItem::Draw()
{
    UpdateWidgets();
    for (HUDWidget* widget : m_widgets) widget->Draw();
}

HUDItem* HUDItem::OnMouseDown(const Wml::Vector2<float>& /*point*/)
{
    return nullptr;
}

HUDItem* HUDItem::OnMouseDrag(const Wml::Vector2<float>& /*point*/)
{
    return nullptr;
}

HUDItem* HUDItem::OnCross(const Wml::Segment2<float>& /*segment*/)
{
    return nullptr;
}

void HUDItem::SetPosition(float x, float y, bool relative)
{
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    float dx = relative ? x : x - m_box.Min(0);
    float dy = relative ? y : y - m_box.Min(1);
    m_box.Min(0) += dx;
    m_box.Max(0) += dx;
    m_box.Min(1) += dy;
    m_box.Max(1) += dy;
}

void HUDItem::AddEventHandler(HUDEventHandler* handler)
{
    if (handler) m_handlers.insert(handler);
}

void HUDItem::RemoveEventHandler(HUDEventHandler* handler)
{
    m_handlers.erase(handler);
}

void HUDItem::AddWidget(HUDWidget* widget)
{
    if (widget) m_widgets.insert(widget);
}

void HUDItem::RemoveWidget(HUDWidget* widget)
{
    m_widgets.erase(widget);
}

void HUDItem::UpdateWidgets()
{
    for (HUDWidget* widget : m_widgets) widget->UpdatePlacement();
}

}  // namespace vynui
