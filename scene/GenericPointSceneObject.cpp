#include "scene/GenericPointSceneObject.h"

#include <GL/gl.h>

#include <cmath>

#include "wml/Distance.h"

namespace vynui {

GenericPointSceneObject::GenericPointSceneObject(GenericPointSceneObjectTarget* target) : m_target(target) {}

Wml::Frame3<float> GenericPointSceneObject::GetFrame()
{
    return Wml::Frame3<float>(m_target ? m_target->GetPosition() : Wml::Vector3<float>::ZERO);
}

void GenericPointSceneObject::Translate(const Wml::Vector3<float>& v, bool relative)
{
    if (!m_target || !std::isfinite(v.X()) || !std::isfinite(v.Y()) || !std::isfinite(v.Z())) return;
    m_target->SetPosition(v, relative);
}

bool GenericPointSceneObject::SupportsTool(const std::string& toolName)
{
    return toolName == "Translation3D";
}

SceneObject* GenericPointSceneObject::Pick(const Wml::Ray3<float>& ray, float& t)
{
    if (!m_target) return nullptr;
    float rayT = 0.0f;
    float d2 = Wml::SqrDistance(m_target->GetPosition(), ray, &rayT);
    if (!(rayT > 0.0f) || !(d2 < PICK_TOLERANCE_SQUARED)) return nullptr;
    t = rayT;
    return this;
}

void GenericPointSceneObject::Render(bool)
{
    if (!m_target) return;
    Wml::Vector3<float> p = m_target->GetPosition();
    glBegin(GL_POINTS);
    glVertex3f(p.X(), p.Y(), p.Z());
    glEnd();
}

}  // namespace vynui
