#include "interact/ConstraintScreenGeometry.h"

#include <algorithm>
#include <cmath>

#include "interact/ConstraintLink.h"
#include "wml/Distance.h"
#include "wml/ExtendedWmlCamera.h"
#include "wml/Intersection.h"
#include "wml/Segment2.h"

namespace vynui {

namespace {

bool IsFinite(const Wml::Vector2<float>& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y());
}

bool IsFinite(const Wml::Vector3<float>& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y()) && std::isfinite(v.Z());
}

}  // namespace

bool ProjectToScreen(const Wml::ExtendedWmlCamera& camera, const Wml::Vector3<float>& world,
                     Wml::Vector2<float>& screen)
{
    if (!IsFinite(world)) return false;
    float x = 0.0f, y = 0.0f, depth = 0.0f;
    if (!camera.Project(world, x, y, depth)) return false;
    const Wml::Vector2<float> p(x, y);
    if (!IsFinite(p)) return false;
    screen = p;
    return true;
}

bool SegmentsCrossSteeply(const Wml::Vector2<float>& a0, const Wml::Vector2<float>& a1,
                          const Wml::Vector2<float>& b0, const Wml::Vector2<float>& b1, float maxAbsCos)
{
    if (!IsFinite(a0) || !IsFinite(a1) || !IsFinite(b0) || !IsFinite(b1)) return false;
    Wml::Vector2<float> da = a1 - a0, db = b1 - b0;
    if (!(da.Normalize() > 0.0f) || !(db.Normalize() > 0.0f)) return false;
    if (!(std::fabs(da.Dot(db)) <= maxAbsCos)) return false;
    Wml::Vector2<float> point;
    return Wml::FindIntersection(Wml::Segment2<float>::FromEndPoints(a0, a1),
                                 Wml::Segment2<float>::FromEndPoints(b0, b1), point);
}

bool LinkScreenSegment(const ConstraintLink& link, const Wml::ExtendedWmlCamera& camera,
                       Wml::Vector2<float>& from, Wml::Vector2<float>& to)
{
    if (!link.linked) return false;
    Wml::Vector2<float> a, b;
    if (!ProjectToScreen(camera, link.linked->GetFrame().Origin(), a)) return false;
    if (!ProjectToScreen(camera, link.GetFrame().Origin(), b)) return false;
    from = a;
    to = b;
    return true;
}

bool ProjectedBoundsCircle(const Wml::AxisAlignedBox3<float>& box, const Wml::ExtendedWmlCamera& camera,
                           Wml::Vector2<float>& centre, float& radius)
{
    if (box.IsEmpty() || !IsFinite(box.MinCorner()) || !IsFinite(box.MaxCorner())) return false;
    Wml::Vector2<float> c;
    if (!ProjectToScreen(camera, box.Center(), c)) return false;
    float r2 = 0.0f;
    for (int i = 0; i < 8; ++i) {
        const Wml::Vector3<float> corner((i & 1) ? box.Max(0) : box.Min(0), (i & 2) ? box.Max(1) : box.Min(1),
                                         (i & 4) ? box.Max(2) : box.Min(2));
        Wml::Vector2<float> p;
        if (!ProjectToScreen(camera, corner, p)) return false;
        r2 = std::max(r2, (p - c).SquaredLength());
    }
    centre = c;
    radius = std::sqrt(r2);
    return std::isfinite(radius);
}

bool SegmentMeetsCircle(const Wml::Vector2<float>& p0, const Wml::Vector2<float>& p1,
                        const Wml::Vector2<float>& centre, float radius)
{
    if (!IsFinite(p0) || !IsFinite(p1) || !IsFinite(centre) || !(radius >= 0.0f) || !std::isfinite(radius))
        return false;
    const float d2 = Wml::SqrDistance(centre, Wml::Segment2<float>::FromEndPoints(p0, p1));
    return d2 <= radius * radius;
}

float AxisVisibility(const Wml::Vector3<float>& viewDirection, const Wml::Vector3<float>& direction)
{
    Wml::Vector3<float> v = viewDirection, d = direction;
    if (!(v.Normalize() > 0.0f) || !(d.Normalize() > 0.0f)) return 0.0f;
    const float x = 1.0f - std::fabs(v.Dot(d));
    if (!std::isfinite(x)) return 0.0f;
    if (x < 0.003f) return 0.0f;
    if (x < 0.035f) return (x - 0.003f) / 0.032f;
    return 1.0f;
}

}  // namespace vynui
