#include "blobtree/nodes/RevolutionNode.h"

namespace vynbt {

void RevolutionNode::GetFrame(Wml::Frame3<float>& frame)
{
    if (vynimplicit::DiscreteRevolution* field = GetRevolution())
        frame = field->GetFrame();
    else
        BlobTreeNode::GetFrame(frame);
}

void RevolutionNode::SetFrame(const Wml::Frame3<float>& frame)
{
    ChangeReported([&] { return GetRevolution()->SetFrame(frame); });
}

}  // namespace vynbt
