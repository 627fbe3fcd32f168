#include "interact/UniformScaleConstraint.h"

#include <cmath>

#include "interact/ToolViewData.h"

namespace vynui {

using Vec3 = Wml::Vector3<float>;

UniformScaleConstraint::UniformScaleConstraint(ConstraintTarget* target, const Wml::Frame3<float>& frame,
                                               int frameMode)
    : Constraint(target, frame, frameMode)
{
}

UniformScaleConstraint::UniformScaleConstraint(ConstraintTarget* target, const Vec3& origin, const Vec3& axis,
                                               int frameMode)
    : Constraint(target, Wml::Frame3<float>::FromOriginAndNormal(origin, axis), frameMode)
{
}

bool UniformScaleConstraint::PlanePoint(const Wml::Ray3<float>& ray, Vec3& point) const
{
    return IntersectRayPlane(ray, m_frame.Origin(), m_planeNormal, point);
}

bool UniformScaleConstraint::BeginDrag(const Wml::Ray3<float>& ray, const ToolViewData& view)
{
    m_planeNormal = -view.viewDirection;
    m_planeX = view.screenX;
    m_planeY = view.screenY;
    m_dragging = PlanePoint(ray, m_previous);
    return m_dragging;
}

bool UniformScaleConstraint::DragScale(const Wml::Ray3<float>& ray, Vec3& factors)
{
    Vec3 point;
    if (!m_dragging || !PlanePoint(ray, point)) return false;
    Vec3 d = point - m_previous;
    float step = d.Dot(m_planeX) + d.Dot(m_planeY);
    m_previous = point;
    Vec3 size(m_size.X() + step, m_size.Y() + step, m_size.Z() + step);
    for (int i = 0; i < 3; ++i)
        if (!(size[i] > 0.001f) || !std::isfinite(size[i])) return false;
    factors = Vec3(size.X() / m_size.X(), size.Y() / m_size.Y(), size.Z() / m_size.Z());
    m_size = size;
    return true;
}

bool UniformScaleConstraint::DragHandle(const Wml::Ray3<float>& ray)
{
    Vec3 point;
    if (!m_dragging || !PlanePoint(ray, point)) return false;
    Vec3 delta = point - m_previous;
    m_previous = point;
    MoveBy(delta);
    return true;
}

ConstraintShape UniformScaleConstraint::BuildShape(const ToolViewData& view) const
{
    ConstraintShape shape;
    shape.AddDisc(m_frame.Origin(), view.screenX, view.screenY, 0.2f * HandleSize(view), 32, 0);
    return shape;
}

float UniformScaleConstraint::GetVisibility(const ToolViewData&) const
{
    return 1.0f;
}

}  // namespace vynui
