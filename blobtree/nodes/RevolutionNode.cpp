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
    vynimplicit::DiscreteRevolution* field = GetRevolution();
    if (!field) return;
    Wml::AxisAlignedBox3<float> before;
    field->FieldBounds(before);
    if (!field->SetFrame(frame)) return;
    ReportChange(before);
}

}  // namespace vynbt
