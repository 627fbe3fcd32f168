#include "interact/VectorConstraint.h"

#include "interact/ToolViewData.h"

namespace vynui {

using Vec3 = Wml::Vector3<float>;

namespace {
Wml::Frame3<float> AimedFrame(const Vec3& origin, const Vec3& axis)
{
    return Wml::Frame3<float>::FromOriginAndNormal(origin, axis);
}
}  // namespace

VectorConstraint::VectorConstraint(ConstraintTarget* target, const Wml::Frame3<float>& frame, int frameMode)
    : Constraint(target, frame, frameMode)
{
}

VectorConstraint::VectorConstraint(ConstraintTarget* target, const Vec3& origin, const Vec3& axis,
                                   int frameMode)
    : Constraint(target, AimedFrame(origin, axis), frameMode)
{
}

bool VectorConstraint::AxisPoint(const Wml::Ray3<float>& ray, Vec3& point) const
{
    float s;
    if (!ClosestLineParameterToRay(m_frame.Origin(), m_frame.Z(), ray, s)) return false;
    point = m_frame.Origin() + m_frame.Z() * s;
    return true;
}

bool VectorConstraint::BeginDrag(const Wml::Ray3<float>& ray, const ToolViewData&)
{
    m_dragging = AxisPoint(ray, m_previous);
    return m_dragging;
}

bool VectorConstraint::DragVector(const Wml::Ray3<float>& ray, Vec3& delta)
{
    Vec3 point;
    if (!m_dragging || !AxisPoint(ray, point)) return false;
    Vec3 axis = m_frame.Z();
    float step = (point - m_previous).Length();
    if (axis.Dot(point) <= axis.Dot(m_previous)) step = -step;
    m_previous = point;
    delta = axis * step;
    return true;
}

bool VectorConstraint::DragHandle(const Wml::Ray3<float>& ray)
{
    Vec3 delta;
    if (!DragVector(ray, delta)) return false;
    MoveBy(delta);
    return true;
}

void VectorConstraint::AddShaft(ConstraintShape& shape, const Vec3& o, const Vec3& a, const Vec3& side,
                                float s)
{
    float w = 0.08f * s;
    shape.AddQuad(o + a * (0.105f * s) - side * w, o + a * s - side * w, o + a * s + side * w,
                  o + a * (0.105f * s) + side * w, 0);
}

ConstraintShape VectorConstraint::BuildShape(const ToolViewData& view) const
{
    ConstraintShape shape;
    const float s = HandleSize(view);
    const Vec3 o = m_frame.Origin(), a = m_frame.Z();
    const Vec3 side = FacingSideVector(o, a, view);
    AddShaft(shape, o, a, side, s);
    const float w = 0.08f * s, h = 0.2f * s;
    shape.AddTriangle(o + a * s - side * h, o + a * (1.2f * s), o + a * s + side * h, 0);
    shape.AddOutline({o + a * (0.105f * s) - side * w, o + a * s - side * w, o + a * s - side * h,
                      o + a * (1.2f * s), o + a * s + side * h, o + a * s + side * w,
                      o + a * (0.105f * s) + side * w});
    if (ShowsAimingRing()) shape.AddDisc(o + a * (1.4f * s), a, side, 0.1f * s, 32, 1);
    return shape;
}

bool VectorConstraint::IsPickable(const ToolViewData& view) const
{
    return GetVisibility(view) >= 0.2f;
}

bool VectorConstraint::Reaim(const Vec3& origin, const Vec3& axis, int frameMode, const Wml::ColorRGBA& color)
{
    // The mode first, so that the new frame is kept relative in the new way.
    int oldMode = GetFrameMode();
    SetFrameMode(frameMode);
    if (!Aim(origin, axis)) {
        SetFrameMode(oldMode);
        return false;
    }
    SetColor(color);
    return true;
}

}  // namespace vynui
