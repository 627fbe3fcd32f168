#include "interact/HUDImageSetIcon.h"

namespace vynui {

HUDImageSetIcon::~HUDImageSetIcon()
{
    for (auto& entry : m_entries) delete entry.second;
}

void HUDImageSetIcon::Add(int key, HUDFileIcon* icon)
{
    if (!icon) return;
    m_entries.emplace_back(key, icon);
    if (m_current < 0) m_current = 0;
}

bool HUDImageSetIcon::Select(int key)
{
    for (int i = 0; i < int(m_entries.size()); ++i) {
        if (m_entries[i].first == key) {
            m_current = i;
            return true;
        }
    }
    return false;
}

int HUDImageSetIcon::GetWidth() const
{
    return m_current < 0 ? 0 : m_entries[m_current].second->GetWidth();
}

int HUDImageSetIcon::GetHeight() const
{
    return m_current < 0 ? 0 : m_entries[m_current].second->GetHeight();
}

void HUDImageSetIcon::Draw(const Wml::AxisAlignedBox2<float>& box)
{
    if (m_current >= 0) m_entries[m_current].second->Draw(box);
}

}  // namespace vynui
