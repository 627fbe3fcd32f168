#include "interact/HUDStateListWidget.h"

#include <GL/gl.h>

#include "interact/HUDImageSetIcon.h"
#include "interact/HUDStateButton.h"

namespace vynui {

HUDStateListWidget::HUDStateListWidget(HUDStateButton* button, float cellSizeFactor)
    : HUDWidget(button, Wml::AxisAlignedBox2<float>(0.0f, 0.0f, 0.0f, 0.0f), PLACE_FIXED),
      m_button(button),
      m_cellSizeFactor(cellSizeFactor)
{
}

bool HUDStateListWidget::IsShown() const
{
    return m_button && m_button->IsActive();
}

int HUDStateListWidget::GetCellCount() const
{
    HUDImageSetIcon* set = m_button ? m_button->GetImageSet() : nullptr;
    return set ? set->GetCount() : 0;
}

float HUDStateListWidget::GetCellSize() const
{
    return m_button ? m_cellSizeFactor * m_button->GetWidth() : 0.0f;
}

Wml::AxisAlignedBox2<float> HUDStateListWidget::GetCellBox(int i) const
{
    const Wml::AxisAlignedBox2<float>& b = m_button->GetBox();
    int n = GetCellCount();
    float c = GetCellSize(), g = GetGap();
    float top = b.Center().Y() + ((n - 1) * g + n * c) * 0.5f - i * (c + g);
    float left = b.Max(0) + g;
    return Wml::AxisAlignedBox2<float>(left, left + c, top - c, top);
}

int HUDStateListWidget::CellAt(const Wml::Vector2<float>& point) const
{
    for (int i = 0; i < GetCellCount(); ++i)
        if (GetCellBox(i).Contains(point)) return i;
    return -1;
}

int HUDStateListWidget::GetHighlightedCell() const
{
    int cell = CellAt(m_button->GetPointer());
    if (cell >= 0) return cell;
    HUDImageSetIcon* set = m_button->GetImageSet();
    return set ? set->GetCurrentIndex() : -1;
}

Wml::ColorRGBA HUDStateListWidget::GetOutlineColor(int i) const
{
    return i == GetHighlightedCell() ? Wml::ColorRGBA(1.0f, 0.0f, 0.0f, 1.0f)
                                     : Wml::ColorRGBA(0.0f, 0.0f, 0.0f, 1.0f);
}

void HUDStateListWidget::Draw()
{
    if (!IsShown()) return;
    HUDImageSetIcon* set = m_button->GetImageSet();
    int n = GetCellCount();
    for (int i = 0; i < n; ++i) set->GetIcon(i)->Draw(GetCellBox(i));
    glLineWidth(3.0f);
    for (int i = 0; i < n; ++i) {
        Wml::AxisAlignedBox2<float> b = GetCellBox(i);
        Wml::ColorRGBA color = GetOutlineColor(i);
        glColor4f(color.R(), color.G(), color.B(), color.A());
        glBegin(GL_LINE_LOOP);
        glVertex2f(b.Min(0), b.Min(1));
        glVertex2f(b.Max(0), b.Min(1));
        glVertex2f(b.Max(0), b.Max(1));
        glVertex2f(b.Min(0), b.Max(1));
        glEnd();
    }
    glLineWidth(1.0f);
}

}  // namespace vynui
