#include "blobtree/nodes/BartheSmoothDifferenceNode.h"

namespace vynbt {

float BartheSmoothDifferenceNode::GetSharpness() const
{
    return GetBartheSmoothDifference() ? GetBartheSmoothDifference()->GetSharpness() : 0.0f;
}

bool BartheSmoothDifferenceNode::SetSharpness(float sharpness)
{
    if (!GetBartheSmoothDifference() || !GetBartheSmoothDifference()->SetSharpness(sharpness)) return false;
    OnNodeModified();
    return true;
}

}  // namespace vynbt
