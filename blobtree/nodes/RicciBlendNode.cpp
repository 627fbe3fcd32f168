#include "blobtree/nodes/RicciBlendNode.h"

namespace vynbt {

float RicciBlendNode::GetPower() const
{
    return GetRicciBlend() ? GetRicciBlend()->GetPower() : 0.0f;
}

bool RicciBlendNode::SetPower(float power)
{
    if (!GetRicciBlend() || !GetRicciBlend()->SetPower(power)) return false;
    OnNodeModified();
    return true;
}

}  // namespace vynbt
