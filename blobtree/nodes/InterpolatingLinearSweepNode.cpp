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
    ChangeReported([&] { return GetSweep()->SetFrame(frame); });
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
    return ChangeReported([&] { return GetSweep()->SetSlicePosition(slice, position, x, y); });
}

InterpolatingLinearSweep::BlendMode InterpolatingLinearSweepNode::GetBlendMode() const
{
    return GetSweep() ? GetSweep()->GetBlendMode() : InterpolatingLinearSweep::Smooth;
}

bool InterpolatingLinearSweepNode::SetBlendMode(InterpolatingLinearSweep::BlendMode mode)
{
    return ChangeReported([&] { return GetSweep()->SetBlendMode(mode); });
}

}  // namespace vynbt
