#include "blobtree/nodes/InterpolatingLinearSweepNode.h"

namespace vynbt {

using vynimplicit::InterpolatingLinearSweep;

void InterpolatingLinearSweepNode::GetFrame(Wml::Frame3<float>& frame)
{
    if (InterpolatingLinearSweep* sweep = GetSweep())
        frame = sweep->GetFrame();
    else
        BlobTreeNode::GetFrame(frame);
}

void InterpolatingLinearSweepNode::SetFrame(const Wml::Frame3<float>& frame)
{
    InterpolatingLinearSweep* sweep = GetSweep();
    if (!sweep) return;
    Wml::AxisAlignedBox3<float> before;
    sweep->FieldBounds(before);
    if (!sweep->SetFrame(frame)) return;
    ReportChange(before);
}

float InterpolatingLinearSweepNode::GetSlicePosition(unsigned int slice) const
{
    return GetSweep() ? GetSweep()->GetSlicePosition(slice) : 0.0f;
}

bool InterpolatingLinearSweepNode::GetSliceOffset(unsigned int slice, float& x, float& y) const
{
    if (GetSweep()) return GetSweep()->GetSliceOffset(slice, x, y);
    x = y = 0.0f;
    return false;
}

bool InterpolatingLinearSweepNode::SetSlicePosition(unsigned int slice, float position, float x, float y)
{
    InterpolatingLinearSweep* sweep = GetSweep();
    if (!sweep) return false;
    Wml::AxisAlignedBox3<float> before;
    sweep->FieldBounds(before);
    if (!sweep->SetSlicePosition(slice, position, x, y)) return false;
    ReportChange(before);
    return true;
}

InterpolatingLinearSweep::BlendMode InterpolatingLinearSweepNode::GetBlendMode() const
{
    return GetSweep() ? GetSweep()->GetBlendMode() : InterpolatingLinearSweep::Smooth;
}

bool InterpolatingLinearSweepNode::SetBlendMode(InterpolatingLinearSweep::BlendMode mode)
{
    InterpolatingLinearSweep* sweep = GetSweep();
    if (!sweep) return false;
    Wml::AxisAlignedBox3<float> before;
    sweep->FieldBounds(before);
    if (!sweep->SetBlendMode(mode)) return false;
    ReportChange(before);
    return true;
}

}  // namespace vynbt
