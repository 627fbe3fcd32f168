#pragma once
// A set of file icons, each under an integer key, of which one is shown.

#include <utility>
#include <vector>

#include "interact/HUDFileIcon.h"

namespace vynui {

class HUDImageSetIcon : public HUDIcon {
public:
    HUDImageSetIcon() = default;
    ~HUDImageSetIcon() override;
    HUDImageSetIcon(const HUDImageSetIcon&) = delete;
    HUDImageSetIcon& operator=(const HUDImageSetIcon&) = delete;

    /// Takes ownership of icon (null is ignored). The first addition becomes current.
    void Add(int key, HUDFileIcon* icon);
    /// Makes the first entry with key current; false (unchanged) when no entry has it.
    bool Select(int key);

    int GetCount() const { return int(m_entries.size()); }
    int GetKey(int index) const { return m_entries[index].first; }
    HUDFileIcon* GetIcon(int index) const { return m_entries[index].second; }
    /// -1 while empty.
    int GetCurrentIndex() const { return m_current; }
    /// The current entry's key; fallback while empty.
    int GetCurrentKey(int fallback = -1) const
    {
        return m_current < 0 ? fallback : m_entries[m_current].first;
    }

    int GetWidth() const override;
    int GetHeight() const override;
    /// Draws the current entry; nothing while empty.
    void Draw(const Wml::AxisAlignedBox2<float>& box) override;

private:
    std::vector<std::pair<int, HUDFileIcon*>> m_entries;
    int m_current = -1;
};

}  // namespace vynui
