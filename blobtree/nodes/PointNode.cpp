#include "blobtree/nodes/PointNode.h"

#include <cmath>

namespace vynbt {

void PointNode::GetFrame(Wml::Frame3<float>& frame)
{
    if (vynimplicit::Point* point = GetPoint())
        frame = point->GetFrame();
    else
        BlobTreeNode::GetFrame(frame);
}

void PointNode::SetFrame(const Wml::Frame3<float>& frame)
{
    ChangeReported([&] { return GetPoint()->SetFrame(frame); });
}

float PointNode::GetSize() const
{
    const vynimplicit::Point* point = GetPoint();
    // The point keeps its size within [MIN_SIZE, MAX_SIZE], so this is finite.
    return point ? 1.0f / point->GetSize() : 0.0f;
}

bool PointNode::SetSize(float size)
{
    vynimplicit::Point* point = GetPoint();
    // Zero would store an infinite size, a negative one the smallest size (a
    // huge ball): neither is a radius the user can have meant.
    if (!point || !std::isfinite(size) || !(size > 0.0f)) return false;
    return ChangeReported([&] { return point->SetSize(1.0f / size); });
}

}  // namespace vynbt
