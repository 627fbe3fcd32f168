#include "blobtree/nodes/BezierCurveNode.h"

namespace vynbt {

void BezierCurveNode::GetFrame(Wml::Frame3<float>& frame)
{
    if (vynimplicit::BezierCurve* curve = GetCurve())
        frame = curve->GetFrame();
    else
        BlobTreeNode::GetFrame(frame);
}

void BezierCurveNode::SetFrame(const Wml::Frame3<float>& frame)
{
    ChangeReported([&] { return GetCurve()->SetFrame(frame); });
}

float BezierCurveNode::GetRadius() const
{
    return GetCurve() ? GetCurve()->GetRadius() : 0.0f;
}

bool BezierCurveNode::SetRadius(float radius)
{
    vynimplicit::BezierCurve* curve = GetCurve();
    if (!curve || !curve->SetRadius(radius)) return false;
    // The owner's drawing state follows the curve through this flag.
    curve->SetStatus(false);
    return true;
}

}  // namespace vynbt
