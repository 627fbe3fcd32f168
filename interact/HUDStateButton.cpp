#include "interact/HUDStateButton.h"

#include <cmath>

#include "interact/HUDImageSetIcon.h"
#include "interact/HUDStateListWidget.h"

namespace vynui {

HUDStateButton::HUDStateButton(const std::string& name, IHUDStateTarget* target)
    : HUDButton(name, new HUDImageSetIcon(), true, false),
      m_target(target),
      m_list(new HUDStateListWidget(this))
{
    AddEventHandler(this);
    AddWidget(m_list.get());
}

HUDStateButton::~HUDStateButton()
{
    RemoveWidget(m_list.get());
}

HUDImageSetIcon* HUDStateButton::GetImageSet() const
{
    return dynamic_cast<HUDImageSetIcon*>(m_icon);
}

void HUDStateButton::AddState(int key, const std::string& iconPath)
{
    if (HUDImageSetIcon* set = GetImageSet()) set->Add(key, new HUDFileIcon(iconPath));
}

void HUDStateButton::SyncWithTarget()
{
    HUDImageSetIcon* set = GetImageSet();
    if (set && m_target) set->Select(m_target->GetCurrentStateKey());
}

void HUDStateButton::Draw()
{
    SyncWithTarget();
    HUDButton::Draw();
}

void HUDStateButton::OnPress(const Wml::Vector2<float>& point)
{
    m_pointer = point;
    m_active = true;
}

void HUDStateButton::OnDrag(const Wml::Vector2<float>& delta)
{
    if (std::isfinite(delta.X()) && std::isfinite(delta.Y())) m_pointer += delta;
}

void HUDStateButton::OnRelease(const Wml::Vector2<float>& /*point*/)
{
    int cell = m_list->CellAt(m_pointer);
    HUDImageSetIcon* set = GetImageSet();
    m_active = false;
    if (cell >= 0 && set && m_target) {
        m_target->SetStateKey(set->GetKey(cell));
        set->Select(set->GetKey(cell));
    }
}

}  // namespace vynui
