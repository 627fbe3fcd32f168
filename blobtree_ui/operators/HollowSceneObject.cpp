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

}  // namespace vynui_bt
