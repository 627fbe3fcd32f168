#include "blobtree/nodes/VariationalWarpNode.h"

#include <cmath>

#include "blobtree/cache/FieldCache.h"

namespace vynbt {

using vynimplicit::VariationalWarp;
using vynimplicit::WarpPointSet;

float VariationalWarpNode::GetWarpRadius() const
{
    return GetVariationalWarp() ? GetVariationalWarp()->GetWarpRadius() : 0.0f;
}

Wml::Vector3<float> VariationalWarpNode::GetWarpCenter() const
{
    return GetVariationalWarp() ? GetVariationalWarp()->GetWarpCenter() : Wml::Vector3<float>::ZERO;
}

void VariationalWarpNode::GetWarpBounds(Wml::Vector3<float>& centre, float& radius) const
{
    centre = GetWarpCenter();
    radius = GetWarpRadius();
}

bool VariationalWarpNode::SetWarpBounds(const Wml::Vector3<float>& centre, float radius)
{
    VariationalWarp* warp = GetVariationalWarp();
    // Checked up front so that a bad radius cannot leave the centre moved alone.
    if (!warp || !std::isfinite(radius) || !std::isfinite(centre.X()) || !std::isfinite(centre.Y()) ||
        !std::isfinite(centre.Z()))
        return false;
    const Wml::AxisAlignedBox3<float> before = Bounds();
    warp->SetWarpCenter(centre);
    warp->SetWarpRadius(radius);
    ReportOperatorChange(before);
    return true;
}

float VariationalWarpNode::GetSmoothing() const
{
    return GetVariationalWarp() ? GetVariationalWarp()->GetSmoothing() : 0.0f;
}

bool VariationalWarpNode::SetSmoothing(float smoothing)
{
    VariationalWarp* warp = GetVariationalWarp();
    if (!warp) return false;
    const Wml::AxisAlignedBox3<float> before = Bounds();
    if (!warp->SetSmoothing(smoothing)) return false;
    ReportOperatorChange(before);
    return true;
}

WarpPointSet& VariationalWarpNode::GetWarpPointSet()
{
    return GetVariationalWarp()->GetWarpPointSet();
}

void VariationalWarpNode::GetWarpPointSet(WarpPointSet& points) const
{
    if (GetVariationalWarp())
        points = GetVariationalWarp()->GetWarpPointSet();
    else
        points.Clear();
}

void VariationalWarpNode::SetWarpPointSet(const WarpPointSet& points)
{
    VariationalWarp* warp = GetVariationalWarp();
    if (!warp) return;
    const Wml::AxisAlignedBox3<float> before = Bounds();
    warp->SetWarpPointSet(points);  // refits
    ReportOperatorChange(before);
}

bool VariationalWarpNode::SetWarpPointSetPoint(unsigned int i, const Wml::Vector3<float>& from,
                                               const Wml::Vector3<float>& to)
{
    VariationalWarp* warp = GetVariationalWarp();
    if (!warp) return false;
    const Wml::AxisAlignedBox3<float> before = Bounds();
    if (!warp->GetWarpPointSet().SetPoint(i, from, to)) return false;
    warp->WarpPointSetChanged();
    ReportOperatorChange(before);
    return true;
}

}  // namespace vynbt
