#include "blobtree/nodes/LinearSweepWarpNode.h"

#include <cmath>

#include "blobtree/cache/FieldCache.h"

namespace vynbt {

float LinearSweepWarpNode::GetWarpRadius() const
{
    return GetLinearSweepWarp() ? GetLinearSweepWarp()->GetWarpBallRadius() : 0.0f;
}

Wml::Vector3<float> LinearSweepWarpNode::GetWarpCenter() const
{
    return GetLinearSweepWarp() ? GetLinearSweepWarp()->GetWarpBallCenter() : Wml::Vector3<float>::ZERO;
}

void LinearSweepWarpNode::GetWarpBounds(Wml::Vector3<float>& centre, float& radius) const
{
    centre = GetWarpCenter();
    radius = GetWarpRadius();
}

bool LinearSweepWarpNode::SetWarpBounds(const Wml::Vector3<float>& centre, float radius)
{
    vynimplicit::LinearSweepWarp* warp = GetLinearSweepWarp();
    // Checked up front so that a bad radius cannot leave the centre moved alone.
    if (!warp || !std::isfinite(radius) || !std::isfinite(centre.X()) || !std::isfinite(centre.Y()) ||
        !std::isfinite(centre.Z()))
        return false;
    const Wml::AxisAlignedBox3<float> before = Bounds();
    warp->SetWarpBallCenter(centre);
    warp->SetWarpBallRadius(radius);
    ReportOperatorChange(before);
    return true;
}

}  // namespace vynbt
