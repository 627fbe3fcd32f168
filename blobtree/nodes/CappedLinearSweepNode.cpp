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
    vynimplicit::DiscreteLinearSweep* sweep = GetSweep();
    if (!sweep) return;
    Wml::AxisAlignedBox3<float> before;
    sweep->FieldBounds(before);
    if (!sweep->SetFrame(frame)) return;
    ReportChange(before);
}

vynimplicit::ScalarField2D* CappedLinearSweepNode::GetSweepTemplate() const
{
    return GetSweep() ? GetSweep()->GetSweepTemplate() : nullptr;
}

void CappedLinearSweepNode::SetSweepTemplate(vynimplicit::ScalarField2D* sweepTemplate)
{
    vynimplicit::DiscreteLinearSweep* sweep = GetSweep();
    if (!sweep) return;
    Wml::AxisAlignedBox3<float> before;
    sweep->FieldBounds(before);
    sweep->SetSweepTemplate(sweepTemplate);
    ReportChange(before);
}

}  // namespace vynbt
