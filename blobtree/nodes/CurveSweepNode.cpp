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
    vynimplicit::CurveSweep* field = GetSweep();
    if (!field) return;
    Wml::AxisAlignedBox3<float> before;
    field->FieldBounds(before);
    if (!field->SetFrame(frame)) return;
    ReportChange(before);
}

}  // namespace vynbt
