#include "interact/AxisScaleConstraint.h"

#include <cmath>

#include "interact/ToolViewData.h"
#include "interact/VectorConstraint.h"

namespace vynui {

using Vec3 = Wml::Vector3<float>;

AxisScaleConstraint::AxisScaleConstraint(ConstraintTarget* target, const Wml::Frame3<float>& frame,
                                         int frameMode)
    : Constraint(target, frame, frameMode)
{
}

AxisScaleConstraint::AxisScaleConstraint(ConstraintTarget* target, const Vec3& origin, const Vec3& axis,
                                         int frameMode)
    : Constraint(target, Wml::Frame3<float>::FromOriginAndNormal(origin, axis), frameMode)
{
}

int AxisScaleConstraint::MostAlignedAxis(const Wml::Frame3<float>& frame, const Vec3& d)
{
    float x = std::fabs(d.Dot(frame.X())), y = std::fabs(d.Dot(frame.Y())), z = std::fabs(d.Dot(frame.Z()));
    if (x > y && x > z) return 0;
    if (y > x && y > z) return 1;
    return 2;
}

bool AxisScaleConstraint::BeginDrag(const Wml::Ray3<float>& ray, const ToolViewData&)
{
    float s;
    m_dragging = ClosestLineParameterToRay(m_frame.Origin(), m_frame.Z(), ray, s);
    if (m_dragging) m_previous = m_frame.Origin() + m_frame.Z() * s;
    return m_dragging;
}

bool AxisScaleConstraint::Step(const Wml::Ray3<float>& ray, float& step)
{
    float s;
    if (!m_dragging || !ClosestLineParameterToRay(m_frame.Origin(), m_frame.Z(), ray, s)) return false;
    Vec3 point = m_frame.Origin() + m_frame.Z() * s;
    step = (point - m_previous).Length();
    if ((point - m_previous).Dot(m_frame.Z()) <= 0.0f) step = -step;
    m_previous = point;
    return true;
}

bool AxisScaleConstraint::DragAxisScale(const Wml::Ray3<float>& ray, Vec3& factors)
{
    float step;
    if (!Step(ray, step)) return false;
    Vec3 delta(0.0f, 0.0f, 0.0f);
    delta[MostAlignedAxis(TargetFrame(), m_frame.Z())] = step;
    Vec3 size = m_size + delta;
    for (int i = 0; i < 3; ++i)
        if (!(size[i] > 0.001f) || !std::isfinite(size[i])) return false;
    factors = Vec3(size.X() / m_size.X(), size.Y() / m_size.Y(), size.Z() / m_size.Z());
    m_size = size;
    return true;
}

bool AxisScaleConstraint::DragHandle(const Wml::Ray3<float>& ray)
{
    float step;
    if (!Step(ray, step)) return false;
    MoveBy(m_frame.Z() * step);
    return true;
}

ConstraintShape AxisScaleConstraint::BuildShape(const ToolViewData& view) const
{
    ConstraintShape shape;
    const float s = HandleSize(view);
    const Vec3 o = m_frame.Origin(), a = m_frame.Z();
    const Vec3 side = FacingSideVector(o, a, view);
    VectorConstraint::AddShaft(shape, o, a, side, s);
    const float w = 0.08f * s, h = 0.12f * s;
    shape.AddQuad(o + a * s - side * h, o + a * (1.2f * s) - side * h, o + a * (1.2f * s) + side * h,
                  o + a * s + side * h, 0);
    shape.AddOutline({o + a * (0.105f * s) - side * w, o + a * s - side * w, o + a * s - side * h,
                      o + a * (1.2f * s) - side * h, o + a * (1.2f * s) + side * h, o + a * s + side * h,
                      o + a * s + side * w, o + a * (0.105f * s) + side * w});
    return shape;
}

bool AxisScaleConstraint::IsPickable(const ToolViewData& view) const
{
    return GetVisibility(view) >= 0.2f;
}

}  // namespace vynui
