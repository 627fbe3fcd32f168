#include "blobtree_ui/leaves/InterpolatingLinearSweep_SlicePositionTarget.h"

#include <GL/gl.h>

#include <cmath>

#include "blobtree/nodes/InterpolatingLinearSweepNode.h"
#include "blobtree_ui/leaves/InterpolatingLinearSweepSceneObject.h"

namespace vynui_bt {

InterpolatingLinearSweep_SlicePositionTarget::InterpolatingLinearSweep_SlicePositionTarget(
    InterpolatingLinearSweepSceneObject* owner, unsigned int index)
    : m_owner(owner), m_index(index)
{
    SetTarget(this);
}

Wml::Vector3<float> InterpolatingLinearSweep_SlicePositionTarget::GetPosition()
{
    ModelLock lock = m_owner->LockModel();
    vynbt::InterpolatingLinearSweepNode* node = m_owner->GetSweepNode();
    const vynimplicit::InterpolatingLinearSweep* sweep = node->GetSweep();
    if (m_index >= sweep->GetNumSlices()) return Wml::Vector3<float>::ZERO;
    float x = 0.0f, y = 0.0f;
    const std::vector<Wml::Polygon2<float>>& polygons = sweep->GetSlicePolygons(m_index);
    if (!polygons.empty() && !polygons.front().IsEmpty()) {
        x = polygons.front().Vertex(0).X();
        y = polygons.front().Vertex(0).Y();
    } else {
        Wml::AxisAlignedBox3<float> bounds;
        node->FieldBounds(bounds);
        x = bounds.Min(0);
        y = bounds.Min(1);
    }
    return m_owner->SweepPointToWorld(x, y, sweep->GetSlicePosition(m_index));
}

void InterpolatingLinearSweep_SlicePositionTarget::SetPosition(const Wml::Vector3<float>& position,
                                                               bool relative)
{
    if (!std::isfinite(position.X()) || !std::isfinite(position.Y()) || !std::isfinite(position.Z())) return;
    ModelLock lock = m_owner->LockModel();
    vynbt::InterpolatingLinearSweepNode* node = m_owner->GetSweepNode();
    vynimplicit::InterpolatingLinearSweep* sweep = node->GetSweep();
    if (m_index >= sweep->GetNumSlices()) return;
    const Wml::Vector3<float> d = relative ? position : position - GetPosition();
    const float along = d.Dot(sweep->GetFrame().Z());
    float x = 0.0f, y = 0.0f;
    sweep->GetSliceOffset(m_index, x, y);
    // The node reports the change (old and new bounds) itself.
    if (!node->SetSlicePosition(m_index, sweep->GetSlicePosition(m_index) + along, x + d.X(), y + d.Y()))
        return;
    // The drawn outlines follow the slice's offset, so the handle (their
    // first vertex) follows the drag.
    std::vector<Wml::Polygon2<float>> polygons = sweep->GetSlicePolygons(m_index);
    for (Wml::Polygon2<float>& polygon : polygons)
        for (unsigned int k = 0; k < polygon.VertexCount(); ++k)
            polygon.SetVertex(k, polygon.Vertex(k) + Wml::Vector2<float>(d.X(), d.Y()));
    sweep->SetSlicePolygons(m_index, polygons);
}

void InterpolatingLinearSweep_SlicePositionTarget::Render(bool)
{
    const Wml::Vector3<float> p = GetPosition();
    glColor3f(0.0f, 0.0f, 1.0f);
    glBegin(GL_POINTS);
    glVertex3f(p.X(), p.Y(), p.Z());
    glEnd();
}

}  // namespace vynui_bt
