#include "interact/ToolTargetGroup.h"

#include "scene/SceneObject.h"

namespace vynui {

void ToolTargetGroup::SetTargets(const std::vector<SceneObject*>& targets)
{
    m_targets.clear();
    m_pivot = nullptr;
    for (SceneObject* object : targets) {
        if (!object) continue;
        m_targets.push_back(object);
        if (object->IsPivot()) m_pivot = object;
    }
}

std::vector<SceneObject*> ToolTargetGroup::Receivers() const
{
    if (m_pivot) return {m_pivot};
    return m_targets;
}

Wml::Frame3<float> ToolTargetGroup::GetFrame()
{
    if (m_targets.empty()) return Wml::Frame3<float>(Wml::Vector3<float>::ZERO);
    if (m_targets.size() == 1) return m_targets.front()->GetFrame();
    if (m_pivot) return m_pivot->GetFrame();
    Wml::Vector3<float> sum = Wml::Vector3<float>::ZERO;
    for (SceneObject* object : m_targets) sum += object->GetFrame().Origin();
    return Wml::Frame3<float>(sum / float(m_targets.size()));
}

void ToolTargetGroup::Translate(const Wml::Vector3<float>& v, bool relative)
{
    Wml::Vector3<float> delta = relative ? v : v - GetFrame().Origin();
    for (SceneObject* object : Receivers()) object->Translate(delta, true);
}

void ToolTargetGroup::Rotate(const Wml::Matrix3<float>& m, bool relative)
{
    for (SceneObject* object : Receivers()) object->Rotate(m, relative);
}

void ToolTargetGroup::Scale(float sx, float sy, float sz, bool relative, bool uniform)
{
    for (SceneObject* object : Receivers()) object->Scale(sx, sy, sz, relative, uniform);
}

bool ToolTargetGroup::SupportsTool(const std::string& toolName)
{
    if (m_targets.empty()) return false;
    for (SceneObject* object : m_targets)
        if (!object->SupportsTool(toolName)) return false;
    return true;
}

void ToolTargetGroup::RotateAbout(const Wml::Matrix3<float>& m, const Wml::Vector3<float>& centre)
{
    for (SceneObject* object : Receivers()) object->RotateAbout(m, centre);
}

}  // namespace vynui
