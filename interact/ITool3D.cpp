#include "interact/ITool3D.h"

#include <cmath>

#include "interact/ITool3DListener.h"
#include "scene/SceneObject.h"

namespace vynui {

namespace {
bool FiniteFrame(const Wml::Frame3<float>& f)
{
    for (int i = 0; i < 3; ++i) {
        if (!std::isfinite(f.Origin()[i]) || !std::isfinite(f.Scale()[i])) return false;
        for (int j = 0; j < 3; ++j)
            if (!std::isfinite(f.GetRotation()(i, j))) return false;
    }
    return true;
}
}  // namespace

ITool3D::ITool3D(const std::string& name) : m_name(name) {}

ITool3D::~ITool3D() = default;

void ITool3D::AddListener(ITool3DListener* listener)
{
    if (listener) m_listeners.insert(listener);
}

void ITool3D::RemoveListener(ITool3DListener* listener)
{
    m_listeners.erase(listener);
}

void ITool3D::NotifyListeners()
{
    std::set<ITool3DListener*> listeners = m_listeners;
    for (ITool3DListener* listener : listeners)
        if (m_listeners.count(listener)) listener->OnToolChanged(this);
}

void ITool3D::UpdateFrame()
{
    if (!m_target) return;
    Wml::Frame3<float> frame = m_target->GetFrame();
    if (FiniteFrame(frame)) m_frame = frame;
}

void ITool3D::SetTarget(ITool3DTarget* target)
{
    m_target = target;
    UpdateFrame();
}

bool ITool3D::SupportsTargets(const std::vector<SceneObject*>& targets)
{
    if (targets.empty()) return false;
    for (SceneObject* object : targets)
        if (!object || !object->SupportsTool(m_name)) return false;
    return true;
}

float ITool3D::GetSizeMeasure(const ToolViewData& view) const
{
    float length = view.WorldLengthOfQuarterView(m_frame.Origin());
    return length > 0.0f ? 1.0f / length : 0.0f;
}

}  // namespace vynui
