#include "interact/AxisRotationConstraint.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "interact/ToolViewData.h"
#include "wml/Distance.h"

namespace vynui {

using Vec3 = Wml::Vector3<float>;

namespace {
const int kRingSegments = 32;

float UsableRadius(float radius)
{
    return std::isfinite(radius) && radius > 0.0f ? radius : 0.4f;
}
}  // namespace

AxisRotationConstraint::AxisRotationConstraint(ConstraintTarget* target, const Wml::Frame3<float>& frame,
                                               int frameMode, float radius)
    : Constraint(target, frame, frameMode), m_radius(UsableRadius(radius))
{
}

AxisRotationConstraint::AxisRotationConstraint(ConstraintTarget* target, const Vec3& origin, const Vec3& axis,
                                               int frameMode, float radius)
    : Constraint(target, Wml::Frame3<float>::FromOriginAndNormal(origin, axis), frameMode),
      m_radius(UsableRadius(radius))
{
}

void AxisRotationConstraint::SetRadius(float radius)
{
    if (std::isfinite(radius) && radius > 0.0f) m_radius = radius;
}

bool AxisRotationConstraint::PlanePoint(const Wml::Ray3<float>& ray, Vec3& point) const
{
    const Vec3 c = m_frame.Origin(), a = m_frame.Z();
    if (!IntersectRayPlane(ray, c, a, point)) {
        float t = 0.0f;
        Wml::SqrDistance(c, ray, &t);
        Vec3 p = ray.PointAt(t);
        point = p - a * (p - c).Dot(a);
    }
    Vec3 d = point - c;
    return d.Length() > 1e-7f && std::isfinite(d.Length());
}

bool AxisRotationConstraint::BeginDrag(const Wml::Ray3<float>& ray, const ToolViewData& view)
{
    m_dragRadius = m_radius * view.viewScale;
    if (!(m_dragRadius > 0.0f) || !std::isfinite(m_dragRadius)) m_dragRadius = m_radius;
    Vec3 q;
    m_dragging = PlanePoint(ray, q);
    if (m_dragging) {
        Vec3 d = q - m_frame.Origin();
        d.Normalize();
        m_previous = m_frame.Origin() + d * m_dragRadius;
    }
    return m_dragging;
}

bool AxisRotationConstraint::DragRotation(const Wml::Ray3<float>& ray, Wml::Matrix3<float>& rotation)
{
    Vec3 q;
    if (!m_dragging || !PlanePoint(ray, q)) return false;
    const Vec3 c = m_frame.Origin(), a = m_frame.Z();
    Vec3 u0 = m_previous - c;
    // Keep the previous point on the ring's current plane: the ring may
    // have followed its target since.
    u0 = u0 - a * u0.Dot(a);
    if (u0.Normalize() <= 0.0f) return false;
    Vec3 u1 = q - c;
    u1.Normalize();
    float angle = std::acos(std::max(-1.0f, std::min(1.0f, u0.Dot(u1))));
    if (angle > float(M_PI) * 0.1f) {
        // Far round the ring: slide along the tangent at the previous point
        // instead, which damps jumps when the ring is seen nearly edge on.
        Vec3 tangent = a.Cross(u0);
        if (tangent.Normalize() > 0.0f) {
            Vec3 start = c + u0 * m_dragRadius;
            Vec3 refined = start + tangent * (q - start).Dot(tangent) - c;
            if (refined.Normalize() > 0.0f) u1 = refined;
            angle = std::acos(std::max(-1.0f, std::min(1.0f, u0.Dot(u1))));
        }
    }
    if (angle > float(M_PI) * 0.25f || !std::isfinite(angle)) angle = 0.0f;
    if (u0.Cross(u1).Dot(a) < 0.0f) angle = -angle;
    m_previous = c + u1 * m_dragRadius;
    rotation.FromAxisAngle(a, angle);
    return true;
}

bool AxisRotationConstraint::DragHandle(const Wml::Ray3<float>& ray)
{
    Wml::Matrix3<float> m;
    if (!DragRotation(ray, m)) return false;
    Wml::Frame3<float> turned = m_frame;
    turned.Rotate(m, true);
    SetFrame(turned);
    return true;
}

ConstraintShape AxisRotationConstraint::BuildShape(const ToolViewData& view) const
{
    ConstraintShape shape;
    const float r = m_radius * view.viewScale, hw = 0.045f * view.viewScale;
    const Vec3 c = m_frame.Origin(), x = m_frame.X(), y = m_frame.Y();
    for (int i = 0; i < kRingSegments; ++i) {
        float a0 = 2.0f * float(M_PI) * float(i) / kRingSegments;
        float a1 = 2.0f * float(M_PI) * float(i + 1) / kRingSegments;
        Vec3 d0 = x * std::cos(a0) + y * std::sin(a0), d1 = x * std::cos(a1) + y * std::sin(a1);
        shape.AddQuad(c + d0 * (r - hw), c + d0 * (r + hw), c + d1 * (r + hw), c + d1 * (r - hw), 0);
    }
    return shape;
}

float AxisRotationConstraint::GetVisibility(const ToolViewData& view) const
{
    float v = std::fabs(view.viewDirection.Dot(m_frame.Z()));
    if (!(v >= 0.2f)) return 0.0f;
    if (v < 0.7f) return (v - 0.2f) / 0.5f;
    return 1.0f;
}

bool AxisRotationConstraint::IsPickable(const ToolViewData& view) const
{
    return GetVisibility(view) > 0.0f;
}

Vec3 AxisRotationConstraint::NearestRingPoint(const Vec3& point, const ToolViewData& view) const
{
    const Vec3 c = m_frame.Origin(), a = m_frame.Z();
    Vec3 d = point - c;
    d = d - a * d.Dot(a);
    if (d.Normalize() <= 0.0f) d = m_frame.X();
    return c + d * (m_radius * view.viewScale);
}

ConstraintDescription AxisRotationConstraint::Describe() const
{
    ConstraintDescription d = Constraint::Describe();
    d.radius = m_radius;
    return d;
}

void AxisRotationConstraint::Draw(const ToolViewData& view)
{
    float visibility = GetVisibility(view);
    ConstraintShape shape = BuildShape(view);
    if (!(visibility > 0.0f) || shape.IsEmpty()) return;
    glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT);
    glEnable(GL_LIGHTING);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    Wml::ColorRGBA tint =
        IsPinned() ? Wml::ColorRGBA(1.0f, 0.0f, 0.0f, 1.0f) : Wml::ColorRGBA(0.6f, 0.6f, 0.6f, 1.0f);
    const GLfloat material[4] = {tint.R(), tint.G(), tint.B(), visibility};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, material);
    const Vec3 n = m_frame.Z();
    glNormal3f(n.X(), n.Y(), n.Z());
    glBegin(GL_TRIANGLES);
    for (const ShapeTriangle& t : shape.GetTriangles()) {
        glVertex3f(t.a.X(), t.a.Y(), t.a.Z());
        glVertex3f(t.b.X(), t.b.Y(), t.b.Z());
        glVertex3f(t.c.X(), t.c.Y(), t.c.Z());
    }
    glEnd();
    glPopAttrib();
}

}  // namespace vynui
