#include "interact/PlaneTranslateConstraint.h"

#include <cmath>

#include "interact/DrawingScale.h"
#include "interact/ToolViewData.h"

namespace vynui {

using Vec3 = Wml::Vector3<float>;

PlaneTranslateConstraint::PlaneTranslateConstraint(ConstraintTarget* target, const Wml::Frame3<float>& frame,
                                                   int frameMode)
    : Constraint(target, frame, frameMode)
{
}

PlaneTranslateConstraint::PlaneTranslateConstraint(ConstraintTarget* target, const Vec3& origin,
                                                   const Vec3& normal, int frameMode)
    : Constraint(target, Wml::Frame3<float>::FromOriginAndNormal(origin, normal), frameMode)
{
}

bool PlaneTranslateConstraint::BeginDrag(const Wml::Ray3<float>& ray, const ToolViewData&)
{
    m_dragging = IntersectRayPlane(ray, m_frame.Origin(), m_frame.Z(), m_previous);
    return m_dragging;
}

bool PlaneTranslateConstraint::DragVector(const Wml::Ray3<float>& ray, Vec3& delta)
{
    Vec3 point;
    if (!m_dragging || !IntersectRayPlane(ray, m_frame.Origin(), m_frame.Z(), point)) return false;
    delta = point - m_previous;
    m_previous = point;
    return true;
}

bool PlaneTranslateConstraint::DragHandle(const Wml::Ray3<float>& ray)
{
    Vec3 delta;
    if (!DragVector(ray, delta)) return false;
    MoveBy(delta);
    return true;
}

ConstraintShape PlaneTranslateConstraint::BuildShape(const ToolViewData& view) const
{
    ConstraintShape shape;
    const float c = GetHUDScaleFactor() * 0.14f * 0.5f * view.viewScale, e = 2.25f * c;
    const Vec3 o = m_frame.Origin(), x = m_frame.X(), y = m_frame.Y();
    auto at = [&](float u, float v) { return o + x * u + y * v; };
    shape.AddQuad(at(c, 0.0f), at(e, 0.0f), at(e, e), at(c, e), 0);
    shape.AddQuad(at(0.0f, c), at(c, c), at(c, e), at(0.0f, e), 0);
    shape.AddOutline({at(c, 0.0f), at(e, 0.0f), at(e, e), at(0.0f, e), at(0.0f, c), at(c, c)});
    return shape;
}

float PlaneTranslateConstraint::GetVisibility(const ToolViewData& view) const
{
    Wml::Vector3<float> n = m_frame.Z(), v = view.viewDirection;
    if (n.Normalize() <= 0.0f || v.Normalize() <= 0.0f) return 0.0f;
    float x = std::fabs(v.Dot(n));
    if (!(x >= 0.003f)) return 0.0f;
    if (x < 0.035f) return (x - 0.003f) / 0.032f;
    return 1.0f;
}

bool PlaneTranslateConstraint::IsPickable(const ToolViewData& view) const
{
    return GetVisibility(view) >= 0.2f;
}

ConstraintDescription PlaneTranslateConstraint::Describe() const
{
    ConstraintDescription d = Constraint::Describe();
    d.hasFrame = true;
    d.frame = m_frame;
    return d;
}

}  // namespace vynui
