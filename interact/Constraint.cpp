#include "interact/Constraint.h"

#include <GL/gl.h>

#include <cmath>

#include "interact/ConstraintTarget.h"
#include "interact/DrawingScale.h"
#include "interact/ToolViewData.h"

namespace vynui {

using Vec3 = Wml::Vector3<float>;

namespace {

bool Finite(const Vec3& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y()) && std::isfinite(v.Z());
}

bool FiniteFrame(const Wml::Frame3<float>& f)
{
    if (!Finite(f.Origin()) || !Finite(f.Scale())) return false;
    for (int i = 0; i < 3; ++i)
        if (!Finite(f.GetRotation().GetRow(i))) return false;
    return true;
}

}  // namespace

Constraint::Constraint(ConstraintTarget* target, const Wml::Frame3<float>& frame, int frameMode)
    : m_frame(frame), m_target(target), m_frameMode(frameMode), m_color(FrameModeColor(frameMode))
{
    if (!FiniteFrame(m_frame)) m_frame = Wml::Frame3<float>();
    if (m_target) m_target->AddConstraint(this);
    UpdateRelativeFrame();
}

Constraint::~Constraint()
{
    if (m_target) m_target->RemoveConstraint(this);
}

bool Constraint::FollowsRotation() const
{
    return m_frameMode == FRAME_MODE_OBJECT || m_frameMode == FRAME_MODE_FOLLOW;
}

Wml::Frame3<float> Constraint::TargetFrame() const
{
    if (!m_target) return Wml::Frame3<float>();
    return m_target->GetFrame();
}

void Constraint::UpdateRelativeFrame()
{
    Wml::Frame3<float> target = TargetFrame();
    if (!FiniteFrame(target)) target = Wml::Frame3<float>(target.Origin());
    Vec3 offset = m_frame.Origin() - target.Origin();
    if (FollowsRotation()) {
        // Origin and axes in the target's (unscaled) local directions.
        m_relative.SetFrame(target.ToLocalVector(offset), target.ToLocalVector(m_frame.X()),
                            target.ToLocalVector(m_frame.Y()), target.ToLocalVector(m_frame.Z()));
    } else {
        m_relative.SetFrame(offset, m_frame.X(), m_frame.Y(), m_frame.Z());
    }
}

void Constraint::OnTargetChanged(ConstraintTarget* target)
{
    if (!target || target != m_target) return;
    Wml::Frame3<float> tf = target->GetFrame();
    if (!FiniteFrame(tf)) return;
    if (FollowsRotation()) {
        Vec3 axes[3];
        for (int i = 0; i < 3; ++i) {
            axes[i] = tf.ToWorldVector(m_relative.GetRotation().GetRow(i));
            Vec3 previous = m_frame.GetRotation().GetRow(i);
            // A turned axis that swings round by a right angle or more in
            // one step keeps its direction (guards against flips).
            if (!Finite(axes[i]) || axes[i].Dot(previous) < 0.001f) axes[i] = previous;
        }
        m_frame.SetFrame(tf.Origin() + tf.ToWorldVector(m_relative.Origin()), axes[0], axes[1], axes[2]);
        m_frame.ReNormalize();
    } else {
        m_frame.SetOrigin(tf.Origin() + m_relative.Origin());
    }
}

void Constraint::Draw(const ToolViewData& view)
{
    DrawFlatShape(BuildShape(view), GetVisibility(view));
}

bool Constraint::HitTest(const Wml::Ray3<float>& ray, const ToolViewData& view, ConstraintHit& hit) const
{
    if (!IsPickable(view)) return false;
    ConstraintShape shape = BuildShape(view);
    ShapeRayHit onShape;
    if (shape.IntersectRay(ray, onShape)) {
        hit.point = onShape.point;
        hit.distance = onShape.distance;
        hit.missDistance = 0.0f;
        hit.part = onShape.part;
        return true;
    }
    float miss = shape.DistanceToRay(ray, onShape);
    if (!std::isfinite(miss)) return false;
    hit.point = onShape.point;
    hit.distance = onShape.distance;
    hit.missDistance = miss;
    hit.part = onShape.part;
    return true;
}

bool Constraint::BeginDrag(const Wml::Ray3<float>&, const ToolViewData&)
{
    return false;
}

