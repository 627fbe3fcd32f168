#include "blobtree_ui/leaves/BezierCurve_ControlPointTarget.h"

#include <cmath>

#include "blobtree/nodes/BezierCurveNode.h"
#include "blobtree_ui/leaves/BezierCurveSceneObject.h"

namespace vynui_bt {

BezierCurve_ControlPointTarget::BezierCurve_ControlPointTarget(BezierCurveSceneObject* owner,
                                                               unsigned int index)
    : m_owner(owner), m_index(index)
{
    SetTarget(this);
}

Wml::Vector3<float> BezierCurve_ControlPointTarget::GetPosition()
{
    ModelLock lock = m_owner->LockModel();
    const vynimplicit::BezierCurve* curve = m_owner->GetCurveNode()->GetCurve();
    if (m_index >= curve->GetNumControlPoints()) return Wml::Vector3<float>::ZERO;
    return curve->GetWorldControlPoint(m_index);
}

void BezierCurve_ControlPointTarget::SetPosition(const Wml::Vector3<float>& position, bool relative)
{
    if (!std::isfinite(position.X()) || !std::isfinite(position.Y()) || !std::isfinite(position.Z())) return;
    ModelLock lock = m_owner->LockModel();
    vynbt::BezierCurveNode* node = m_owner->GetCurveNode();
    vynimplicit::BezierCurve* curve = node->GetCurve();
    if (m_index >= curve->GetNumControlPoints()) return;
    const Wml::Vector3<float> target = relative ? curve->GetWorldControlPoint(m_index) + position : position;
    Wml::AxisAlignedBox3<float> before;
    node->ChildModifiedHack_BeforeChange(before);
    curve->SetWorldControlPoint(m_index, target);
    node->ChildModifiedHack_AfterChange(before);
}

}  // namespace vynui_bt
