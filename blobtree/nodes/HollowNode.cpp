#include "blobtree/nodes/HollowNode.h"

namespace vynbt {

float HollowNode::GetThickness() const
{
    return GetHollowOperator() ? GetHollowOperator()->GetThickness() : 0.0f;
}

bool HollowNode::SetThickness(float thickness)
{
    if (!GetHollowOperator() || !GetHollowOperator()->SetThickness(thickness)) return false;
    OnNodeModified();
    return true;
}

}  // namespace vynbt