bool Constraint::DragVector(const Wml::Ray3<float>&, Vec3&)
{
    return false;
}

bool Constraint::DragRotation(const Wml::Ray3<float>&, Wml::Matrix3<float>&)
{
    return false;
}

bool Constraint::DragScale(const Wml::Ray3<float>&, Vec3&)
{
    return false;
}

bool Constraint::DragAxisScale(const Wml::Ray3<float>&, Vec3&)
{
    return false;
}

bool Constraint::CrossTest(const Wml::Segment2<float>& segment, const ToolViewData& view, Vec3& point) const
{
    if (!(GetVisibility(view) > 0.0f)) return false;
    return BuildShape(view).CrossesScreenSegment(view, segment, point);
}

void Constraint::SetFrame(const Wml::Frame3<float>& frame)
{
    if (!FiniteFrame(frame)) return;
    m_frame = frame;
    UpdateRelativeFrame();
}

bool Constraint::Aim(const Vec3& origin, const Vec3& axis)
{
    Vec3 unit = axis;
    if (!Finite(origin) || !Finite(axis) || unit.Normalize() <= 0.0f) return false;
    SetFrame(Wml::Frame3<float>::FromOriginAndNormal(origin, unit));
    return true;
}

void Constraint::SetFrameMode(int frameMode)
{
    m_frameMode = frameMode;
    UpdateRelativeFrame();
}

float Constraint::AxisVisibility(const Vec3& viewDirection, const Vec3& direction)
{
    Vec3 d = direction, v = viewDirection;
    if (d.Normalize() <= 0.0f || v.Normalize() <= 0.0f) return 0.0f;
    float x = 1.0f - std::fabs(v.Dot(d));
    if (!(x >= 0.003f)) return 0.0f;
    if (x < 0.035f) return (x - 0.003f) / 0.032f;
    return 1.0f;
}

float Constraint::HandleSize(const ToolViewData& view)
{
    return GetHUDScaleFactor() * 0.5f * view.viewScale;
}

float Constraint::GetVisibility(const ToolViewData& view) const
{
    return AxisVisibility(view.viewDirection, m_frame.Z());
}

bool Constraint::IsPickable(const ToolViewData&) const
{
    return true;
}

ConstraintDescription Constraint::Describe() const
{
    ConstraintDescription d;
    d.frameMode = m_frameMode;
    d.kind = GetKind();
    d.origin = m_frame.Origin();
    d.axis = m_frame.Z();
    d.hasFrame = false;
    d.frame = m_frame;
    d.color = m_color;
    return d;
}

Wml::ColorRGBA Constraint::FillColor() const
{
    if (m_pinned) return Wml::ColorRGBA(1.0f, 0.0f, 0.0f, 1.0f);
    if (m_highlighted && m_frameMode == FRAME_MODE_WORLD) return Wml::ColorRGBA(0.0f, 0.0f, 0.0f, 1.0f);
    return m_color;
}

void Constraint::MoveBy(const Vec3& delta)
{
    if (!Finite(delta)) return;
    Wml::Frame3<float> moved = m_frame;
    moved.SetOrigin(m_frame.Origin() + delta);
    SetFrame(moved);
}

void Constraint::DrawFlatShape(const ConstraintShape& shape, float visibility) const
{
    if (!(visibility > 0.0f) || shape.IsEmpty()) return;
    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glLineWidth(1.5f * GetGlobalLineWidth());
    Wml::ColorRGBA fill = FillColor();
    glColor4f(fill.R(), fill.G(), fill.B(), fill.A() * visibility);
    glBegin(GL_TRIANGLES);
    for (const ShapeTriangle& t : shape.GetTriangles()) {
        glVertex3f(t.a.X(), t.a.Y(), t.a.Z());
        glVertex3f(t.b.X(), t.b.Y(), t.b.Z());
        glVertex3f(t.c.X(), t.c.Y(), t.c.Z());
    }
    glEnd();
    glColor4f(0.0f, 0.0f, 0.0f, visibility);
    for (const auto& loop : shape.GetOutlines()) {
        glBegin(GL_LINE_LOOP);
        for (const Vec3& p : loop) glVertex3f(p.X(), p.Y(), p.Z());
        glEnd();
    }
    glPopAttrib();
}

}  // namespace vynui
