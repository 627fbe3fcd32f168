#include "interact/PivotSO.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "interact/SurfaceAnchor.h"
#include "scene/BasicParameterOrientation.h"
#include "scene/BasicParameterOrigin.h"
#include "scene/NameRegistry.h"
#include "wml/Serializer.h"

namespace vynui {

namespace {

const char* const SIZE_KEY = "PivotSize";

bool IsFinite(const Wml::Vector3<float>& v)
{
    return std::isfinite(v.X()) && std::isfinite(v.Y()) && std::isfinite(v.Z());
}

}  // namespace

PivotSO::PivotSO(const Wml::Frame3<float>& frame)
{
    SetName(MakeUniqueName("Pivot"));
    if (frame.IsValid()) m_frame = frame;
}

PivotSO::PivotSO(SurfaceAnchor* anchor) : m_anchor(anchor)
{
    SetName(MakeUniqueName("Pivot"));
}

void PivotSO::SetAnchor(SurfaceAnchor* anchor)
{
    if (m_anchor && !anchor) m_frame = m_anchor->GetFrame();
    m_anchor = anchor;
}

bool PivotSO::SetSize(float size)
{
    if (!(size > 0.0f) || !std::isfinite(size)) return false;
    m_size = size;
    return true;
}

Wml::Frame3<float> PivotSO::GetFrame()
{
    return m_anchor ? m_anchor->GetFrame() : m_frame;
}

void PivotSO::Scale(float, float, float, bool, bool) {}

bool PivotSO::SupportsTool(const std::string& toolName)
{
    return toolName == "Translation3D" || toolName == "Rotation3D" || toolName == "DynamicTool3D";
}

void PivotSO::InitializeParameters()
{
    AddParameter(new BasicParameterOrigin(this, "Position"));
    AddParameter(new BasicParameterOrientation(this, "Orientation"));
    SceneObject::InitializeParameters();
}

void PivotSO::DoTranslate(const Wml::Vector3<float>& v, bool relative)
{
    if (m_anchor) {
        m_anchor->Translate(relative ? v : v - m_anchor->GetFrame().Origin());
        return;
    }
    const Wml::Vector3<float> origin = relative ? m_frame.Origin() + v : v;
    if (IsFinite(origin)) m_frame.Origin() = origin;
}

void PivotSO::DoRotate(const Wml::Matrix3<float>& m, bool relative)
{
    if (m_anchor) {
        m_anchor->Rotate(m, relative);
        return;
    }
    Wml::Frame3<float> turned = m_frame;
    turned.Rotate(m, relative);
    if (turned.IsValid()) m_frame = turned;
}

SceneObject* PivotSO::Pick(const Wml::Ray3<float>& ray, float& t)
{
    // |o + s d - c|^2 = r^2, solved for the smaller s >= 0.
    const Wml::Vector3<float> d = ray.Direction();
    const Wml::Vector3<float> oc = ray.Origin() - GetFrame().Origin();
    const float a = d.Dot(d);
    if (!(a > 0.0f)) return nullptr;
    const float b = oc.Dot(d);
    const float c = oc.Dot(oc) - m_size * m_size;
    const float discriminant = b * b - a * c;
    if (!(discriminant >= 0.0f)) return nullptr;
    const float root = std::sqrt(discriminant);
    const float sNear = (-b - root) / a;
    const float sFar = (-b + root) / a;
    if (!(sFar >= 0.0f)) return nullptr;
    t = sNear > 0.0f ? sNear : 0.0f;
    return this;
}

void PivotSO::Render(bool selected)
{
    const Wml::Frame3<float> frame = GetFrame();
    const Wml::Vector3<float> o = frame.Origin();
    const Wml::Vector3<float> n = frame.Z();
    glPushAttrib(GL_CURRENT_BIT | GL_LIGHTING_BIT | GL_LINE_BIT);
    glDisable(GL_LIGHTING);
    if (selected)
        glColor3f(1.0f, 0.2f, 0.2f);
    else
        glColor3f(1.0f, 0.7f, 0.7f);
    glPushMatrix();
    glTranslatef(o.X(), o.Y(), o.Z());
    GLUquadric* quadric = gluNewQuadric();
    if (quadric) {
        gluSphere(quadric, m_size, 12, 8);
        gluDeleteQuadric(quadric);
    }
    glPopMatrix();
    // The normal shows which way the pivot faces.
    glColor3f(0.0f, 0.0f, 0.0f);
    glBegin(GL_LINES);
    glVertex3f(o.X(), o.Y(), o.Z());
    const Wml::Vector3<float> tip = o + n * (3.0f * m_size);
    glVertex3f(tip.X(), tip.Y(), tip.Z());
    glEnd();
    glPopAttrib();
}

bool PivotSO::Store(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!SceneObject::Store(serializer, record)) return false;
    record->SetValue(SIZE_KEY, m_size);
    return true;
}

bool PivotSO::Restore(Wml::Serializer* serializer, Wml::SerializerRecord* record)
{
    if (!SceneObject::Restore(serializer, record)) return false;
    float size = m_size;
    if (record->GetValue(SIZE_KEY, size, m_size)) SetSize(size);
    return true;
}

}  // namespace vynui
