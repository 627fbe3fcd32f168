#include "interact/HUDToolbar.h"

#include <algorithm>
#include <cmath>

#include "interact/HUDFileIcon.h"
#include "interact/ResourceRoot.h"

namespace vynui {

void HUDToolbar::CloseButtonEventHandler::OnActivate()
{
    if (!m_toolbar->IsClosable()) return;
    m_toolbar->SetVisible(false);
    m_toolbar->NotifyClosed();
}

void HUDToolbar::CloseButtonEventHandler::OnDrag(const Wml::Vector2<float>& delta)
{
    if (!std::isfinite(delta.X()) || !std::isfinite(delta.Y())) return;
    m_toolbar->SetPosition(delta.X(), delta.Y(), true);
    m_toolbar->NotifyMoved();
}

HUDToolbar::HUDToolbar(const std::string& name, int layout, bool closable)
    : HUDItem(name),
      m_closeButton(name + "CloseButton", new HUDFileIcon(GetIconPath("closeX.png")), true, true),
      m_closeHandler(this),
      m_closable(closable),
      m_layout(layout)
{
    m_closeButton.AddEventHandler(&m_closeHandler);
    PlaceCloseButton();
    RecomputeBox();
}

HUDToolbar::~HUDToolbar() = default;

void HUDToolbar::PlaceCloseButton()
{
    if (m_layout == HORIZONTAL)
        m_closeButton.SetBox(Wml::AxisAlignedBox2<float>(-0.025f, 0.025f, -0.05f, 0.0f));
    else if (m_layout == VERTICAL)
        m_closeButton.SetBox(Wml::AxisAlignedBox2<float>(0.0f, 0.05f, -0.025f, 0.025f));
}

Wml::AxisAlignedBox2<float> HUDToolbar::ContentBox() const
{
    Wml::AxisAlignedBox2<float> box = m_closeButton.GetBox();
    for (HUDButton* item : m_items) box.Merge(item->GetBox());
    return box;
}

void HUDToolbar::RecomputeBox()
{
    m_box = ContentBox();
    if (m_layout == HORIZONTAL)
        m_box.Max(0) = std::max(m_box.Max(0), m_box.Min(0) + m_minimumExtent);
    else if (m_layout == VERTICAL)
        m_box.Min(1) = std::min(m_box.Min(1), m_box.Max(1) - m_minimumExtent);
}

void HUDToolbar::SetMinimumExtent(float extent)
{
    if (!std::isfinite(extent) || extent < 0.0f) return;
    m_minimumExtent = extent;
    RecomputeBox();
}

void HUDToolbar::AddButton(HUDButton* button)
{
    if (!button || button == &m_closeButton ||
        std::find(m_items.begin(), m_items.end(), button) != m_items.end())
        return;
    // Placed after what is there, not after the padding of the minimum extent.
    Wml::AxisAlignedBox2<float> content = ContentBox();
    m_items.push_back(button);
    if (m_layout == HORIZONTAL) {
        button->SetPosition(content.Max(0) + m_spacing, content.Max(1) - button->GetHeight(), false);
    } else if (m_layout == VERTICAL) {
        float bottom = content.Min(1) - m_spacing - button->GetHeight();
        button->SetPosition(content.Min(0), bottom, false);
    }
    RecomputeBox();
}

bool HUDToolbar::RemoveButton(HUDButton* button)
{
    auto it = std::find(m_items.begin(), m_items.end(), button);
    if (it == m_items.end()) return false;
    m_items.erase(it);
    RecomputeBox();
    return true;
}

void HUDToolbar::RemoveAll()
{
    m_items.clear();
    RecomputeBox();
}

void HUDToolbar::Relayout()
{
    Wml::Vector2<float> corner = m_box.MinCorner();
    std::vector<HUDButton*> items = m_items;
    m_items.clear();
    PlaceCloseButton();
    RecomputeBox();
    for (HUDButton* item : items) AddButton(item);
    SetPosition(corner.X(), corner.Y(), false);
}

void HUDToolbar::SetPosition(float x, float y, bool relative)
{
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    float dx = relative ? x : x - m_box.Min(0);
    float dy = relative ? y : y - m_box.Min(1);
    for (HUDButton* item : m_items) item->SetPosition(dx, dy, true);
    m_closeButton.SetPosition(dx, dy, true);
    HUDItem::SetPosition(dx, dy, true);
}

HUDButton* HUDToolbar::FindItem(const std::string& name) const
{
    for (HUDButton* item : m_items)
        if (item->GetName() == name) return item;
    return nullptr;
}

void HUDToolbar::Draw()
{
    if (m_closeButton.IsVisible()) m_closeButton.Draw();
    for (HUDButton* item : m_items)
        if (item->IsVisible()) item->Draw();
    HUDItem::Draw();
}

HUDItem* HUDToolbar::OnMouseDown(const Wml::Vector2<float>& point)
{
    if (m_closeButton.IsVisible())
        if (HUDItem* hit = m_closeButton.OnMouseDown(point)) return hit;
    for (HUDButton* item : m_items)
        if (item->IsVisible())
            if (HUDItem* hit = item->OnMouseDown(point)) return hit;
    return nullptr;
}

HUDItem* HUDToolbar::OnCross(const Wml::Segment2<float>& segment)
{
    if (m_closeButton.IsVisible())
        if (HUDItem* hit = m_closeButton.OnCross(segment)) return hit;
    for (HUDButton* item : m_items)
        if (item->IsVisible())
            if (HUDItem* hit = item->OnCross(segment)) return hit;
    return nullptr;
}

std::vector<IHUDToolbarEventHandler*> HUDToolbar::ToolbarHandlers() const
{
    std::vector<IHUDToolbarEventHandler*> handlers;
    for (HUDEventHandler* handler : m_handlers)
        if (auto* toolbar = dynamic_cast<IHUDToolbarEventHandler*>(handler)) handlers.push_back(toolbar);
    return handlers;
}

void HUDToolbar::NotifyMoved()
{
    for (IHUDToolbarEventHandler* handler : ToolbarHandlers()) handler->OnToolbarMoved();
}

void HUDToolbar::NotifyClosed()
{
    for (IHUDToolbarEventHandler* handler : ToolbarHandlers()) handler->OnToolbarClosed();
}

}  // namespace vynui
