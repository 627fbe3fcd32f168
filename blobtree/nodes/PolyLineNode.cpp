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
    ChangeReported([&] { return GetPolyLine()->SetFrame(frame); });
}

float PolyLineNode::GetRadius() const
{
    return GetPolyLine() ? GetPolyLine()->GetRadius() : 0.0f;
}

bool PolyLineNode::SetRadius(float radius)
{
    return ChangeReported([&] { return GetPolyLine()->SetRadius(radius); });
}

float PolyLineNode::GetTaper() const
{
    return GetPolyLine() ? GetPolyLine()->GetTaper() : 0.0f;
}

bool PolyLineNode::SetTaper(float taper)
{
    return ChangeReported([&] { return GetPolyLine()->SetTaper(taper); });
}

}  // namespace vynbt
