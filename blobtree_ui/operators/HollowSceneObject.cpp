#include "blobtree_ui/operators/HollowSceneObject.h"

#include "blobtree/nodes/HollowNode.h"
#include "blobtree_ui/ShapeTypeTable.h"
#include "blobtree_ui/operators/HollowSceneObjectParameters.h"

namespace vynui_bt {

HollowSceneObject::HollowSceneObject(vynbt::HollowNode* node)
    : CompositionNodeSceneObject(node, ShapeCode::Hollow, ShapeTypeTable::RecordName(ShapeCode::Hollow))
{
}

const char* HollowSceneObject::GetTypeName()
{
    return ShapeTypeTable::RecordName(ShapeCode::Hollow);
}

void HollowSceneObject::InitializeParameters()
{
    CompositionNodeSceneObject::InitializeParameters();
    AddParameter(new HollowParameter_Thickness(this));
}

vynbt::HollowNode* HollowSceneObject::GetHollowNode() const
{
    return static_cast<vynbt::HollowNode*>(GetNode());
}

// ---- parameters

HollowParameter_Thickness::HollowParameter_Thickness(HollowSceneObject* object)
    : OperatorFloatParameter("Thickness", object, 1e-7f, 1.0f), m_owner(object)
{
}

float HollowParameter_Thickness::ReadNode()
{
    return m_owner->GetHollowNode()->GetThickness();
}

bool HollowParameter_Thickness::WriteNode(float value)
{
    return m_owner->GetHollowNode()->SetThickness(value);
}

}  // namespace vynui_bt
