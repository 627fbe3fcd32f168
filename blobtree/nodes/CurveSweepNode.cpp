#include "blobtree/nodes/CurveSweepNode.h"

namespace vynbt {

void CurveSweepNode::GetFrame(Wml::Frame3<float>& frame)
{
    if (vynimplicit::CurveSweep* field = GetSweep())
        frame = field->GetFrame();
    else
        BlobTreeNode::GetFrame(frame);
}

void CurveSweepNode::SetFrame(const Wml::Frame3<float>& frame)
{
    ChangeReported([&] { return GetSweep()->SetFrame(frame); });
}

}  // namespace vynbt
