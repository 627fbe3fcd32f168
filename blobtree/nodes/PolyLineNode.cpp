#include "blobtree/nodes/PolyLineNode.h"

namespace vynbt {

void PolyLineNode::GetFrame(Wml::Frame3<float>& frame)
{
    if (vynimplicit::PolyLinePrimitive* polyLine = GetPolyLine())
        frame = polyLine->GetFrame();
    else
        BlobTreeNode::GetFrame(frame);
}

void PolyLineNode::SetFrame(const Wml::Frame3<float>& frame)
{
    vynimplicit::PolyLinePrimitive* polyLine = GetPolyLine();
    if (!polyLine) return;
    Wml::AxisAlignedBox3<float> before;
    polyLine->FieldBounds(before);
    if (!polyLine->SetFrame(frame)) return;
    ReportChange(before);
}

float PolyLineNode::GetRadius() const
{
    return GetPolyLine() ? GetPolyLine()->GetRadius() : 0.0f;
}

bool PolyLineNode::SetRadius(float radius)
{
    vynimplicit::PolyLinePrimitive* polyLine = GetPolyLine();
    if (!polyLine) return false;
    Wml::AxisAlignedBox3<float> before;
    polyLine->FieldBounds(before);
    if (!polyLine->SetRadius(radius)) return false;
    ReportChange(before);
    return true;
}

float PolyLineNode::GetTaper() const
{
    return GetPolyLine() ? GetPolyLine()->GetTaper() : 0.0f;
}

bool PolyLineNode::SetTaper(float taper)
{
    vynimplicit::PolyLinePrimitive* polyLine = GetPolyLine();
    if (!polyLine) return false;
    Wml::AxisAlignedBox3<float> before;
    polyLine->FieldBounds(before);
    if (!polyLine->SetTaper(taper)) return false;
    ReportChange(before);
    return true;
}

}  // namespace vynbt
