#include "scene/BasicParameterScale.h"

#include "scene/SceneObject.h"

namespace vynui {

BasicParameterScale::BasicParameterScale(SceneObject* target, const std::string& name)
    : GenericVector3fParameter(name), m_target(target)
{
}

void BasicParameterScale::ApplyValue(const Wml::Vector3<float>& value)
{
    if (!m_target) return;
    boost::recursive_mutex::scoped_lock lock(m_target->GetLock());
    m_target->Scale(value.X(), value.Y(), value.Z(), false, false);
}

Wml::Vector3<float> BasicParameterScale::ReadValue()
{
    if (!m_target) return Wml::Vector3<float>::ZERO;
    boost::recursive_mutex::scoped_lock lock(m_target->GetLock());
    return m_target->GetFrame().Scale();
}

}  // namespace vynui
