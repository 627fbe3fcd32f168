#include "blobtree/nodes/CappedLinearSweepNode.h"

namespace vynbt {

void CappedLinearSweepNode::GetFrame(Wml::Frame3<float>& frame)
{
    if (vynimplicit::DiscreteLinearSweep* sweep = GetSweep())
        frame = sweep->GetFrame();
    else
        BlobTreeNode::GetFrame(frame);
}

void CappedLinearSweepNode::SetFrame(const Wml::Frame3<float>& frame)
{
    ChangeReported([&] { return GetSweep()->SetFrame(frame); });
}

vynimplicit::ScalarField2D* CappedLinearSweepNode::GetSweepTemplate() const
{
    return GetSweep() ? GetSweep()->GetSweepTemplate() : nullptr;
}

void CappedLinearSweepNode::SetSweepTemplate(vynimplicit::ScalarField2D* sweepTemplate)
{
    ChangeReported([&] {
        GetSweep()->SetSweepTemplate(sweepTemplate);
        return true;
    });
}

}  // namespace vynbt
