#include "blobtree_ui/leaves/CurveSweep_ControlPointTarget.h"

#include <cmath>

#include "blobtree/nodes/CurveSweepNode.h"
#include "blobtree_ui/leaves/CurveSweepSceneObject.h"

namespace vynui_bt {

CurveSweep_ControlPointTarget::CurveSweep_ControlPointTarget(CurveSweepSceneObject* owner, unsigned int index)
    : m_owner(owner), m_index(index)
{
    SetTarget(this);
}

Wml::Vector3<float> CurveSweep_ControlPointTarget::GetPosition()
{
    ModelLock lock = m_owner->LockModel();
    const vynimplicit::CurveSweep* sweep = m_owner->GetSweepNode()->GetSweep();
    if (m_index >= sweep->GetNumControlPoints()) return Wml::Vector3<float>::ZERO;
    return sweep->GetFrame().ToWorldPoint(sweep->GetControlPoint(m_index));
}

void CurveSweep_ControlPointTarget::SetPosition(const Wml::Vector3<float>& position, bool relative)
{
    if (!std::isfinite(position.X()) || !std::isfinite(position.Y()) || !std::isfinite(position.Z())) return;
    ModelLock lock = m_owner->LockModel();
    vynbt::CurveSweepNode* node = m_owner->GetSweepNode();
    vynimplicit::CurveSweep* sweep = node->GetSweep();
    if (m_index >= sweep->GetNumControlPoints()) return;
    const Wml::Frame3<float>& frame = sweep->GetFrame();
    const Wml::Vector3<float> world =
        relative ? frame.ToWorldPoint(sweep->GetControlPoint(m_index)) + position : position;
    const Wml::Vector3<float> local = frame.ToLocalPoint(world);
    Wml::AxisAlignedBox3<float> before;
    node->ChildModifiedHack_BeforeChange(before);
    sweep->SetControlPoint(m_index, local);
    node->ChildModifiedHack_AfterChange(before);
}

}  // namespace vynui_bt
